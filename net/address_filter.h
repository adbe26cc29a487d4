// What the television address box lets in: digits and dots, and backspace
// when typed.
#pragma once

#include <string>
#include <string_view>

namespace net {

// The typed character if it may enter the box (0-9, '.', backspace),
// otherwise the zero character, which drops it.
wchar_t filterAddressKey(wchar_t key);

// Pasted text reduced to its digits and dots, so that it cannot bring in what
// typing could not.
std::wstring filterPastedAddress(std::wstring_view pasted);

} // namespace net
