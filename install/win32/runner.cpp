#include "runner.h"

#include "error.h"
#include "handle.h"

#include <windows.h>

namespace install {

std::wstring commandInterpreter() {
    wchar_t folder[MAX_PATH];
    UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        throw Error(L"Cannot find the system folder: " + systemMessage(GetLastError()));
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
    if (!CreateProcessW(interpreter.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return;
    // Declared in this order so that the thread handle is closed first.
    unique_handle process(info.hProcess);
    unique_handle thread(info.hThread);

    while (MsgWaitForMultipleObjects(1, &info.hProcess, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        pump.processMessages();
        if (pump.terminated()) break;
    }
}

} // namespace install
