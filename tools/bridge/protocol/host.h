// The host end of a bridge connection: the handshake, then services opened
// one after another.
#pragma once

#include "link.h"
#include "capability.h"

#include <deque>
#include <functional>

namespace sdb {

struct Timeouts {
    int connectMs = 3000;
    int handshakeMs = 5000; // each read of the CNXN exchange
    int readMs = 30000;     // each read once connected: a command on the set may be quiet for a while
};

// The set answered but refused what was asked.
struct RefusedError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class HostSession {
  public:
    // Connects and completes the CNXN exchange; throws NetError or ProtocolError.
    static HostSession connect(const Endpoint& to, const Timeouts& timeouts);

    const DeviceInfo& device() const { return device_; }
    bool locked() const { return device_.locked; }
    uint32_t maxPayload() const { return maxPayload_; }

    // Runs "shell:<command>" and hands each piece of output to `out`.
    void shell(std::string_view command, const std::function<void(std::string_view)>& out);
    Capabilities capabilities();

    struct PushResult {
        bool ok = false;
        std::string remotePath; // where the file went
        std::string failure;    // the set's reason when !ok
    };
    // Copies `content` to remotePath (into it, when it names a folder).
    PushResult push(std::string_view content, std::string remotePath, uint32_t mode, uint32_t mtime,
                    std::string_view fileName);

    class Stream;

  private:
    HostSession(PacketLink link, Timeouts timeouts) : link_(std::move(link)), timeouts_(timeouts) {}
    Packet receive();

    PacketLink link_;
    Timeouts timeouts_;
    DeviceInfo device_;
    uint32_t maxPayload_ = kDeviceMaxPayload;
    uint32_t nextLocalId_ = 1;
};

// One open service. Reads hand back the payload of each WRTE (answering it
// with OKAY); writes wait for the set's OKAY, as flow control asks.
class HostSession::Stream {
  public:
    Stream(HostSession& session, std::string_view service);
    ~Stream();
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    // The next piece of output, or nullopt once the set closed the stream.
    std::optional<std::string> read();
    void write(std::string_view bytes);

  private:
    void handle(const Packet& p);

    HostSession& session_;
    uint32_t local_;
    uint32_t remote_ = 0;
    bool closed_ = false;
    std::deque<std::string> pending_;
};

} // namespace sdb
