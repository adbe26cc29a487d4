#include "install/commands.h"
#include "install/sequence.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <stdexcept>

namespace {

using install::Installer;
using install::Settings;
using testing::ElementsAre;
using testing::ElementsAreArray;

// Stands in for the window and the system, and writes down every call.
class RecordingHost : public install::Host {
  public:
    std::wstring typed = L"192.168.0.105";
    int lang = 0;
    int seriesIndex = 0;
    int bar = 0;
    bool ending = false;
    std::vector<std::wstring> calls;
    std::map<std::wstring, std::string> files = {
        {L"doLog\\step1.txt", "connected to 192.168.0.105:26101\n"},
        {L"doLog\\step6.txt", "app_id[Hx4TnW9cPa.talvanetv] install completed\ncmd_ret:0\n"}};
    std::wstring failingExtraction;
    bool folderThrows = false;
    // Runs inside the given command (1-based), as a handler dispatched by the runner would.
    std::map<int, std::function<void()>> during;

    std::wstring address() override { return note(L"address"), typed; }
    int language() override { return note(L"language"), lang; }
    int series() override { return note(L"series"), seriesIndex; }
    std::wstring text(int row, int language) override {
        return L"row" + std::to_wstring(row) + L"/" + std::to_wstring(language);
    }
    void showMessage(const std::wstring& text) override { note(L"message " + text); }
    void setStatus(const std::wstring& text) override { note(L"status " + text); }
    int position() override { return bar; }
    void setPosition(int p) override { note(L"position " + std::to_wstring(bar = p)); }
    void setBusy(bool busy) override { note(busy ? L"busy" : L"idle"); }
    void createFolder(const std::wstring& name) override {
        note(L"mkdir " + name);
        if (folderThrows) throw std::runtime_error("no folder");
    }
    void deleteIfExists(const std::wstring& name) override { note(L"delete " + name); }
    void extractResource(const std::wstring& file, const std::wstring& resource) override {
        note(L"extract " + file + L" " + resource);
        if (file == failingExtraction)
            throw std::runtime_error("cannot create " + std::string(file.begin(), file.end()));
    }
    std::string readFile(const std::wstring& name) override {
        note(L"read " + name);
        auto it = files.find(name);
        return it == files.end() ? std::string() : it->second;
    }
    void runCommand(const std::wstring& line) override {
        note(L"run " + line);
        ++commandsRun;
        if (auto it = during.find(commandsRun); it != during.end()) it->second();
    }
    bool terminated() override { return ending; }

    std::vector<std::wstring> only(const std::wstring& prefix) const {
        std::vector<std::wstring> out;
        for (const auto& c : calls)
            if (c.rfind(prefix, 0) == 0) out.push_back(c);
        return out;
    }
    int commandsRun = 0;

