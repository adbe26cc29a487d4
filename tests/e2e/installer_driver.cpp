#include "installer_driver.h"

#include <commctrl.h>

#include <stdexcept>

namespace e2e {

namespace {

const wchar_t caption[] = L"Talvane TV Tizen Widget Installator";

std::vector<HWND> descendants(HWND parent) {
    std::vector<HWND> out;
    EnumChildWindows(
        parent,
        [](HWND w, LPARAM p) {
            reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&out));
    return out;
}

} // namespace

std::filesystem::path winPath(const std::string& path) {
    if (!path.empty() && path[0] == '/') return std::filesystem::path("Z:" + path).make_preferred();
    return std::filesystem::path(path).make_preferred();
}

std::string env(const char* name) {
    const char* v = getenv(name);
    if (!v) throw std::runtime_error(std::string("environment variable ") + name + " is not set");
    return v;
}

bool waitFor(const std::function<bool()>& condition, DWORD limitMs) {
    const ULONGLONG end = GetTickCount64() + limitMs;
    while (!condition()) {
        if (GetTickCount64() > end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    return true;
}

std::wstring textOf(HWND w) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 10000, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(w, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                        10000, &got);
    text.resize(got);
    return text;
}

std::wstring classOf(HWND w) {
    wchar_t name[64];
    int n = GetClassNameW(w, name, 64);
    return std::wstring(name, n > 0 ? n : 0);
}

Installer::Installer(const std::filesystem::path& exe, const std::filesystem::path& workFolder) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring line = L"\"" + exe.wstring() + L"\"";
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, workFolder.c_str(),
                        &si, &pi))
        throw std::runtime_error("cannot start the installer");
    win32::KernelHandle thread(pi.hThread);
    process_.reset(pi.hProcess);
    pid_ = pi.dwProcessId;
    if (!waitFor([&] {
            for (HWND w : topWindows())
                if (textOf(w) == caption && IsWindowVisible(w)) window_ = w;
            return window_ != nullptr;
        }))
        throw std::runtime_error("the installer window did not appear");
    for (HWND w : descendants(window_)) {
        const std::wstring cls = classOf(w), text = textOf(w);
        if (cls == L"Edit") edit_ = w;
        if (cls == L"msctls_progress32") bar_ = w;
        if (cls == L"Button" && (text == L"Установить Виджет" || text == L"Widget Install")) install_ = w;
        if (cls == L"Static" && text.starts_with(L"Введите IP вашего ТВ")) status_ = w;
    }
    if (!edit_ || !bar_ || !install_ || !status_)
        throw std::runtime_error("a control of the installer is missing");
}

Installer::~Installer() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        for (HWND box = errorBox(); box; box = errorBox()) closeBox(box);
        close();
        if (waitForExit(20000) < 0) TerminateProcess(process_.get(), 1);
    }
}

std::vector<HWND> Installer::topWindows() const {
    struct Find {
        DWORD pid;
        std::vector<HWND> found;
    } find{pid_, {}};
    EnumWindows(
        [](HWND w, LPARAM p) {
            auto* f = reinterpret_cast<Find*>(p);
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == f->pid) f->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.found;
}

HWND Installer::button(const std::wstring& text) const {
    for (HWND w : descendants(window_))
        if (classOf(w) == L"Button" && textOf(w) == text) return w;
    throw std::runtime_error("no such button");
}

void Installer::type(const std::wstring& text) {
    for (wchar_t c : text) SendMessageW(edit_, WM_CHAR, c, 1);
}

void Installer::click(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
}

int Installer::position() const {
    DWORD_PTR pos = 0;
    SendMessageTimeoutW(bar_, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 10000, &pos);
    return static_cast<int>(pos);
}

HWND Installer::errorBox() const {
    for (HWND w : topWindows())
        if (w != window_ && classOf(w) == L"#32770" && IsWindowVisible(w)) return w;
    return nullptr;
}

std::wstring Installer::boxText(HWND box) {
    std::wstring all;
    for (HWND w : descendants(box))
        if (classOf(w) == L"Static") all += textOf(w);
    return all;
}

void Installer::closeBox(HWND box) {
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

void Installer::close() {
    PostMessageW(window_, WM_CLOSE, 0, 0);
}

int Installer::waitForExit(DWORD limitMs) {
    if (WaitForSingleObject(process_.get(), limitMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return static_cast<int>(code);
}

} // namespace e2e
