#include "host.h"

#include "sync.h"

#include <algorithm>

namespace sdb {

HostSession HostSession::connect(const Endpoint& to, const Timeouts& timeouts) {
    HostSession s(PacketLink(Socket::connect(to, timeouts.connectMs), kHostMaxPayload), timeouts);
    s.link_.send({CNXN, kHostVersion, kHostMaxPayload, hostBanner()});
    for (;;) {
        Packet p;
        try {
            p = s.link_.receive(timeouts.handshakeMs);
        } catch (const NetError& e) {
            // A set in developer mode drops a host it was not told about
            // right after accepting it.
            throw NetError(
                std::string(e.what()) +
                " during the handshake; is this PC's address set in the television's developer mode?");
        }
        if (p.command == STAT) {
            s.device_.locked = p.arg0 != 0;
            continue;
        }
        if (p.command != CNXN) throw ProtocolError("expected CNXN, got " + commandName(p.command));
        s.device_ = parseDeviceBanner(p.data);
        s.maxPayload_ = std::clamp<uint32_t>(p.arg1, 1, kHostMaxPayload);
        return s;
    }
}

Packet HostSession::receive() {
    for (;;) {
        Packet p = link_.receive(timeouts_.readMs);
        if (p.command == STAT) { // the set reports a change of its lock state at any time
            device_.locked = p.arg0 != 0;
            continue;
        }
        return p;
    }
}

HostSession::Stream::Stream(HostSession& session, std::string_view service)
    : session_(session), local_(session.nextLocalId_++) {
    session_.link_.send({OPEN, local_, 0, std::string(service) + '\0'});
    for (;;) {
        Packet p = session_.receive();
        if (p.arg1 != local_) continue; // a late packet of an earlier stream
        if (p.command == OKAY) {
            remote_ = p.arg0;
            return;
        }
        if (p.command == CLSE)
            throw RefusedError(session_.locked() ? "the set is locked" : "the set refused the service");
        throw ProtocolError("unexpected " + commandName(p.command) + " while opening a service");
    }
}

HostSession::Stream::~Stream() {
    if (closed_) return;
    try {
        session_.link_.send({CLSE, local_, remote_, {}});
    } catch (const NetError&) {
        // The connection is gone already; there is nothing left to close.
    }
}

void HostSession::Stream::handle(const Packet& p) {
    if (p.arg1 != local_) return;
    if (p.command == WRTE) {
        pending_.push_back(p.data);
        session_.link_.send({OKAY, local_, remote_, {}});
    } else if (p.command == CLSE) {
        closed_ = true;
    } else if (p.command != OKAY) {
        throw ProtocolError("unexpected " + commandName(p.command) + " on an open stream");
    }
}

std::optional<std::string> HostSession::Stream::read() {
    while (pending_.empty() && !closed_) handle(session_.receive());
    if (pending_.empty()) return std::nullopt;
    std::string data = std::move(pending_.front());
    pending_.pop_front();
    return data;
}

void HostSession::Stream::write(std::string_view bytes) {
    while (!bytes.empty()) {
        if (closed_) throw ProtocolError("the set closed the stream during a write");
        size_t n = std::min<size_t>(bytes.size(), session_.maxPayload_);
        session_.link_.send({WRTE, local_, remote_, std::string(bytes.substr(0, n))});
        bytes.remove_prefix(n);
        for (;;) {
            Packet p = session_.receive();
            if (p.arg1 == local_ && p.command == OKAY) break;
            handle(p);
            if (closed_) throw ProtocolError("the set closed the stream during a write");
        }
    }
}

void HostSession::shell(std::string_view command, const std::function<void(std::string_view)>& out) {
    Stream stream(*this, "shell:" + std::string(command));
    while (auto data = stream.read()) out(*data);
}

Capabilities HostSession::capabilities() {
    Stream stream(*this, "capability:");
    std::string all;
    while (auto data = stream.read()) all += *data;
    return decodeCapabilities(all);
}

namespace {
sync::Message readSync(HostSession::Stream& stream, sync::Reader& reader) {
    for (;;) {
        if (auto m = reader.next()) return *m;
        auto data = stream.read();
        if (!data) throw ProtocolError("the set closed the sync stream");
        reader.feed(*data);
    }
}
} // namespace

HostSession::PushResult HostSession::push(std::string_view content, std::string remotePath, uint32_t mode,
                                          uint32_t mtime, std::string_view fileName) {
    Stream stream(*this, "sync:");
    sync::Reader reader(sync::Reader::Side::Host);

    stream.write(sync::request(sync::STAT, remotePath));
    sync::Message st = readSync(stream, reader);
    if (st.id != sync::STAT) throw ProtocolError("expected a STAT answer, got " + commandName(st.id));
    // Into a folder: one that exists, or a path written as one.
    bool folder = !remotePath.empty() && remotePath.back() == '/';
    if ((st.mode & 0170000) == sync::kModeDirectory || folder) {
        if (!folder) remotePath += '/';
        remotePath += fileName;
    }

    // The whole transfer goes out before the answer is read, as the real
    // client does; the set answers once, after DONE.
    std::string out = sync::request(sync::SEND, remotePath + "," + std::to_string(mode & 0777));
    for (size_t at = 0; at < content.size(); at += sync::kMaxChunk) {
        out += sync::request(sync::DATA, content.substr(at, sync::kMaxChunk));
        if (out.size() >= 4 * sync::kMaxChunk) {
            stream.write(out);
            out.clear();
        }
    }
    out += sync::done(mtime);
    stream.write(out);

    PushResult result{false, remotePath, {}};
    sync::Message answer = readSync(stream, reader);
    if (answer.id == sync::OKAY)
        result.ok = true;
    else if (answer.id == sync::FAIL)
        result.failure = answer.data;
    else
        throw ProtocolError("unexpected sync answer " + commandName(answer.id));
    stream.write(sync::quit());
    return result;
}

} // namespace sdb