  private:
    void note(std::wstring call) { calls.push_back(std::move(call)); }
};

std::vector<std::wstring> expectedRuns(int series, const std::wstring& address) {
    std::vector<std::wstring> out;
    for (const auto& c : install::bridgeCommands(Settings{}, address, series))
        out.push_back(L"run " + c.line);
    return out;
}

TEST(InstallRun, CompleteRunInOrder) {
    RecordingHost host;
    Installer installer;
    installer.run(host, Settings{});

    std::vector<std::wstring> expected = {L"address",
                                          L"series",
                                          L"busy",
                                          L"mkdir doLog",
                                          L"delete iu.exe",
                                          L"delete TalvaneTV.wgt",
                                          L"extract iu.exe IUFILE",
                                          L"extract TalvaneTV.wgt WGTFILE",
                                          L"language",
                                          L"status row0/0",
                                          L"position 2"};
    const int positions[] = {6, 18, 22, 27, 39, 48, 60, 72, 81, 90, 100};
    const auto runs = expectedRuns(0, L"192.168.0.105");
    for (size_t i = 0; i < runs.size(); ++i) {
        expected.push_back(runs[i]);
        expected.push_back(L"position " + std::to_wstring(positions[i]));
    }
    for (const wchar_t* tail : {L"delete iu.exe", L"delete TalvaneTV.wgt", L"read doLog\\step1.txt",
                                L"read doLog\\step6.txt", L"language", L"status row10/0", L"idle"})
        expected.push_back(tail);
    EXPECT_THAT(host.calls, ElementsAreArray(expected));
    EXPECT_FALSE(installer.running());
}

TEST(InstallRun, PositionIsReadBackBeforeEachIncrement) {
    RecordingHost host;
    host.during[4] = [&] { host.bar = 50; }; // something moved the bar during command 4
    Installer().run(host, Settings{});
    const auto positions = host.only(L"position ");
    ASSERT_EQ(positions.size(), 12u);
    EXPECT_EQ(positions[4], L"position 55");
    EXPECT_EQ(positions.back(), L"position 128");
}

TEST(InstallRun, RejectedAddressTouchesNothing) {
    for (const wchar_t* typed :
         {L"", L"1.2.34", L"1..2..3", L"12.34.5", L"1.2.3.4 & del *.*", L"300.1.1.1"}) {
        RecordingHost host;
        host.typed = typed;
        host.lang = 1;
        Installer().run(host, Settings{});
        EXPECT_THAT(host.calls, ElementsAre(L"address", L"language", L"message row12/1")) << typed;
    }
}

TEST(InstallRun, ShortestAddressStartsARun) {
    RecordingHost host;
    host.typed = L"1.2.3.4";
    Installer().run(host, Settings{});
    ASSERT_EQ(host.only(L"run ").size(), 11u);
    EXPECT_EQ(host.only(L"run ")[1], LR"(run cmd.exe /c "iu.exe connect 1.2.3.4:26101 > doLog\step1.txt")");
}

TEST(InstallRun, LanguageIsReadAtEachText) {
    RecordingHost host;
    host.during[5] = [&] { host.lang = 1; };
    Installer().run(host, Settings{});
    EXPECT_THAT(host.only(L"status "), ElementsAre(L"status row0/0", L"status row10/1"));
}

TEST(InstallRun, SeriesIsReadOnceForTheWholeRun) {
    RecordingHost host;
    host.seriesIndex = 1;
    host.during[6] = [&] { host.seriesIndex = 0; };
    Installer().run(host, Settings{});
    EXPECT_EQ(host.only(L"series").size(), 1u);
    EXPECT_EQ(host.only(L"run "), expectedRuns(1, L"192.168.0.105"));
}

TEST(InstallRun, SecondPressDuringARunStartsNothing) {
    RecordingHost host;
    Installer installer;
    bool busyInside = false;
    host.during[3] = [&] {
        busyInside = installer.running();
        installer.run(host, Settings{});
    };
    installer.run(host, Settings{});
    EXPECT_TRUE(busyInside);
    EXPECT_EQ(host.only(L"address").size(), 1u);
    EXPECT_EQ(host.only(L"run ").size(), 11u);
    EXPECT_THAT(host.only(L"busy"), ElementsAre(L"busy"));
    EXPECT_EQ(host.calls.back(), L"idle");
}

TEST(InstallRun, ClosingDuringACommandStartsNoFurtherCommand) {
    RecordingHost host;
    host.during[4] = [&] { host.ending = true; };
    Installer().run(host, Settings{});
    auto firstFour = expectedRuns(0, L"192.168.0.105");
    firstFour.resize(4);
    EXPECT_EQ(host.only(L"run "), firstFour);
    EXPECT_THAT(host.only(L"delete "), ElementsAre(L"delete iu.exe", L"delete TalvaneTV.wgt",
                                                   L"delete iu.exe", L"delete TalvaneTV.wgt"));
    EXPECT_THAT(host.only(L"status "), ElementsAre(L"status row0/0"));
    EXPECT_EQ(host.calls.back(), L"idle");
}

TEST(InstallRun, FailedExtractionStopsBeforeAnyCommand) {
    for (const wchar_t* failing : {L"iu.exe", L"TalvaneTV.wgt"}) {
        RecordingHost host;
        host.failingExtraction = failing;
        host.bar = 37;
        Installer installer;
        EXPECT_THROW(installer.run(host, Settings{}), std::runtime_error) << failing;
        EXPECT_TRUE(host.only(L"run ").empty());
        EXPECT_TRUE(host.only(L"status ").empty());
        EXPECT_TRUE(host.only(L"position ").empty());
        EXPECT_EQ(host.calls.back(), L"idle");
        EXPECT_FALSE(installer.running());
    }
}

TEST(InstallRun, LogFolderErrorIsDropped) {
    RecordingHost host;
    host.folderThrows = true;
    Installer().run(host, Settings{});
    EXPECT_EQ(host.only(L"run ").size(), 11u);
    EXPECT_THAT(host.only(L"status "), ElementsAre(L"status row0/0", L"status row10/0"));
}

TEST(InstallRun, FailedInstallShowsTheFailureText) {
    struct Logs {
        const char* step1;
        const char* step6;
    };
    for (Logs logs :
         {Logs{"failed to connect to 192.168.0.105:26101\n", ""},
          Logs{"connected to 192.168.0.105:26101\n",
               "app_id[Hx4TnW9cPa.talvanetv] install failed[118, -12], reason: x\ncmd_ret:0\n"}}) {
        RecordingHost host;
        host.files[L"doLog\\step1.txt"] = logs.step1;
        host.files[L"doLog\\step6.txt"] = logs.step6;
        Installer().run(host, Settings{});
        EXPECT_EQ(host.only(L"run ").size(), 11u);
        EXPECT_EQ(host.only(L"position ").back(), L"position 100");
        EXPECT_THAT(host.only(L"status "), ElementsAre(L"status row0/0", L"status row11/0"));
    }
}

} // namespace
