// Win32 failures as exceptions that carry the system's own error text.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace win32 {

// UTF-8 <-> UTF-16 without any locale: exception messages are UTF-8, the
// Win32 boundary is UTF-16.
std::string toUtf8(std::wstring_view text);
std::wstring fromUtf8(std::string_view text);

// The system's message for an error code, without the trailing line break.
std::wstring errorText(DWORD code);

class Error : public std::runtime_error {
  public:
    // "<what>: <system text>" for `code`.
    Error(std::wstring_view what, DWORD code);
    DWORD code() const { return code_; }

  private:
    DWORD code_;
};

// Throws win32::Error for GetLastError() after a failed call.
[[noreturn]] void throwLastError(std::wstring_view what);

} // namespace win32
