// The bridge tool against the simulated set, each call a process of its own
// with the command lines the installer runs.
#include "child_process.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fstream>
#include <netinet/in.h>
#include <random>
#include <sys/socket.h>
#include <unistd.h>
#include <zip.h>

namespace fs = std::filesystem;
using testing_support::Outcome;
using testing_support::SimulatedSet;

namespace {

const std::string kAppId = "Hx4TnW9cPa.talvanetv";
const std::string kJkStaging = "/opt/usr/apps/tmp";
const std::string kMnqStaging = "/home/owner/share/tmp/sdk_tools/tmp";

std::string required(const char* name) {
    const char* v = std::getenv(name);
    if (!v || !*v) throw std::runtime_error(std::string(name) + " is not set");
    return v;
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& p, const std::string& content) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << content;
}

// The words the command interpreter hands over: split at the spaces.
std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> w;
    std::string word;
    for (char c : line + " ") {
        if (c != ' ') {
            word += c;
        } else if (!word.empty()) {
            w.push_back(word);
            word.clear();
        }
    }
    return w;
}

std::string padded(std::string s, size_t n) {
    s.resize(std::max(s.size(), n), ' ');
    return s;
}

// A copy of the package with one entry's content replaced.
void replaceEntry(const fs::path& from, const fs::path& to, const char* entry, const std::string& content) {
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    int error = 0;
    zip_t* z = zip_open(to.c_str(), 0, &error);
    ASSERT_NE(z, nullptr);
    zip_source_t* src = zip_source_buffer(z, content.data(), content.size(), 0);
    ASSERT_GE(zip_file_add(z, entry, src, ZIP_FL_OVERWRITE), 0);
    ASSERT_EQ(zip_close(z), 0);
}

// A CNXN header whose checksum does not match its payload.
std::string cnxnWithBadChecksum() {
    std::string h;
    for (uint32_t v : {0x4E584E43u, 0x00100000u, 262144u, 7u, 1u, 0x4E584E43u ^ 0xFFFFFFFFu})
        for (int i = 0; i < 4; ++i) h += static_cast<char>((v >> (8 * i)) & 0xFF);
    return h + std::string("host::\0", 7);
}

class BridgeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "." + info->name();
        for (char& c : name)
            if (c == '/') c = '_';
        dir_ = fs::temp_directory_path() / ("tvbridge-test-" + std::to_string(getpid())) / name;
        fs::remove_all(dir_);
        fs::create_directories(work());
        package_ = required("WIDGET_PACKAGE");
        root_ = required("WIDGET_TRUSTED_ROOT");
        fs::copy_file(package_, work() / "TalvaneTV.wgt");
    }
    void TearDown() override {
        if (set_) {
            EXPECT_EQ(set_->stop(), 0) << "the simulated set must end cleanly on SIGTERM";
        }
        set_.reset();
        fs::remove_all(dir_.parent_path());
    }

    fs::path work() const { return dir_ / "work"; }
    fs::path setState() const { return dir_ / "set"; }

    void startSet(const std::string& series, std::vector<std::string> extra = {}) {
        std::vector<std::string> argv = {
            TVSIM_EXE, "--listen", "127.0.0.2:0", "--state", setState().string(), "--series",
            series,    "--root",   root_,         "--model", "UE40TEST"};
        argv.insert(argv.end(), extra.begin(), extra.end());
        set_ = std::make_unique<SimulatedSet>(argv);
    }
    const std::string& target() const { return set_->address(); }

    Outcome bridge(const std::string& line, std::vector<std::string> env = {}) {
        std::vector<std::string> argv = words(line);
        argv.insert(argv.begin(), TVBRIDGE_EXE);
        env.push_back("TVBRIDGE_STATE_DIR=" + (dir_ / "bridge-state").string());
        return testing_support::run(argv, work(), env);
    }

    Outcome connect() {
        Outcome o = bridge("connect " + target());
        EXPECT_EQ(o.status, 0) << o.err;
        return o;
    }

    fs::path dir_;
    std::string package_, root_;
    std::unique_ptr<SimulatedSet> set_;
};

