// Packets over one TCP connection.
#pragma once

#include "packet.h"
#include "socket.h"

namespace sdb {

class PacketLink {
  public:
    PacketLink(Socket socket, uint32_t maxIncoming) : socket_(std::move(socket)), reader_(maxIncoming) {}

    void send(const Packet& p) { socket_.sendAll(encode(p)); }
    // The next packet; throws NetError on time-out or when the peer closed.
    Packet receive(int timeoutMs);
    Socket& socket() { return socket_; }

  private:
    Socket socket_;
    PacketReader reader_;
};

} // namespace sdb
