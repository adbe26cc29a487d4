// Little-endian integers in byte strings.
#pragma once

#include <cstdint>
#include <string>

namespace sdb {

inline void putU32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline uint32_t getU32(const char* p) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
    return v;
}

} // namespace sdb