// --- the eleven commands of an install --------------------------------------

struct SeriesCase {
    const char* series;
    std::string staging;
    const char* installPath;
};

class InstallSequence : public BridgeTest, public ::testing::WithParamInterface<SeriesCase> {};

TEST_P(InstallSequence, InstallsThePackageAndEveryStepSaysSo) {
    const SeriesCase& c = GetParam();
    startSet(c.series);
    const std::string remote = c.staging + "/TalvaneTV.wgt";
    const std::vector<std::string> lines = {
        "kill-server",
        "connect " + target(),
        "devices",
        "shell 0 getappinstallpath",
        "shell 0 vd_appuninstall " + kAppId + "; echo cmd_ret:$?;",
        "shell 0 mkdir " + c.staging,
        "push TalvaneTV.wgt " + remote,
        "shell 0 vd_appinstall " + kAppId + " " + remote + "; echo cmd_ret:$?;",
        "shell 0 rmfile " + remote,
        "shell 0 applist",
        "kill-server",
    };
    std::vector<Outcome> o;
    for (const auto& line : lines) {
        o.push_back(bridge(line));
        EXPECT_EQ(o.back().status, 0) << line << "\n" << o.back().err;
        EXPECT_EQ(o.back().err, "") << line;
    }
    const std::string tag = "app_id[" + kAppId + "] ";
    EXPECT_EQ(o[1].out, "connecting to " + target() + " ...\nconnected to " + target() + "\n");
    EXPECT_EQ(o[2].out, "List of devices attached \n" + padded(target(), 20) + "\tdevice    \tUE40TEST\n");
    EXPECT_EQ(o[3].out, std::string(c.installPath) + "\n");
    EXPECT_EQ(o[4].out.substr(0, o[4].out.find("spend time")),
              tag + "uninstall start\n" + tag + "uninstall failed[132]\n");
    EXPECT_TRUE(o[4].out.ends_with("ms\ncmd_ret:0\n")) << o[4].out;
    EXPECT_EQ(o[5].out, "");
    EXPECT_TRUE(o[6].out.starts_with("pushed\tTalvaneTV.wgt\t100%\t")) << o[6].out;
    EXPECT_NE(o[6].out.find("\n1 file(s) pushed. 0 file(s) skipped.\n"), std::string::npos) << o[6].out;
    EXPECT_TRUE(o[7].out.starts_with(tag + "install start\n" + tag + "installing[")) << o[7].out;
    EXPECT_NE(
        o[7].out.find(tag + "installing[100]\n" + tag + "install completed\nspend time for wascmd is ["),
        std::string::npos)
        << o[7].out;
    EXPECT_TRUE(o[7].out.ends_with("]ms\ncmd_ret:0\n")) << o[7].out;
    EXPECT_EQ(o[8].out, "");
    EXPECT_NE(o[9].out.find("app_id[" + kAppId + "]"), std::string::npos) << o[9].out;

    // The set holds the installed package and no longer the pushed copy.
    EXPECT_EQ(readFile(setState() / "apps" / (kAppId + ".wgt")), readFile(package_));
    EXPECT_FALSE(fs::exists(setState() / "fs" / remote.substr(1)));
    EXPECT_TRUE(fs::is_directory(setState() / "fs" / c.staging.substr(1)));
    // kill-server forgot the target.
    EXPECT_FALSE(fs::exists(dir_ / "bridge-state" / "target"));
    Outcome after = bridge("shell 0 applist");
    EXPECT_NE(after.status, 0);
    EXPECT_TRUE(after.err.starts_with("error: ")) << after.err;

    // A second install first removes the first one.
    connect();
    Outcome again = bridge("shell 0 vd_appuninstall " + kAppId + "; echo cmd_ret:$?;");
    EXPECT_NE(again.out.find(tag + "uninstall completed\n"), std::string::npos) << again.out;
    EXPECT_FALSE(fs::exists(setState() / "apps" / (kAppId + ".wgt")));
}

