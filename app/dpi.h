// Display scaling. The per-monitor functions exist from Windows 10 1607 on;
// on older systems the system DPI stands in for the monitor's.
#pragma once

#include <windows.h>

namespace app {

inline constexpr UINT designDpi = 96;

inline int scale(int pixels, UINT dpi) {
    return MulDiv(pixels, static_cast<int>(dpi), designDpi);
}

UINT dpiForWindow(HWND window);

int systemMetric(int index, UINT dpi);

} // namespace app
