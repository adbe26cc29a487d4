#include "device_session.h"

#include "packet.h"
#include "stop_signals.h"
#include "sync.h"

#include <deque>
#include <fstream>
#include <map>
#include <memory>
#include <system_error>

namespace fs = std::filesystem;

namespace tvsim {
namespace {

// A host that goes quiet for this long is dropped, so that one stuck client
// cannot keep the set from serving the next.
constexpr int kIdleMs = 60000;

class Connection {
  public:
    explicit Connection(sdb::Socket socket) : socket_(std::move(socket)), reader_(sdb::kHostMaxPayload) {}

    void send(const sdb::Packet& p) { socket_.sendAll(sdb::encode(p)); }
    sdb::Packet receive() {
        for (;;) {
            if (auto p = reader_.next()) return std::move(*p);
            if (!waitReadable(socket_.get(), kIdleMs)) throw sdb::NetError("the host went quiet");
            std::string bytes = socket_.receive(0);
            if (bytes.empty()) throw sdb::NetError("closed");
            reader_.feed(bytes);
        }
    }

  private:
    sdb::Socket socket_;
    sdb::PacketReader reader_;
};

class Session {
  public:
    Session(Connection& c, Television& tv) : c_(c), tv_(tv) {}
    void run();

  private:
    struct Stream {
        uint32_t remote = 0;
        std::string service;
        sdb::sync::Reader sync{sdb::sync::Reader::Side::Device};
        // A file being received by SEND.
        std::optional<fs::path> target;
        std::string targetName; // as the host named it
        std::string failure;
        std::string content;
        bool sending = false;
    };

    void open(const sdb::Packet& p);
    void write(uint32_t local, Stream& s, std::string_view bytes);
    void close(uint32_t local, Stream& s);
    void syncData(uint32_t local, Stream& s, std::string_view bytes);
    bool handleSync(uint32_t local, Stream& s, const sdb::sync::Message& m);

    sdb::Packet next();