INSTANTIATE_TEST_SUITE_P(Series, InstallSequence,
                         ::testing::Values(SeriesCase{"jk", kJkStaging, "/opt/usr/apps"},
                                           SeriesCase{"mnq", kMnqStaging, "/opt/usr/globalapps"}),
                         [](const auto& info) { return std::string(info.param.series); });

// --- sets that cannot be reached -----------------------------------------------

TEST_F(BridgeTest, ASetThatRefusesTheHostFailsTheConnect) {
    startSet("jk", {"--allow-host", "127.0.0.9"});
    Outcome o = bridge("connect " + target());
    EXPECT_NE(o.status, 0);
    EXPECT_EQ(o.out, "connecting to " + target() + " ...\nfailed to connect to " + target() + "\n");
    EXPECT_TRUE(o.err.starts_with("error: ")) << o.err;
    Outcome shell = bridge("shell 0 applist");
    EXPECT_NE(shell.status, 0);
    EXPECT_EQ(shell.out, "");
}

// A socket on 127.0.0.2 at a free port, bound and perhaps listening, that
// never accepts; closed with the test.
struct DeadEnd {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    std::string address;
    explicit DeadEnd(bool listening) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        inet_pton(AF_INET, "127.0.0.2", &a.sin_addr);
        if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) throw std::runtime_error("bind failed");
        if (listening && listen(fd, 1) != 0) throw std::runtime_error("listen failed");
        socklen_t len = sizeof a;
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        address = "127.0.0.2:" + std::to_string(ntohs(a.sin_port));
    }
    ~DeadEnd() { close(fd); }
};

TEST_F(BridgeTest, AnAddressWhereNothingListensFailsTheConnectAndForgetsTheOldTarget) {
    startSet("jk");
    connect();
    DeadEnd closed(false); // the connection is refused at once
    const std::string& dead = closed.address;

    Outcome o = bridge("connect " + dead);
    EXPECT_NE(o.status, 0);
    EXPECT_EQ(o.out, "connecting to " + dead + " ...\nfailed to connect to " + dead + "\n");
    Outcome devices = bridge("devices");
    EXPECT_EQ(devices.out, "List of devices attached \n");
}

TEST_F(BridgeTest, ASetThatNeverAnswersTheHandshakeFailsWithinTheTimeOut) {
    DeadEnd silent(true); // the kernel completes the connection, nobody answers
    Outcome o = bridge("connect " + silent.address, {"TVBRIDGE_TIMEOUT_MS=200"});
    EXPECT_NE(o.status, 0);
    EXPECT_EQ(o.out,
              "connecting to " + silent.address + " ...\nfailed to connect to " + silent.address + "\n");
    EXPECT_NE(o.err.find("no answer within 200 ms"), std::string::npos) << o.err;
}

TEST_F(BridgeTest, TheSetDropsAHostThatBreaksTheProtocolAndServesTheNext) {
    startSet("jk");
    for (const std::string& junk : {std::string(24, 'x'), cnxnWithBadChecksum()}) {
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(std::stoi(target().substr(target().find(':') + 1))));
        inet_pton(AF_INET, "127.0.0.2", &a.sin_addr);
        ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        ASSERT_EQ(write(fd, junk.data(), junk.size()), static_cast<ssize_t>(junk.size()));
        char c;
        EXPECT_EQ(read(fd, &c, 1), 0) << "the set closes the connection";
        close(fd);
    }
    connect();
    EXPECT_EQ(bridge("shell 0 getappinstallpath").out, "/opt/usr/apps\n");
}

TEST_F(BridgeTest, ConnectRejectsAMalformedAddress) {
    for (const char* bad : {"connect 1.2.34:26101", "connect 1.2.3.4:99999", "connect"}) {
        Outcome o = bridge(bad);
        EXPECT_NE(o.status, 0) << bad;
        EXPECT_TRUE(o.err.starts_with("error: ")) << bad << ": " << o.err;
    }
}

