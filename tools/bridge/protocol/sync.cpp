#include "sync.h"

#include "bytes.h"
#include "packet.h"

namespace sdb::sync {

static std::string header(uint32_t id, uint32_t value) {
    std::string out;
    putU32(out, id);
    putU32(out, value);
    return out;
}

std::string request(uint32_t id, std::string_view data) {
    return header(id, static_cast<uint32_t>(data.size())) + std::string(data);
}
std::string done(uint32_t mtime) {
    return header(DONE, mtime);
}
std::string quit() {
    return header(QUIT, 0);
}
std::string okay() {
    return header(OKAY, 0);
}
std::string fail(std::string_view reason) {
    return request(FAIL, reason);
}

std::string statReply(uint32_t mode, uint32_t size, uint32_t mtime) {
    std::string out = header(STAT, mode);
    putU32(out, size);
    putU32(out, mtime);
    return out;
}

std::optional<Message> Reader::next() {
    if (buffer_.size() < 8) return std::nullopt;
    Message m;
    m.id = getU32(buffer_.data());
    m.value = getU32(buffer_.data() + 4);
    size_t used = 8;
    if (m.id == STAT && side_ == Side::Host) {
        if (buffer_.size() < 16) return std::nullopt;
        m.mode = m.value;
        m.size = getU32(buffer_.data() + 8);
        m.mtime = getU32(buffer_.data() + 12);
        used = 16;
    } else if (m.id == SEND || m.id == DATA || m.id == FAIL || m.id == STAT) {
        // DATA may carry a whole 64 KiB chunk; anything else is a path or a reason.
        size_t limit = m.id == DATA ? kMaxChunk : 4096;
        if (m.value > limit)
            throw ProtocolError("sync " + commandName(m.id) + " of " + std::to_string(m.value) +
                                " bytes exceeds the limit of " + std::to_string(limit));
        if (buffer_.size() < 8 + m.value) return std::nullopt;
        m.data = buffer_.substr(8, m.value);
        used += m.value;
    } else if (m.id != DONE && m.id != OKAY && m.id != QUIT) {
        throw ProtocolError("unknown sync message '" + commandName(m.id) + "'");
    }
    buffer_.erase(0, used);
    return m;
}

} // namespace sdb::sync
