#include "capability.h"

#include "packet.h"

namespace sdb {

std::string encodeCapabilities(const Capabilities& caps) {
    std::string body;
    for (const auto& [key, value] : caps) body += key + ":" + value + "\n";
    if (body.size() > 0xFFFF) throw std::length_error("capabilities too long");
    std::string out;
    out += static_cast<char>(body.size() & 0xFF);
    out += static_cast<char>(body.size() >> 8);
    return out + body;
}

Capabilities decodeCapabilities(std::string_view bytes) {
    if (bytes.size() < 2) throw ProtocolError("capability answer too short");
    size_t length =
        static_cast<unsigned char>(bytes[0]) | static_cast<size_t>(static_cast<unsigned char>(bytes[1])) << 8;
    bytes.remove_prefix(2);
    if (bytes.size() != length)
        throw ProtocolError("capability answer holds " + std::to_string(bytes.size()) + " bytes, announced " +
                            std::to_string(length));
    Capabilities caps;
    while (!bytes.empty()) {
        auto eol = bytes.find('\n');
        std::string_view line = bytes.substr(0, eol);
        bytes.remove_prefix(eol == std::string_view::npos ? bytes.size() : eol + 1);
        auto colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        caps[std::string(line.substr(0, colon))] = std::string(line.substr(colon + 1));
    }
    return caps;
}

} // namespace sdb
