// The real installer against simulated televisions that tests/e2e/run.sh
// starts before this program: a J,K set, an M,N,Q set, an address where no set
// listens, a set that trusts another signer (so it refuses our package) and a
// slow set. Each case runs the installer in a work folder of its own.
#include "installer_driver.h"
#include "install/tests/scratch_folder.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using e2e::env;
using e2e::Installer;
using e2e::waitFor;

namespace {

const std::wstring done = L"Процесс установки завершен. Проверьте наличие виджета в SmartHub Вашего ТВ.";
const std::wstring failed = L"При установке виджета произошли ошибки. Установка не выполнена.";
const std::wstring doneEnglish =
    L"Installation process is complete. Check presence of widget in SmartHub of Your TV.";
const std::wstring prompt = L"Введите IP вашего ТВ, Выберите его серию, Нажмите \"Установить виджет\"";

std::wstring wide(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

bool contains(const std::string& s, const std::string& part) {
    return s.find(part) != std::string::npos;
}

fs::path installerExe() {
    return e2e::winPath(env("E2E_INSTALLER"));
}

// Presses the button, expects the error box naming `mentions`, closes it and
// finds the window as it was: no run started.
void pressAndExpectError(Installer& app, const char* name, const char* mentions) {
    app.type(L"127.0.0.2");
    app.pressInstall();
    HWND box = nullptr;
    ASSERT_TRUE(waitFor([&] { return (box = app.errorBox()) != nullptr; })) << name;
    const std::string text = win32::toUtf8(Installer::boxText(box));
    EXPECT_TRUE(contains(text, mentions)) << name << ": " << text;
    app.closeBox(box);
    ASSERT_TRUE(waitFor([&] { return app.errorBox() == nullptr; })) << name;
    EXPECT_EQ(app.statusText(), prompt) << name;
    EXPECT_EQ(app.position(), 0) << name;
    EXPECT_TRUE(IsWindowEnabled(app.installButton())) << name;
}

bool finished(const Installer& app) {
    const std::wstring s = app.statusText();
    return (s == done || s == failed || s == doneEnglish) && IsWindowEnabled(app.installButton());
}

// Types the address, presses the button and waits for the end of the run.
void install(Installer& app, const std::string& address) {
    app.type(wide(address));
    app.pressInstall();
    ASSERT_TRUE(waitFor([&] { return finished(app); }, 120000)) << "status: " << e2e::textOf(app.status());
}

std::vector<std::string> stepLogs() {
    std::vector<std::string> logs;
    for (int i = 1; i <= 7; ++i) {
        const fs::path p = fs::path("doLog") / ("step" + std::to_string(i) + ".txt");
        logs.push_back(fs::exists(p) ? readAll(p) : std::string("(missing)"));
    }
    return logs;
}

TEST(Install, CompleteInstallOnAJKSet) {
    ScratchFolder work;
    Installer app(installerExe(), work.path());
    install(app, env("E2E_SET_JK"));

    EXPECT_EQ(app.statusText(), done);
    EXPECT_EQ(app.position(), 100);
    EXPECT_FALSE(fs::exists("iu.exe"));
    EXPECT_FALSE(fs::exists("TalvaneTV.wgt"));
    const auto logs = stepLogs();
    for (int i = 0; i < 7; ++i) EXPECT_NE(logs[i], "(missing)") << "step" << i + 1;
    EXPECT_TRUE(contains(logs[0], "connected to " + env("E2E_SET_JK") + ":26101")) << logs[0];
    EXPECT_TRUE(contains(logs[4], "1 file(s) pushed")) << logs[4];
    EXPECT_TRUE(contains(logs[5], "install completed")) << logs[5];
    EXPECT_TRUE(contains(logs[6], "Hx4TnW9cPa.talvanetv")) << "the set lists the app: " << logs[6];
}

TEST(Install, SecondRunReplacesTheLogs) {
    ScratchFolder work;
    Installer app(installerExe(), work.path());
    install(app, env("E2E_SET_JK"));
    const auto first = stepLogs();
    for (int i = 1; i <= 7; ++i)
        writeAll(fs::path("doLog") / ("step" + std::to_string(i) + ".txt"), "stale\n");

    app.pressInstall();
    ASSERT_TRUE(waitFor([&] { return app.statusText() != done; }));
    ASSERT_TRUE(waitFor([&] { return finished(app); }, 120000));
    const auto second = stepLogs();
    for (int i = 0; i < 7; ++i) {
        EXPECT_FALSE(contains(second[i], "stale")) << "step" << i + 1 << ": " << second[i];
        EXPECT_NE(second[i], "(missing)");
    }
    EXPECT_EQ(second[0], first[0]);
    EXPECT_EQ(app.statusText(), done);
}

TEST(Install, SeriesMNQUsesItsStagingFolder) {
    ScratchFolder work;
    Installer app(installerExe(), work.path());
    app.click(app.button(L"M,N,Q"));
    ASSERT_TRUE(
        waitFor([&] { return SendMessageW(app.button(L"M,N,Q"), BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    install(app, env("E2E_SET_MNQ"));
    EXPECT_EQ(app.statusText(), done);
    const auto logs = stepLogs();
    EXPECT_TRUE(contains(logs[5], "install completed")) << logs[5];
    EXPECT_TRUE(contains(logs[6], "Hx4TnW9cPa.talvanetv")) << logs[6];
}

TEST(Install, FailuresAreReportedAfterAllCommands) {
    struct Case {
        const char* name;
        const char* set;
        const char* step; // index of the log that shows why
        const char* why;
    };
    for (Case c : {Case{"no set listening", "E2E_SET_DOWN", "0", "failed to connect"},
                   Case{"set refuses the package", "E2E_SET_REJECT", "5", "install failed[118"}}) {
        ScratchFolder work;
        Installer app(installerExe(), work.path());
        install(app, env(c.set));
        EXPECT_EQ(app.statusText(), failed) << c.name;
        EXPECT_EQ(app.position(), 100) << c.name;
        EXPECT_FALSE(fs::exists("iu.exe")) << c.name;
        EXPECT_FALSE(fs::exists("TalvaneTV.wgt")) << c.name;
        const auto logs = stepLogs();
        for (int i = 0; i < 7; ++i) EXPECT_NE(logs[i], "(missing)") << c.name << ": step" << i + 1;
        const std::string& log = logs[std::stoi(c.step)];
        EXPECT_TRUE(contains(log, c.why)) << c.name << ": " << log;
    }
}

TEST(Install, LeftoverWorkFilesAreReplacedByteForByte) {
    ScratchFolder work;
    writeAll("iu.exe", std::string(9000000, 'x'));
    writeAll("TalvaneTV.wgt", "leftover");
    Installer app(installerExe(), work.path());
    app.type(wide(env("E2E_SET_SLOW")));
    app.pressInstall();
    // The slow set holds each command long enough to look at the files.
    ASSERT_TRUE(waitFor([&] { return app.position() >= 6; }));
    EXPECT_EQ(readAll("iu.exe"), readAll(e2e::winPath(env("E2E_BRIDGE"))));
    EXPECT_EQ(readAll("TalvaneTV.wgt"), readAll(e2e::winPath(env("E2E_PACKAGE"))));
    ASSERT_TRUE(waitFor([&] { return finished(app); }, 120000));
    EXPECT_EQ(app.statusText(), done);
}

TEST(Install, ExtractionErrorsAreShownAndNothingRuns) {
    struct Case {
        const char* name;
        const char* exe;
        std::function<void()> prepare;
        const char* mentions;
    };
    const Case cases[] = {
        {"folder named iu.exe", "E2E_INSTALLER", [] { fs::create_directory("iu.exe"); }, "iu.exe"},
        {"build without the package", "E2E_INSTALLER_NO_WGT", [] {}, "TalvaneTV.wgt"},
    };
    for (const Case& c : cases) {
        ScratchFolder work;
        c.prepare();
        Installer app(e2e::winPath(env(c.exe)), work.path());
        pressAndExpectError(app, c.name, c.mentions);
        EXPECT_FALSE(fs::exists("doLog/step1.txt")) << c.name << ": a command ran";
    }
}

// Only an ordinary user meets read-only files and folders: root may write
// them. CTest runs this case again as one (installer_e2e_unprivileged).
TEST(Install, UnwritableWorkFilesAreShownAndNothingRuns) {
    if (!getenv("TALVANE_REQUIRE_PERMISSIONS")) GTEST_SKIP() << "needs an ordinary user";
    const fs::path exe = e2e::winPath(env("TALVANE_STAGE")) / "TalvaneTVInstaller.exe";
    {
        ScratchFolder work;
        writeAll("iu.exe", "old");
        SetFileAttributesW(L"iu.exe", FILE_ATTRIBUTE_READONLY);
        Installer app(exe, work.path());
        pressAndExpectError(app, "read-only iu.exe", "iu.exe");
        EXPECT_EQ(readAll("iu.exe"), "old");
        EXPECT_FALSE(fs::exists("doLog/step1.txt")) << "a command ran";
    }
    {
        const fs::path folder = e2e::winPath(env("TALVANE_READONLY_DIR"));
        Installer app(exe, folder);
        pressAndExpectError(app, "work folder without write access", "iu.exe");
        EXPECT_FALSE(fs::exists(folder / "doLog"));
    }
}

TEST(Install, BuildWithoutThePackageLeavesTheToolUntilNextTime) {
    ScratchFolder work;
    Installer app(e2e::winPath(env("E2E_INSTALLER_NO_WGT")), work.path());
    app.type(wide(env("E2E_SET_JK")));
    app.pressInstall();
    HWND box = nullptr;
    ASSERT_TRUE(waitFor([&] { return (box = app.errorBox()) != nullptr; }));
    app.closeBox(box);
    EXPECT_EQ(readAll("iu.exe"), readAll(e2e::winPath(env("E2E_BRIDGE"))));
    EXPECT_FALSE(fs::exists("TalvaneTV.wgt"));
}

TEST(Install, WindowStaysUsableDuringALongCommand) {
    ScratchFolder work;
    Installer app(installerExe(), work.path());
    app.type(wide(env("E2E_SET_SLOW")));
    app.pressInstall();
    ASSERT_TRUE(waitFor([&] { return app.position() >= 6 && app.position() < 100; }));
    EXPECT_FALSE(IsWindowEnabled(app.installButton())) << "the button is greyed during a run";

    // Repaints: an invalidated window is painted again while the command runs.
    RedrawWindow(app.window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    EXPECT_TRUE(waitFor([&] { return !GetUpdateRect(app.window(), nullptr, FALSE); }, 10000));

    // The language switch works at once and puts up the prompt.
    app.click(app.button(L"ENG"));
    EXPECT_TRUE(waitFor([&] { return e2e::textOf(app.installButton()) == L"Widget Install"; }, 10000));
    EXPECT_EQ(app.statusText(), L"Enter the IP of your TV, Select its series, Click \"Install Widget\"");

    // A press that still reaches the window starts nothing.
    const int before = app.position();
    SendMessageW(GetParent(app.installButton()), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(app.installButton()), BN_CLICKED),
                 reinterpret_cast<LPARAM>(app.installButton()));
    EXPECT_GE(app.position(), before);
    EXPECT_EQ(app.statusText(), L"Enter the IP of your TV, Select its series, Click \"Install Widget\"");

    // The address list refreshes while the command runs.
    app.click(app.button(L"Refresh IP"));
    ASSERT_TRUE(waitFor([&] { return finished(app); }, 120000));
    EXPECT_EQ(app.statusText(), doneEnglish);
    EXPECT_EQ(app.position(), 100);
    EXPECT_TRUE(IsWindowEnabled(app.installButton()));
}

TEST(Install, ClosingDuringACommandEndsCleanly) {
    ScratchFolder work;
    Installer app(installerExe(), work.path());
    app.type(wide(env("E2E_SET_SLOW")));
    app.pressInstall();
    ASSERT_TRUE(waitFor([&] { return app.position() >= 18; }));
    app.close();
    EXPECT_EQ(app.waitForExit(60000), 0);
    EXPECT_FALSE(fs::exists("doLog/step7.txt")) << "a command ran after the window was closed";
    EXPECT_FALSE(fs::exists("TalvaneTV.wgt"));
}

} // namespace