TEST_F(BridgeTest, ALockedSetIsListedAsLockedAndRunsNothing) {
    startSet("jk", {"--locked"});
    Outcome c = connect();
    EXPECT_EQ(c.out, "connecting to " + target() + " ...\nconnected to " + target() + "\n");
    EXPECT_EQ(bridge("devices").out,
              "List of devices attached \n" + padded(target(), 20) + "\tlocked    \tUE40TEST\n");
    for (const std::string& line :
         {std::string("shell 0 applist"), "push TalvaneTV.wgt " + kJkStaging + "/TalvaneTV.wgt"}) {
        Outcome o = bridge(line);
        EXPECT_NE(o.status, 0) << line;
        EXPECT_NE(o.err.find("locked"), std::string::npos) << line << ": " << o.err;
    }
    EXPECT_FALSE(fs::exists(setState() / "fs" / kJkStaging.substr(1) / "TalvaneTV.wgt"));
}

TEST_F(BridgeTest, ASlowSetIsWaitedForWithinTheTimeOut) {
    startSet("jk", {"--delay-ms", "300"});
    connect();
    Outcome o = bridge("shell 0 getappinstallpath; echo cmd_ret:$?;");
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "/opt/usr/apps\ncmd_ret:0\n");
}

TEST_F(BridgeTest, ASetThatStaysSilentPastTheTimeOutFailsTheCommand) {
    startSet("jk", {"--delay-ms", "20000"});
    connect();
    Outcome o = bridge("shell 0 applist", {"TVBRIDGE_TIMEOUT_MS=200"});
    EXPECT_NE(o.status, 0);
    EXPECT_NE(o.err.find("no answer within 200 ms"), std::string::npos) << o.err;
    // TearDown stops the set in the middle of its delay: it still ends cleanly.
}

// --- packages the set refuses ---------------------------------------------------

struct RefusedCase {
    const char* name;
    const char* pushed;   // "good", "tampered", "garbage" or "" for none
    const char* root;     // "trusted" or "other"
    const char* appId;    // the id the install names
    const char* expected; // the line after "app_id[<id>] "
};

