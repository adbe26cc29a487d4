#include "win32/unique_handle.h"
#include "install/win32/runner.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// Dispatches like the application object does and remembers a quit request.
class TestPump : public install::MessagePump {
  public:
    void processMessages() override {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit_ = true;
                continue;
            }
            ++dispatched;
            DispatchMessageW(&msg);
        }
    }
    bool terminated() const override { return quit_; }
    int dispatched = 0;

  private:
    bool quit_ = false;
};

std::wstring beside(const wchar_t* name) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return (fs::path(self).parent_path() / name).wstring();
}

// A message-only window whose handler runs `onApp` when it gets WM_APP.
class Target {
  public:
    explicit Target(std::function<void()> onApp) : onApp_(std::move(onApp)) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"RunnerTestTarget";
        RegisterClassW(&wc);
        hwnd =
            CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Target() { DestroyWindow(hwnd); }
    HWND hwnd;

  private:
    static LRESULT CALLBACK proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        if (m == WM_APP) {
            reinterpret_cast<Target*>(GetWindowLongPtrW(h, GWLP_USERDATA))->onApp_();
            return 0;
        }
        return DefWindowProcW(h, m, w, l);
    }
    std::function<void()> onApp_;
};

TEST(RunCommand, ReturnsWhateverTheCommandDid) {
    ScratchFolder dir;
    TestPump pump;
    for (const wchar_t* line :
         {LR"(cmd.exe /c "no-such-program-here.exe")", LR"(cmd.exe /c "exit 3")", LR"(cmd.exe /c "exit 0")"})
        install::runCommand(line, pump);
    SUCCEED() << "each call came back";
}

TEST(RunCommand, RedirectionLandsInTheCurrentFolder) {
    ScratchFolder dir;
    fs::create_directory("doLog");
    TestPump pump;
    install::runCommand(LR"(cmd.exe /c "echo connected to 1.2.3.4:26101 > doLog\step1.txt")", pump);
    EXPECT_EQ(readAll("doLog/step1.txt"), "connected to 1.2.3.4:26101 \r\n");
}

TEST(RunCommand, CommandInterpreterComesFromTheSystemFolder) {
    ScratchFolder dir;
    // A planted "cmd.exe" in the current folder must never be the one that runs.
    fs::copy_file(beside(L"planted.exe"), "cmd.exe");
    TestPump pump;
    install::runCommand(LR"(cmd.exe /c "echo ok> done.txt")", pump);
    EXPECT_TRUE(fs::exists("done.txt"));
    EXPECT_FALSE(fs::exists("planted-ran.txt"));
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(install::commandInterpreter(), std::wstring(system) + L"\\cmd.exe");
}

TEST(RunCommand, DispatchesMessagesWhileTheCommandRuns) {
    ScratchFolder dir;
    win32::KernelHandle release(CreateEventW(nullptr, TRUE, FALSE, L"TalvaneRunnerRelease"));
    bool handled = false;
    // The child ends only once our handler has run, so the wait must dispatch.
    Target target([&] {
        handled = true;
        SetEvent(release.get());
    });
    PostMessageW(target.hwnd, WM_APP, 0, 0);
    TestPump pump;
    const std::wstring line = L"cmd.exe /c \"\"" + beside(L"waiter.exe") + L"\" TalvaneRunnerRelease\"";
    install::runCommand(line, pump);
    EXPECT_TRUE(handled);
    EXPECT_GE(pump.dispatched, 1);
}

TEST(RunCommand, StopsWaitingOnceTheApplicationEnds) {
    ScratchFolder dir;
    win32::KernelHandle release(CreateEventW(nullptr, TRUE, FALSE, L"TalvaneRunnerQuit"));
    Target target([] { PostQuitMessage(0); });
    PostMessageW(target.hwnd, WM_APP, 0, 0);
    TestPump pump;
    const std::wstring line = L"cmd.exe /c \"\"" + beside(L"waiter.exe") + L"\" TalvaneRunnerQuit\"";
    install::runCommand(line, pump);
    // Back while the child still waits for the event nobody has set.
    EXPECT_TRUE(pump.terminated());
    EXPECT_EQ(WaitForSingleObject(release.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    SetEvent(release.get());
}

} // namespace
