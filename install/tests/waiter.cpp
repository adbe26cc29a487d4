// Child process of the runner tests: waits until the named event is set (or a
// minute passes, so that a broken runner fails the test instead of hanging
// it), then exits with 0 when the event came and 1 otherwise.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, argv[1]);
    if (!event) return 3;
    DWORD r = WaitForSingleObject(event, 60000);
    CloseHandle(event);
    return r == WAIT_OBJECT_0 ? 0 : 1;
}