class RefusedPackage : public BridgeTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedPackage, InstallReportsTheFailureWithExitStatusZero) {
    const RefusedCase& c = GetParam();
    if (std::string(c.root) == "other")
        root_ = (fs::path(root_).parent_path() / "test-other-root.pem").string();
    startSet("jk");
    connect();
    const std::string remote = kJkStaging + "/TalvaneTV.wgt";
    std::string pushed = c.pushed;
    if (pushed == "tampered") {
        replaceEntry(package_, work() / "TalvaneTV.wgt", "index.html", "<html>changed</html>");
    } else if (pushed == "garbage") {
        writeFile(work() / "TalvaneTV.wgt", std::string(5000, 'x'));
    }
    if (!pushed.empty()) {
        Outcome push = bridge("push TalvaneTV.wgt " + remote);
        ASSERT_EQ(push.status, 0) << push.err;
    }
    Outcome o = bridge(std::string("shell 0 vd_appinstall ") + c.appId + " " + remote + "; echo cmd_ret:$?;");
    EXPECT_EQ(o.status, 0) << o.err;
    const std::string tag = std::string("app_id[") + c.appId + "] ";
    EXPECT_TRUE(o.out.starts_with(tag + "install start\n")) << o.out;
    EXPECT_NE(o.out.find("\n" + tag + c.expected), std::string::npos) << o.out;
    EXPECT_EQ(o.out.find("install completed"), std::string::npos) << o.out;
    EXPECT_TRUE(o.out.ends_with("ms\ncmd_ret:0\n")) << o.out;
    EXPECT_TRUE(fs::is_empty(setState() / "apps"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedPackage,
    ::testing::Values(
        RefusedCase{
            "UntrustedRoot", "good", "other", "Hx4TnW9cPa.talvanetv",
            "install failed[118, -12], reason: Check certificate error : :Invalid certificate chain with "
            "certificate in signature.:<-3>\n"},
        RefusedCase{
            "ChangedFile", "tampered", "trusted", "Hx4TnW9cPa.talvanetv",
            "install failed[118, -12], reason: Check certificate error : :Signature validation failed: "},
        RefusedCase{"NotAPackage", "garbage", "trusted", "Hx4TnW9cPa.talvanetv",
                    "install failed[118, -2], reason: Invalid package file: "},
        RefusedCase{"AnotherAppId", "good", "trusted", "Hx4TnW9cPa.other",
                    "install failed[118, -3], reason: "},
        RefusedCase{"NothingPushed", "", "trusted", "Hx4TnW9cPa.talvanetv", "download failed[116]"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- pushes -----------------------------------------------------------------------

TEST_F(BridgeTest, PushCopiesLargeFilesExactlyAndIntoFolders) {
    startSet("mnq");
    connect();
    std::string big(300000, '\0');
    std::mt19937 random(42);
    for (char& c : big) c = static_cast<char>(random());
    writeFile(work() / "big.bin", big);

    Outcome file = bridge("push big.bin " + kMnqStaging + "/copy.bin");
    EXPECT_EQ(file.status, 0) << file.err;
    EXPECT_EQ(readFile(setState() / "fs" / kMnqStaging.substr(1) / "copy.bin"), big);

    Outcome folder = bridge("push big.bin " + kMnqStaging);
    EXPECT_EQ(folder.status, 0) << folder.err;
    EXPECT_EQ(readFile(setState() / "fs" / kMnqStaging.substr(1) / "big.bin"), big);
}

TEST_F(BridgeTest, PushOutsideTheWritableFolderFails) {
    startSet("mnq");
    connect();
    for (const std::string& remote :
         {kJkStaging + "/TalvaneTV.wgt", kMnqStaging + "/../TalvaneTV.wgt",
          std::string("/home/owner/share/tmp/x.wgt"), std::string("relative.wgt")}) {
        Outcome o = bridge("push TalvaneTV.wgt " + remote);
        EXPECT_NE(o.status, 0) << remote;
        EXPECT_EQ(o.out, "0 file(s) pushed. 1 file(s) skipped.\n") << remote;
        EXPECT_NE(o.err.find("Permission denied"), std::string::npos) << remote << ": " << o.err;
    }
    Outcome missing = bridge("push nosuch.wgt " + kMnqStaging + "/x.wgt");
    EXPECT_NE(missing.status, 0);
    EXPECT_NE(missing.err.find("nosuch.wgt"), std::string::npos) << missing.err;
    EXPECT_FALSE(fs::exists(setState() / "fs" / "home/owner/share/tmp/TalvaneTV.wgt"));
}

// --- what the set reports about itself ----------------------------------------------

TEST_F(BridgeTest, CapabilitiesNameTheSeries) {
    struct Case {
        const char* series;
        const char* platform;
        const char* toolpath; // nullptr: none
    } cases[] = {{"jk", "platform_version:2.4.0\n", nullptr},
                 {"mnq", "platform_version:4.0.0\n", "sdk_toolpath:/home/owner/share/tmp/sdk_tools\n"}};
    for (const auto& c : cases) {
        startSet(c.series);
        connect();
        Outcome o = bridge("capability");
        EXPECT_EQ(o.status, 0) << o.err;
        EXPECT_NE(o.out.find(c.platform), std::string::npos) << o.out;
        EXPECT_EQ(o.out.find("sdk_toolpath:") != std::string::npos, c.toolpath != nullptr) << o.out;
        if (c.toolpath) {
            EXPECT_NE(o.out.find(c.toolpath), std::string::npos) << o.out;
        }
        EXPECT_EQ(set_->stop(), 0);
        fs::remove_all(setState());
    }
    set_.reset();
}

TEST_F(BridgeTest, HelpVersionAndUnknownCommands) {
    EXPECT_EQ(bridge("--help").status, 0);
    EXPECT_NE(bridge("--help").out.find("connect <ip>"), std::string::npos);
    Outcome v = bridge("version");
    EXPECT_EQ(v.status, 0);
    EXPECT_TRUE(v.out.starts_with("tvbridge version ")) << v.out;
    Outcome u = bridge("frobnicate");
    EXPECT_NE(u.status, 0);
    EXPECT_TRUE(u.err.starts_with("error: unknown command 'frobnicate'")) << u.err;
    EXPECT_NE(bridge("").status, 0);
}

} // namespace
