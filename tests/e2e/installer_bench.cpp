// Prints what the installer costs on top of the work it hands to the bridge
// tool: a whole run against the simulated set next to the same eleven command
// lines run one after another; writing a payload from the resource next to
// copying the same file; the CPU the message-pumping wait uses while a
// command takes two seconds. Started by scripts/bench.d/installer.sh.
#include "install/commands.h"
#include "win32/unique_handle.h"
#include "install/win32/runner.h"
#include "install/win32/workfiles.h"
#include "installer_driver.h"
#include "install/tests/scratch_folder.h"

#include <algorithm>
#include <cstdio>

namespace fs = std::filesystem;

namespace {

double now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(f.QuadPart);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double cpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto s = [](FILETIME t) { return (double(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) * 1e-7; };
    return s(kernel) + s(user);
}

class Pump : public install::MessagePump {
  public:
    void processMessages() override {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    bool terminated() const override { return false; }
};

// flags 0: the child shares this console program's console, as lines typed
// into a command prompt do. CREATE_NO_WINDOW: it gets a console of its own,
// as every child of a program without a console (the installer) must.
void runPlain(const std::wstring& line, DWORD flags) {
    std::wstring buffer = line;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    const std::wstring cmd = install::commandInterpreter();
    if (!CreateProcessW(cmd.c_str(), buffer.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &si,
                        &pi))
        return;
    win32::KernelHandle process(pi.hProcess), thread(pi.hThread);
    WaitForSingleObject(pi.hProcess, INFINITE);
}

double bareCommands(const std::string& address, DWORD flags) {
    ScratchFolder work;
    fs::create_directory("doLog");
    fs::copy_file(e2e::winPath(e2e::env("E2E_BRIDGE")), "iu.exe");
    fs::copy_file(e2e::winPath(e2e::env("E2E_PACKAGE")), "TalvaneTV.wgt");
    const double start = now();
    for (const auto& c :
         install::bridgeCommands(install::Settings{}, std::wstring(address.begin(), address.end()), 0))
        runPlain(c.line, flags);
    return now() - start;
}

double installerRun(const std::string& address) {
    ScratchFolder work;
    e2e::Installer app(e2e::winPath(e2e::env("E2E_INSTALLER")), work.path());
    app.type(std::wstring(address.begin(), address.end()));
    const double start = now();
    app.pressInstall();
    e2e::waitFor([&] { return app.position() == 100 && IsWindowEnabled(app.installButton()); }, 300000);
    return now() - start;
}

} // namespace

int main() {
    const std::string address = e2e::env("E2E_SET_JK");
    const int rounds = 5;
    std::vector<double> bare, own, run;
    installerRun(address); // warm the caches of Wine and of the set
    for (int i = 0; i < rounds; ++i) {
        bare.push_back(bareCommands(address, 0));
        own.push_back(bareCommands(address, CREATE_NO_WINDOW));
        run.push_back(installerRun(address));
    }
    std::printf("eleven bare cmd.exe lines, one console : %7.3f s (median of %d)\n", median(bare), rounds);
    std::printf("the same, a hidden console for each    : %7.3f s\n", median(own));
    std::printf("whole installer run                    : %7.3f s\n", median(run));
    std::printf("installer / bare lines                 : %7.3f x (target <= 1.05)\n",
                median(run) / median(bare));
    std::printf("installer / lines with own consoles    : %7.3f x\n", median(run) / median(own));

    {
        ScratchFolder work;
        std::vector<double> extract, copy;
        install::extractResource(L"source.bin", L"BLOB");
        const auto size = fs::file_size("source.bin");
        for (int i = 0; i < 10; ++i) {
            double t = now();
            install::extractResource(L"extracted.bin", L"BLOB");
            extract.push_back(now() - t);
            t = now();
            CopyFileW(L"source.bin", L"copied.bin", FALSE);
            copy.push_back(now() - t);
        }
        std::printf("write a %llu-byte payload from resource: %6.2f ms (median of 10)\n",
                    static_cast<unsigned long long>(size), median(extract) * 1e3);
        std::printf("copy the same file                       : %6.2f ms\n", median(copy) * 1e3);
        std::printf("payload write / copy                     : %6.3f x (target <= 1.2)\n",
                    median(extract) / median(copy));
    }

    {
        ScratchFolder work;
        Pump pump;
        const std::wstring line =
            L"cmd.exe /c \"\"" + e2e::winPath(e2e::env("E2E_SLEEPER")).wstring() + L"\" 2000\"";
        const double cpu = cpuSeconds(), wall = now();
        install::runCommand(line, pump);
        std::printf("CPU used while a command waits %.2f s   : %6.2f ms (target < 10)\n", now() - wall,
                    (cpuSeconds() - cpu) * 1e3);
    }
    return 0;
}
