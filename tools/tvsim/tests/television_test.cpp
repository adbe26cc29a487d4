// The simulated set's shell and file rules, driven without the network.
#include "television.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class TelevisionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("tvsim-test-" + std::to_string(getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    tvsim::Television make(tvsim::Series series, int delayMs = 0) {
        tvsim::Config c;
        c.stateDir = dir_;
        c.series = series;
        c.trustedRootPem = "/nonexistent/root.pem";
        c.delayMs = delayMs;
        return tvsim::Television(c, [this](int ms) { delays_.push_back(ms); });
    }
    static std::string run(tvsim::Television& tv, std::string_view text) {
        std::string out;
        tv.shell(text, [&](std::string_view s) { out += s; });
        return out;
    }

    fs::path dir_;
    std::vector<int> delays_;
};

TEST_F(TelevisionTest, CommandsSeparatedBySemicolonsWithTheirStatusInEcho) {
    auto tv = make(tvsim::Series::JK);
    struct Case {
        const char* text;
        const char* out;
    } cases[] = {
        {"0 mkdir /opt/usr/apps/tmp; echo cmd_ret:$?;", "cmd_ret:0\n"},
        {"0 mkdir /opt/usr/x; echo cmd_ret:$?;",
         "mkdir: cannot create directory '/opt/usr/x': Permission denied\ncmd_ret:1\n"},
        {"ls; echo $? $?", "sh: ls: command not found\n127 127\n"},
        {"0 nosuch;echo cmd_ret:$?", "unknown command: nosuch\ncmd_ret:1\n"},
        {"echo first:$?; 0 rmfile /opt/usr/apps/tmp/none.wgt; echo then:$?",
         "first:0\nrmfile: cannot remove '/opt/usr/apps/tmp/none.wgt': No such file\nthen:1\n"},
        {"  ;;  echo   spaced   words ; ", "spaced words\n"},
        {"0 vd_appinstall only-one-argument; echo cmd_ret:$?",
         "vd_appinstall: wrong number of arguments\ncmd_ret:1\n"},
        {"0 getappinstallpath", "/opt/usr/apps\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(run(tv, c.text), c.out) << c.text;
}

TEST_F(TelevisionTest, EveryShellStartsWithStatusZero) {
    auto tv = make(tvsim::Series::JK);
    run(tv, "ls");
    EXPECT_EQ(run(tv, "echo $?"), "0\n");
}

TEST_F(TelevisionTest, OnlyTheSeriesFolderIsWritableAndPathsCannotClimbOut) {
    struct Case {
        tvsim::Series series;
        const char* remote;
        bool writable;
    } cases[] = {
        {tvsim::Series::JK, "/opt/usr/apps/tmp", true},
        {tvsim::Series::JK, "/opt/usr/apps/tmp/TalvaneTV.wgt", true},
        {tvsim::Series::JK, "/opt/usr/apps/tmp/sub/../TalvaneTV.wgt", true},
        {tvsim::Series::JK, "/opt/usr/apps/tmpx/TalvaneTV.wgt", false},
        {tvsim::Series::JK, "/opt/usr/apps/tmp/../TalvaneTV.wgt", false},
        {tvsim::Series::JK, "/opt/usr/apps/tmp/../../../../../etc/passwd", false},
        {tvsim::Series::JK, "/home/owner/share/tmp/sdk_tools/tmp/TalvaneTV.wgt", false},
        {tvsim::Series::JK, "opt/usr/apps/tmp/TalvaneTV.wgt", false},
        {tvsim::Series::MNQ, "/home/owner/share/tmp/sdk_tools/tmp/TalvaneTV.wgt", true},
        {tvsim::Series::MNQ, "/home/owner/share/tmp/sdk_tools/TalvaneTV.wgt", false},
        {tvsim::Series::MNQ, "/opt/usr/apps/tmp/TalvaneTV.wgt", false},
    };
    for (const auto& c : cases) {
        auto tv = make(c.series);
        auto local = tv.writablePath(c.remote);
        EXPECT_EQ(local.has_value(), c.writable) << c.remote;
        if (local) {
            auto rel = fs::relative(*local, dir_ / "fs");
            EXPECT_EQ(*rel.begin(), c.series == tvsim::Series::JK ? "opt" : "home") << c.remote;
        }
    }
    // Above the root is the root, as on the set: the path stays inside the state folder.
    EXPECT_EQ(make(tvsim::Series::JK).localPath("/a/../../b"), dir_ / "fs" / "b");
    EXPECT_FALSE(make(tvsim::Series::JK).localPath("a/b").has_value());
}

TEST_F(TelevisionTest, MkdirAndRmfileWorkInTheStateFolder) {
    auto tv = make(tvsim::Series::MNQ);
    EXPECT_EQ(run(tv, "0 mkdir /home/owner/share/tmp/sdk_tools/tmp; echo $?"), "0\n");
    EXPECT_TRUE(fs::is_directory(dir_ / "fs/home/owner/share/tmp/sdk_tools/tmp"));
    std::ofstream(dir_ / "fs/home/owner/share/tmp/sdk_tools/tmp/a.wgt") << "x";
    EXPECT_EQ(run(tv, "0 rmfile /home/owner/share/tmp/sdk_tools/tmp/a.wgt; echo $?"), "0\n");
    EXPECT_FALSE(fs::exists(dir_ / "fs/home/owner/share/tmp/sdk_tools/tmp/a.wgt"));
    // The folder itself is no file to remove.
    EXPECT_EQ(run(tv, "0 rmfile /home/owner/share/tmp/sdk_tools/tmp; echo $?"),
              "rmfile: cannot remove '/home/owner/share/tmp/sdk_tools/tmp': No such file\n1\n");
    EXPECT_TRUE(fs::is_directory(dir_ / "fs/home/owner/share/tmp/sdk_tools/tmp"));
}

TEST_F(TelevisionTest, UninstallOfAnUnknownIdFailsButExitsZero) {
    auto tv = make(tvsim::Series::JK);
    std::string out = run(tv, "0 vd_appuninstall Hx4TnW9cPa.talvanetv; echo cmd_ret:$?;");
    EXPECT_TRUE(out.starts_with("app_id[Hx4TnW9cPa.talvanetv] uninstall start\n"
                                "app_id[Hx4TnW9cPa.talvanetv] uninstall failed[132]\n"
                                "spend time for wascmd is ["))
        << out;
    EXPECT_TRUE(out.ends_with("]ms\ncmd_ret:0\n")) << out;
    // An id is never a path into the state folder.
    std::ofstream(dir_ / "victim.wgt") << "x";
    EXPECT_NE(run(tv, "0 vd_appuninstall ../victim").find("uninstall failed[132]"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir_ / "victim.wgt"));
    fs::create_directories(dir_ / "fs/opt/usr/apps/tmp");
    std::ofstream(dir_ / "fs/opt/usr/apps/tmp/p.wgt") << "x";
    std::string install = run(tv, "0 vd_appinstall ../x /opt/usr/apps/tmp/p.wgt");
    EXPECT_NE(install.find("app_id[../x] install failed[118, -3], reason: Invalid application id\n"),
              std::string::npos)
        << install;
}

TEST_F(TelevisionTest, ApplistNamesTheInstalledApplications) {
    auto tv = make(tvsim::Series::JK);
    EXPECT_NE(run(tv, "0 applist").find("Installed applications: 0\n"), std::string::npos);
    std::ofstream(dir_ / "apps/B.two.wgt") << "x";
    std::ofstream(dir_ / "apps/A.one.wgt") << "x";
    std::string out = run(tv, "0 applist");
    EXPECT_NE(
        out.find(
            "Installed applications: 2\n\tapp_id[A.one]\tapp_type[wgt]\n\tapp_id[B.two]\tapp_type[wgt]\n"),
        std::string::npos)
        << out;
}

TEST_F(TelevisionTest, TheDelayComesBeforeEachDeveloperModeCommand) {
    auto tv = make(tvsim::Series::JK, 250);
    run(tv, "0 getappinstallpath; echo $?; 0 applist");
    EXPECT_EQ(delays_, (std::vector<int>{250, 250}));
}

TEST_F(TelevisionTest, CapabilitiesOfEachSeries) {
    auto jk = make(tvsim::Series::JK).capabilities();
    EXPECT_EQ(jk.count("sdk_toolpath"), 0u);
    EXPECT_EQ(jk.at("platform_version"), "2.4.0");
    auto mnq = make(tvsim::Series::MNQ).capabilities();
    EXPECT_EQ(mnq.at("sdk_toolpath"), "/home/owner/share/tmp/sdk_tools");
    EXPECT_EQ(mnq.at("platform_version"), "4.0.0");
}

} // namespace
