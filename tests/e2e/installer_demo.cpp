// `make run` without a display: does what a newcomer would do in the window
// (type the television's address, press the button, wait for the end) and
// writes what the window then says to demo-status.txt in the current folder
// (a program started inside Wine's virtual desktop has no console to print
// to). The installer is left open for the screenshot; `installer_demo
// --close` closes it afterwards.
#include "installer_driver.h"

#include <cstdio>
#include <fstream>

namespace {

const wchar_t caption[] = L"Talvane TV Tizen Widget Installator";

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && std::wstring(argv[1]) == L"--close") {
        HWND w = FindWindowW(nullptr, caption);
        if (!w) return 1;
        PostMessageW(w, WM_CLOSE, 0, 0);
        return 0;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: installer_demo INSTALLER.exe ADDRESS | --close\n");
        return 2;
    }
    try {
        e2e::Installer app(argv[1], std::filesystem::current_path());
        app.type(argv[2]);
        app.pressInstall();
        const bool ended = e2e::waitFor(
            [&] { return app.position() == 100 && IsWindowEnabled(app.installButton()); }, 300000);
        std::ofstream("demo-status.txt", std::ios::binary)
            << win32::toUtf8(app.statusText()) << (ended ? "" : " (the run did not end)") << "\n";
        app.release();
        return ended ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "installer_demo: %s\n", e.what());
        return 1;
    }
}
