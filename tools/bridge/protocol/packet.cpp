#include "packet.h"

#include "bytes.h"

namespace sdb {

uint32_t checksum(std::string_view data) {
    uint32_t sum = 0;
    for (unsigned char c : data) sum += c;
    return sum;
}

std::string encode(const Packet& p) {
    std::string out;
    out.reserve(kHeaderSize + p.data.size());
    putU32(out, p.command);
    putU32(out, p.arg0);
    putU32(out, p.arg1);
    putU32(out, static_cast<uint32_t>(p.data.size()));
    putU32(out, checksum(p.data));
    putU32(out, p.command ^ 0xFFFFFFFFu);
    out += p.data;
    return out;
}

std::string commandName(uint32_t command) {
    std::string name;
    for (int i = 0; i < 4; ++i) {
        char c = static_cast<char>((command >> (8 * i)) & 0xFF);
        name += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return name;
}

static bool known(uint32_t command) {
    switch (command) {
    case CNXN:
    case OPEN:
    case OKAY:
    case WRTE:
    case CLSE:
    case STAT:
        return true;
    }
    return false;
}

std::optional<Packet> PacketReader::next() {
    if (buffer_.size() < kHeaderSize) return std::nullopt;
    const char* h = buffer_.data();
    Packet p{getU32(h), getU32(h + 4), getU32(h + 8), {}};
    uint32_t length = getU32(h + 12);
    uint32_t sum = getU32(h + 16);
    uint32_t magic = getU32(h + 20);
    if (magic != (p.command ^ 0xFFFFFFFFu))
        throw ProtocolError("bad packet magic for command 0x" + std::to_string(p.command));
    if (!known(p.command)) throw ProtocolError("unknown packet command '" + commandName(p.command) + "'");
    if (length > maxPayload_)
        throw ProtocolError("packet payload of " + std::to_string(length) + " bytes exceeds the limit of " +
                            std::to_string(maxPayload_));
    if (buffer_.size() < kHeaderSize + length) return std::nullopt;
    p.data = buffer_.substr(kHeaderSize, length);
    if (checksum(p.data) != sum) throw ProtocolError("bad checksum in " + commandName(p.command) + " packet");
    buffer_.erase(0, kHeaderSize + length);
    return p;
}

std::string hostBanner() {
    return std::string("host::") + '\0';
}

std::string deviceBanner(std::string_view model, bool locked) {
    return "device::" + std::string(model) + (locked ? "::1" : "::0") + '\0';
}

DeviceInfo parseDeviceBanner(std::string_view banner) {
    if (!banner.empty() && banner.back() == '\0') banner.remove_suffix(1);
    constexpr std::string_view prefix = "device::";
    if (banner.substr(0, prefix.size()) != prefix)
        throw ProtocolError("unexpected banner '" + std::string(banner) + "'");
    banner.remove_prefix(prefix.size());
    DeviceInfo info;
    auto sep = banner.rfind("::");
    if (sep == std::string_view::npos) {
        info.model = banner;
        return info;
    }
    info.model = banner.substr(0, sep);
    info.locked = banner.substr(sep + 2) == "1";
    return info;
}

} // namespace sdb
