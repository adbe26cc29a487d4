// libFuzzer target for the address check. The input bytes are read as UTF-16
// code units, as the address box holds them. The check must agree with glibc's
// inet_pton, which takes exactly four decimal numbers 0-255 without leading
// zeros; anything outside ASCII must be refused.
#include "install/address.h"

#include <arpa/inet.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<wchar_t>(data[i] | data[i + 1] << 8));

    bool ascii = true;
    std::string narrow;
    for (wchar_t c : text) {
        if (c == 0 || c > 0x7f) ascii = false;
        narrow.push_back(static_cast<char>(c));
    }
    unsigned char addr[4];
    const bool expected = ascii && inet_pton(AF_INET, narrow.c_str(), addr) == 1;
    if (install::isDottedQuad(text) != expected) abort();
    return 0;
}
