// Benchmark child: does nothing for the given number of milliseconds.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    Sleep(argc > 1 ? static_cast<DWORD>(wcstoul(argv[1], nullptr, 10)) : 2000);
    return 0;
}
