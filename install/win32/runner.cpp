#include "runner.h"

#include "win32/error.h"
#include "win32/unique_handle.h"

#include <windows.h>

namespace install {

std::wstring commandInterpreter() {
    wchar_t folder[MAX_PATH];
    UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) win32::throwLastError(L"Cannot find the system folder");
    return std::wstring(folder, n) + L"\\cmd.exe";
}

void runCommand(const std::wstring& commandLine, MessagePump& pump) {
    const std::wstring interpreter = commandInterpreter();
    std::wstring line = commandLine; // CreateProcessW may write into it

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info{};
    // CREATE_NO_WINDOW: the interpreter gets a console of its own that never
    // has a window. SW_HIDE alone is ignored by Windows Terminal, which would
    // flash a window for every command.
    if (!CreateProcessW(interpreter.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info))
        return;
    // Declared in this order so that the thread handle is closed first.
    win32::KernelHandle process(info.hProcess);
    win32::KernelHandle thread(info.hThread);

    while (MsgWaitForMultipleObjects(1, &info.hProcess, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        pump.processMessages();
        if (pump.terminated()) break;
    }
}

} // namespace install
