#include "dpi.h"

namespace app {
namespace {

template <class Function> Function user32Function(const char* name) {
    const FARPROC proc = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(proc));
}

} // namespace

UINT dpiForWindow(HWND window) {
    static const auto getDpiForWindow = user32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (getDpiForWindow) return getDpiForWindow(window);
    const HDC dc = GetDC(window);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(window, dc);
    return static_cast<UINT>(dpi);
}

int systemMetric(int index, UINT dpi) {
    static const auto metricForDpi = user32Function<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
    return metricForDpi ? metricForDpi(index, dpi) : GetSystemMetrics(index);
}

} // namespace app
