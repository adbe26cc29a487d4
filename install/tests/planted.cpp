// Stands in for a "cmd.exe" planted in the current folder: if it ever runs, it
// leaves a file saying so.
#include <windows.h>

int wmain() {
    HANDLE f = CreateFileW(L"planted-ran.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    return 0;
}
