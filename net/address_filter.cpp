#include "address_filter.h"

namespace net {
namespace {

bool isAddressCharacter(wchar_t c) {
    return (c >= L'0' && c <= L'9') || c == L'.';
}

} // namespace

wchar_t filterAddressKey(wchar_t key) {
    return isAddressCharacter(key) || key == L'\b' ? key : L'\0';
}

std::wstring filterPastedAddress(std::wstring_view pasted) {
    std::wstring kept;
    for (wchar_t c : pasted)
        if (isAddressCharacter(c)) kept += c;
    return kept;
}

} // namespace net
