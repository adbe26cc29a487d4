#pragma once
// Drives a running TalvaneTVInstaller.exe from outside, the way a user (or a
// screen reader) would reach it: find the window by its caption, find the
// controls by class and caption, send them real messages.
#include "win32/error.h"
#include "win32/unique_handle.h"

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Unix paths (as CMake hands them over) seen through Wine's Z: drive.
std::filesystem::path winPath(const std::string& path);
std::string env(const char* name);

// Waits until `condition` holds, checking whenever a little time has passed;
// gives up after `limitMs`.
bool waitFor(const std::function<bool()>& condition, DWORD limitMs = 60000);

std::wstring textOf(HWND w);
std::wstring classOf(HWND w);

class Installer {
  public:
    Installer(const std::filesystem::path& exe, const std::filesystem::path& workFolder);
    ~Installer();

    HWND window() const { return window_; }
    HWND edit() const { return edit_; }
    HWND installButton() const { return install_; }
    HWND status() const { return status_; }
    HWND bar() const { return bar_; }
    HWND button(const std::wstring& caption) const; // any button, found by caption

    void type(const std::wstring& text);
    void click(HWND button);
    void pressInstall() { click(install_); }
    int position() const;
    std::wstring statusText() const { return textOf(status_); }

    // The error box the installer shows for an exception, if one is up.
    HWND errorBox() const;
    // Text of the message in a box.
    static std::wstring boxText(HWND box);
    void closeBox(HWND box);

    void close();
    // Leaves the installer running when this object goes.
    void release() { process_.reset(); }
    // Exit code once the process has ended within the limit; -1 otherwise.
    int waitForExit(DWORD limitMs = 60000);

  private:
    std::vector<HWND> topWindows() const;
    win32::KernelHandle process_;
    DWORD pid_ = 0;
    HWND window_ = nullptr, edit_ = nullptr, install_ = nullptr, status_ = nullptr, bar_ = nullptr;
};

} // namespace e2e
