// Checks the installer from outside, as an automation tool would see it:
// starts TalvaneTVInstaller.exe, finds its window by caption, reads every
// control's class, rectangle and text through standard messages, compares
// them with the layout the window must have, closes it and checks the exit
// code.
//
//   window_check <path of TalvaneTVInstaller.exe>
#include "texts.h"
#include "win32/unique_handle.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr const wchar_t* caption = L"Talvane TV Tizen Widget Installator";
constexpr int window = 0;

struct Expected {
    const char* name;
    int id;
    const wchar_t* className;
    int parent;          // control id, or `window`
    RECT box;            // left, top, width, height at 96 DPI
    int row;             // text-table row in Russian; -1: `text`
    const wchar_t* text; // nullptr: not compared
};

// clang-format off
const Expected expected[] = {
    {"langRG",       100, L"Button",            window, {757, 0, 84, 73},    1,  nullptr},
    {"РУС",          101, L"Button",            100,    {8, 20, 74, 24},     -1, L"РУС"},
    {"ENG",          102, L"Button",            100,    {8, 44, 74, 24},     -1, L"ENG"},
    {"ipGB",         103, L"Button",            window, {3, 0, 752, 73},     2,  nullptr},
    {"ipValLBL",     104, L"Static",            103,    {8, 19, 608, 40},    -1, nullptr},
    {"ipNoteLbl",    105, L"Static",            103,    {8, 55, -1, -1},     3,  nullptr},
    {"refreshIpBTN", 106, L"Button",            103,    {622, 14, 123, 52},  4,  nullptr},
    {"installGB",    107, L"Button",            window, {3, 451, 838, 145},  8,  nullptr},
    {"tvIpLbl",      108, L"Static",            107,    {3, 72, 113, 39},    7,  nullptr},
    {"statusLbl",    109, L"Static",            107,    {8, 20, 626, 46},    9,  nullptr},
    {"tvIpEdt",      110, L"Edit",              107,    {122, 73, 512, 41},  -1, L""},
    {"BitInstall",   111, L"Button",            107,    {640, 72, 192, 39},  6,  nullptr},
    {"installPB",    112, L"msctls_progress32", 107,    {7, 119, 825, 18},   -1, L""},
    {"tvSeriesRG",   113, L"Button",            107,    {640, 10, 192, 57},  5,  nullptr},
    {"J,K",          114, L"Button",            113,    {8, 20, 91, 33},     -1, L"J,K"},
    {"M,N,Q",        115, L"Button",            113,    {99, 20, 91, 33},    -1, L"M,N,Q"},
    {"instManualGB", 116, L"Button",            window, {3, 73, 838, 379},   13, nullptr},
    {"manualLbl",    117, L"Static",            116,    {11, 21, 824, 351},  14, nullptr},
};
// clang-format on

int failures = 0;

void fail(const char* control, const char* what) {
    std::printf("FAIL %s: %s\n", control, what);
    ++failures;
}

std::wstring textOf(HWND hwnd) {
    const auto length = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(length + 1, L'\0');
    text.resize(SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    return text;
}

std::wstring classOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, static_cast<int>(std::size(name)));
    return name;
}

BOOL CALLBACK collect(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

UINT dpiOf(HWND hwnd) {
    using GetDpiForWindow = UINT(WINAPI*)(HWND);
    const auto get = reinterpret_cast<GetDpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    return get ? get(hwnd) : 96;
}

void checkWindow(HWND main) {
    const UINT dpi = dpiOf(main);
    const auto scale = [dpi](LONG v) { return MulDiv(v, static_cast<int>(dpi), 96); };
    std::printf("window at %u DPI\n", dpi);
    RECT client;
    GetClientRect(main, &client);
    if (client.right != scale(844) || client.bottom != scale(600))
        fail("window", "client area is not 844 x 600");

    std::vector<HWND> all;
    EnumChildWindows(main, collect, reinterpret_cast<LPARAM>(&all));
    if (all.size() != std::size(expected)) fail("window", "not 18 controls");

    // Control ids are unique in the whole window.
    const auto byId = [&](int id) -> HWND {
        for (HWND h : all)
            if (GetDlgCtrlID(h) == id) return h;
        return nullptr;
    };
    for (const Expected& e : expected) {
        const HWND parent = e.parent == window ? main : byId(e.parent);
        const HWND hwnd = byId(e.id);
        if (!hwnd || GetParent(hwnd) != parent) {
            fail(e.name, "missing, or not in its parent");
            continue;
        }
        if (_wcsicmp(classOf(hwnd).c_str(), e.className) != 0) fail(e.name, "wrong class");
        RECT r;
        GetWindowRect(hwnd, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        std::printf("%-13s %-18ls %4ld %4ld %4ld %4ld\n", e.name, classOf(hwnd).c_str(), r.left, r.top,
                    r.right - r.left, r.bottom - r.top);
        if (r.left != scale(e.box.left) || r.top != scale(e.box.top)) fail(e.name, "wrong position");
        if (e.box.right >= 0 &&
            (r.right - r.left != scale(e.box.right) || r.bottom - r.top != scale(e.box.bottom)))
            fail(e.name, "wrong size");
        if (e.box.right < 0 && (r.right <= r.left || r.bottom - r.top > scale(20)))
            fail(e.name, "not one line");
        const std::wstring text = textOf(hwnd);
        if (e.row >= 0 && text != texts::text(e.row, texts::russian)) fail(e.name, "wrong text");
        if (e.text && text != e.text) fail(e.name, "wrong text");
        if (e.id == 104 && text.find_first_not_of(L"0123456789. ") != std::wstring::npos)
            fail(e.name, "not an address list");
    }
    const auto checked = [&](int id) { return SendMessageW(byId(id), BM_GETCHECK, 0, 0) == BST_CHECKED; };
    if (!checked(101) || checked(102)) fail("langRG", "РУС is not the selected item");
    if (!checked(114) || checked(115)) fail("tvSeriesRG", "J,K is not the selected item");
    if (SendMessageW(byId(112), PBM_GETPOS, 0, 0) != 0) fail("installPB", "not at 0");
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_check <TalvaneTVInstaller.exe>\n");
        return 2;
    }
    std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started)) {
        std::printf("FAIL cannot start %ls: error %lu\n", argv[1], GetLastError());
        return 1;
    }
    const win32::KernelHandle process(started.hProcess), thread(started.hThread);
    WaitForInputIdle(process.get(), 60000);

    // The window may appear a little after the process turns idle, and it is
    // complete only once shown; wait on the process meanwhile, so that an
    // early exit is seen at once.
    HWND main = nullptr;
    for (int attempt = 0; attempt < 600 && !main; ++attempt) {
        main = FindWindowW(L"TmainForm", caption);
        DWORD owner = 0;
        if (main) GetWindowThreadProcessId(main, &owner);
        if (main && (owner != started.dwProcessId || !IsWindowVisible(main))) main = nullptr;
        if (!main && WaitForSingleObject(process.get(), 100) == WAIT_OBJECT_0) break;
    }
    if (!main) {
        std::printf("FAIL no window \"%ls\" of class TmainForm\n", caption);
        TerminateProcess(process.get(), 1);
        return 1;
    }
    checkWindow(main);

    PostMessageW(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) {
        fail("process", "still running after its window was closed");
        TerminateProcess(process.get(), 1);
    } else {
        DWORD code = 1;
        GetExitCodeProcess(process.get(), &code);
        if (code != 0) fail("process", "exit code is not 0");
    }
    std::printf(failures ? "%d failures\n" : "window as expected\n", failures);
    return failures ? 1 : 0;
}
