// A TCP connection with time-outs on connect and on every read, on Winsock
// and on POSIX sockets alike.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sdb {

// A network operation failed or timed out; the message says which and why.
struct NetError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

#ifdef _WIN32
using NativeSocket = uintptr_t;
#else
using NativeSocket = int;
#endif

struct Endpoint {
    std::string ip; // dotted IPv4
    uint16_t port = 0;
    std::string text() const { return ip + ":" + std::to_string(port); }
};

// "a.b.c.d:port" or "a.b.c.d" (then defaultPort); throws std::invalid_argument.
// Port 0 (any free port, for listening) only when allowPortZero.
Endpoint parseEndpoint(std::string_view text, uint16_t defaultPort, bool allowPortZero = false);

class Socket {
  public:
    Socket() = default;
    explicit Socket(NativeSocket s) : s_(s) {}
    Socket(Socket&& o) noexcept : s_(o.release()) {}
    Socket& operator=(Socket&& o) noexcept;
    ~Socket() { close(); }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    static Socket connect(const Endpoint& to, int timeoutMs);

    bool valid() const;
    NativeSocket get() const { return s_; }
    NativeSocket release();
    void close();

    void sendAll(std::string_view bytes);
    // Some bytes, waiting at most timeoutMs; empty when the peer closed.
    std::string receive(int timeoutMs);

  private:
    NativeSocket s_ = invalid();
    static NativeSocket invalid();
};

// The text of the last socket error of this thread.
std::string lastSocketError();

} // namespace sdb
