#include "address.h"

namespace install {

bool isDottedQuad(std::wstring_view text) {
    int parts = 0;
    size_t i = 0;
    while (true) {
        size_t digits = 0;
        int value = 0;
        while (i < text.size() && text[i] >= L'0' && text[i] <= L'9' && digits < 4) {
            value = value * 10 + (text[i] - L'0');
            ++digits;
            ++i;
        }
        if (digits == 0 || digits > 3 || value > 255) return false;
        if (digits > 1 && text[i - digits] == L'0') return false;
        ++parts;
        if (parts == 4) return i == text.size();
        if (i >= text.size() || text[i] != L'.') return false;
        ++i;
    }
}

} // namespace install
