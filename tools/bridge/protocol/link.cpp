#include "link.h"

namespace sdb {

Packet PacketLink::receive(int timeoutMs) {
    for (;;) {
        if (auto p = reader_.next()) return std::move(*p);
        std::string bytes = socket_.receive(timeoutMs);
        if (bytes.empty()) throw NetError("connection closed by the other end");
        reader_.feed(bytes);
    }
}

} // namespace sdb
