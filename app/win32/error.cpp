#include "error.h"

#include "unique_handle.h"

namespace win32 {

std::string toUtf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

std::wstring fromUtf8(std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int chars = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(chars, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), chars);
    return wide;
}

std::wstring errorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const UniqueHandle<HLOCAL, LocalFree> owner(buffer);
    std::wstring message(buffer ? buffer : L"", length);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    if (message.empty()) message = L"error " + std::to_wstring(code);
    return message;
}

Error::Error(std::wstring_view what, DWORD code)
    : std::runtime_error(toUtf8(std::wstring(what) + L": " + errorText(code))), code_(code) {}

void throwLastError(std::wstring_view what) {
    throw Error(what, GetLastError());
}

} // namespace win32
