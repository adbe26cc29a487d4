// tvsim: a simulated Samsung television in developer mode, at the other end
// of the Smart Development Bridge, so that installs can run here end to end.
//
//   tvsim --listen <ip>:<port> --state <dir> --series jk|mnq --root <trusted-root.pem>
//         [--allow-host <ip>]... [--model <name>] [--locked] [--delay-ms <n>]
//
// Port 0 picks a free port. Once listening it prints "listening on <ip>:<port>"
// and serves connections one after another until SIGTERM or SIGINT, then
// exits 0. A connection from a host that is not allowed (default 127.0.0.1,
// the source address of every loopback connection on Linux, Wine's included)
// is closed right after accept, as a set does.
//
// State folder, for tests to inspect:
//   <state>/fs/<remote path>      files pushed and folders made on the set,
//                                 e.g. <state>/fs/opt/usr/apps/tmp/TalvaneTV.wgt
//   <state>/apps/<app id>.wgt     each installed application: a copy of the
//                                 package it was installed from
// Writable on the set: /opt/usr/apps/tmp (jk) or
// /home/owner/share/tmp/sdk_tools/tmp (mnq) and what lies below.
#include "device_session.h"
#include "stop_signals.h"
#include "television.h"

#include <arpa/inet.h>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <set>
#include <sys/socket.h>

namespace {

struct Options {
    sdb::Endpoint listen{"127.0.0.2", 26101};
    std::set<std::string> allowed;
    tvsim::Config config;
};

[[noreturn]] void usage(const std::string& problem) {
    std::cerr << "tvsim: " << problem << "\n"
              << "usage: tvsim --listen <ip>:<port> --state <dir> --series jk|mnq --root <trusted-root.pem>\n"
              << "             [--allow-host <ip>]... [--model <name>] [--locked] [--delay-ms <n>]\n";
    std::exit(2);
}

Options parse(int argc, char** argv) {
    Options o;
    bool haveSeries = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) usage(arg + " needs a value");
            return argv[++i];
        };
        try {
            if (arg == "--listen")
                o.listen = sdb::parseEndpoint(value(), 26101, true);
            else if (arg == "--state")
                o.config.stateDir = value();
            else if (arg == "--series") {
                std::string s = value();
                if (s != "jk" && s != "mnq") usage("--series is jk or mnq");
                o.config.series = s == "jk" ? tvsim::Series::JK : tvsim::Series::MNQ;
                haveSeries = true;
            } else if (arg == "--allow-host")
                o.allowed.insert(sdb::parseEndpoint(value(), 1).ip);
            else if (arg == "--root")
                o.config.trustedRootPem = value();
            else if (arg == "--model")
                o.config.model = value();
            else if (arg == "--locked")
                o.config.locked = true;
            else if (arg == "--delay-ms")
                o.config.delayMs = std::stoi(value());
            else
                usage("unknown option " + arg);
        } catch (const std::invalid_argument& e) {
            usage(arg + ": " + e.what());
        } catch (const std::out_of_range&) {
            usage(arg + ": value out of range");
        }
    }
    if (o.config.stateDir.empty()) usage("--state is required");
    if (o.config.trustedRootPem.empty()) usage("--root is required");
    if (!haveSeries) usage("--series is required");
    if (o.allowed.empty()) o.allowed.insert("127.0.0.1");
    return o;
}

sdb::Socket listenOn(sdb::Endpoint& at) {
    sdb::Socket s(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!s.valid()) throw std::runtime_error("socket: " + sdb::lastSocketError());
    int one = 1;
    setsockopt(s.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(at.port);
    inet_pton(AF_INET, at.ip.c_str(), &addr.sin_addr);
    if (bind(s.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        throw std::runtime_error("cannot listen on " + at.text() + ": " + sdb::lastSocketError());
    if (::listen(s.get(), 8) != 0) throw std::runtime_error("listen: " + sdb::lastSocketError());
    socklen_t len = sizeof addr;
    getsockname(s.get(), reinterpret_cast<sockaddr*>(&addr), &len);
    at.port = ntohs(addr.sin_port);
    return s;
}

std::string peerAddress(int fd) {
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    char text[INET_ADDRSTRLEN] = "";
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &len) == 0)
        inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
    return text;
}

} // namespace

int main(int argc, char** argv) {
    Options o = parse(argc, argv);
    tvsim::installStopSignals();
    try {
        tvsim::Television tv(o.config, [](int ms) { tvsim::waitReadable(-1, ms); });
        sdb::Socket listener = listenOn(o.listen);
        std::printf("listening on %s\n", o.listen.text().c_str());
        std::fflush(stdout);
        for (;;) {
            tvsim::waitReadable(listener.get(), -1);
            sdb::Socket client(accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
            if (!client.valid()) continue;
            std::string peer = peerAddress(client.get());
            if (!o.allowed.count(peer)) {
                std::cerr << "tvsim: refused a connection from " << peer << "\n";
                continue; // closed by the Socket going out of scope
            }
            // Small packets go out at once: flow control waits for each OKAY.
            int one = 1;
            setsockopt(client.get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            try {
                tvsim::serveConnection(std::move(client), tv);
            } catch (const tvsim::Stopped&) {
                throw;
            } catch (const std::exception& e) {
                std::cerr << "tvsim: connection from " << peer << " dropped: " << e.what() << "\n";
            }
        }
    } catch (const tvsim::Stopped&) {
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "tvsim: " << e.what() << "\n";
        return 1;
    }
}