    Connection& c_;
    Television& tv_;
    std::deque<sdb::Packet> deferred_; // arrived while a write waited for its OKAY
    uint32_t maxPayload_ = sdb::kDeviceMaxPayload;
    uint32_t nextId_ = 1;
    std::map<uint32_t, Stream> streams_;
};

sdb::Packet Session::next() {
    if (deferred_.empty()) return c_.receive();
    sdb::Packet p = std::move(deferred_.front());
    deferred_.pop_front();
    return p;
}

void Session::run() {
    for (;;) {
        sdb::Packet p = next();
        switch (p.command) {
        case sdb::CNXN:
            maxPayload_ = std::min(p.arg1 ? p.arg1 : sdb::kDeviceMaxPayload, sdb::kDeviceMaxPayload);
            c_.send({sdb::CNXN, sdb::kDeviceVersion, sdb::kDeviceMaxPayload,
                     sdb::deviceBanner(tv_.config().model, tv_.config().locked)});
            if (tv_.config().locked) c_.send({sdb::STAT, 1, 0, {}});
            break;
        case sdb::OPEN:
            open(p);
            break;
        case sdb::WRTE: {
            auto it = streams_.find(p.arg1);
            if (it == streams_.end()) {
                c_.send({sdb::CLSE, 0, p.arg0, {}});
                break;
            }
            c_.send({sdb::OKAY, p.arg1, p.arg0, {}});
            syncData(p.arg1, it->second, p.data);
            break;
        }
        case sdb::CLSE:
            streams_.erase(p.arg1);
            break;
        default: // OKAY outside a write, STAT: nothing to do
            break;
        }
    }
}

void Session::open(const sdb::Packet& p) {
    std::string service = p.data;
    if (!service.empty() && service.back() == '\0') service.pop_back();
    // A locked set opens nothing; an unknown service is refused the same way.
    bool known = service.rfind("shell:", 0) == 0 || service == "capability:" || service == "sync:";
    if (tv_.config().locked || !known) {
        c_.send({sdb::CLSE, 0, p.arg0, {}});
        return;
    }
    uint32_t local = nextId_++;
    Stream& s = streams_[local];
    s.remote = p.arg0;
    s.service = service;
    c_.send({sdb::OKAY, local, s.remote, {}});

    if (service == "capability:") {
        write(local, s, sdb::encodeCapabilities(tv_.capabilities()));
        close(local, s);
    } else if (service.rfind("shell:", 0) == 0) {
        tv_.shell(std::string_view(service).substr(6), [&](std::string_view out) { write(local, s, out); });
        close(local, s);
    }
}

// Sends in packets no larger than agreed and waits for the host's OKAY to
// each, as flow control asks.
void Session::write(uint32_t local, Stream& s, std::string_view bytes) {
    while (!bytes.empty()) {
        size_t n = std::min<size_t>(bytes.size(), maxPayload_);
        c_.send({sdb::WRTE, local, s.remote, std::string(bytes.substr(0, n))});
        bytes.remove_prefix(n);
        for (;;) {
            sdb::Packet p = c_.receive();
            if (p.command == sdb::OKAY && p.arg1 == local) break;
            if (p.command == sdb::CLSE && p.arg1 == local) throw sdb::NetError("the host closed the stream");
            deferred_.push_back(std::move(p));
        }
    }
}

void Session::close(uint32_t local, Stream& s) {
    c_.send({sdb::CLSE, local, s.remote, {}});
    streams_.erase(local);
}

void Session::syncData(uint32_t local, Stream& s, std::string_view bytes) {
    if (s.service != "sync:") return; // input to a shell is not read
    s.sync.feed(bytes);
    while (auto m = s.sync.next())
        if (!handleSync(local, s, *m)) return;
}

// False once the stream is closed.
bool Session::handleSync(uint32_t local, Stream& s, const sdb::sync::Message& m) {
    namespace sync = sdb::sync;
    switch (m.id) {
    case sync::STAT: {
        std::error_code ec;
        auto path = tv_.localPath(m.data);
        uint32_t mode = 0, size = 0;
        if (path && fs::is_directory(*path, ec))
            mode = sync::kModeDirectory | 0755;
        else if (path && fs::is_regular_file(*path, ec)) {
            mode = sync::kModeRegular | 0644;
            size = static_cast<uint32_t>(fs::file_size(*path, ec));
        }
        write(local, s, sync::statReply(mode, size, 0));
        return true;
    }
    case sync::SEND: {
        std::string remote = m.data.substr(0, m.data.rfind(','));
        s.sending = true;
        s.content.clear();
        s.failure.clear();
        s.target = tv_.writablePath(remote);
        s.targetName = remote;
        std::error_code ec;
        if (!s.target)
            s.failure = "Permission denied: " + remote;
        else if (remote.back() == '/' || fs::is_directory(*s.target, ec))
            s.failure = "Is a directory: " + remote;
        return true;
    }
    case sync::DATA:
        if (!s.sending) throw sdb::ProtocolError("sync DATA without SEND");
        if (s.failure.empty()) s.content += m.data;
        return true;
    case sync::DONE: {
        if (!s.sending) throw sdb::ProtocolError("sync DONE without SEND");
        s.sending = false;
        if (s.failure.empty()) {
            std::error_code ec;
            fs::create_directories(s.target->parent_path(), ec);
            fs::path temp = *s.target;
            temp += ".part";
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            out.write(s.content.data(), static_cast<std::streamsize>(s.content.size()));
            out.close();
            if (!out)
                s.failure = "cannot write " + s.targetName;
            else if (fs::rename(temp, *s.target, ec); ec)
                s.failure = "cannot write " + s.targetName + ": " + ec.message();
            if (!s.failure.empty()) fs::remove(temp, ec);
        }
        write(local, s, s.failure.empty() ? sync::okay() : sync::fail(s.failure));
        s.content.clear();
        return true;
    }
    case sync::QUIT:
        close(local, s);
        return false;
    default:
        write(local, s, sync::fail("unsupported sync request " + sdb::commandName(m.id)));
        return true;
    }
}

} // namespace

void serveConnection(sdb::Socket socket, Television& tv) {
    Connection c(std::move(socket));
    Session session(c, tv);
    try {
        session.run();
    } catch (const sdb::NetError&) {
        // The host hung up: the normal end of a connection.
    }
}

} // namespace tvsim
