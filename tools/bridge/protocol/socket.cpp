#include "socket.h"

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace sdb {

namespace {
#ifdef _WIN32
// Winsock needs starting once per process before the first socket call.
struct WinsockInit {
    WinsockInit() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockInit() { WSACleanup(); }
};
void ensureWinsock() {
    static WinsockInit init;
}
int lastError() {
    return WSAGetLastError();
}
std::string errorText(int code) {
    wchar_t* buf = nullptr;
    DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
    std::string text;
    if (n && buf) {
        int len = WideCharToMultiByte(CP_UTF8, 0, buf, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
        text.resize(static_cast<size_t>(len));
        WideCharToMultiByte(CP_UTF8, 0, buf, static_cast<int>(n), text.data(), len, nullptr, nullptr);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.'))
            text.pop_back();
    }
    LocalFree(buf);
    return text.empty() ? "error " + std::to_string(code) : text;
}
constexpr int kWouldBlock = WSAEWOULDBLOCK;
int pollOne(NativeSocket s, short events, int timeoutMs) {
    WSAPOLLFD fd{static_cast<SOCKET>(s), events, 0};
    return WSAPoll(&fd, 1, timeoutMs);
}
#else
void ensureWinsock() {}
int lastError() {
    return errno;
}
std::string errorText(int code) {
    return std::strerror(code);
}
constexpr int kWouldBlock = EINPROGRESS;
int pollOne(NativeSocket s, short events, int timeoutMs) {
    pollfd fd{s, events, 0};
    int r;
    do r = ::poll(&fd, 1, timeoutMs);
    while (r < 0 && errno == EINTR);
    return r;
}
#endif

} // namespace

std::string lastSocketError() {
    return errorText(lastError());
}

Endpoint parseEndpoint(std::string_view text, uint16_t defaultPort, bool allowPortZero) {
    Endpoint e;
    auto colon = text.find(':');
    e.ip = std::string(text.substr(0, colon));
    e.port = defaultPort;
    if (colon != std::string_view::npos) {
        std::string_view port = text.substr(colon + 1);
        unsigned long value = 0;
        if (port.empty() || port.size() > 5)
            throw std::invalid_argument("bad port in '" + std::string(text) + "'");
        for (char c : port) {
            if (c < '0' || c > '9') throw std::invalid_argument("bad port in '" + std::string(text) + "'");
            value = value * 10 + static_cast<unsigned long>(c - '0');
        }
        if ((value == 0 && !allowPortZero) || value > 65535)
            throw std::invalid_argument("bad port in '" + std::string(text) + "'");
        e.port = static_cast<uint16_t>(value);
    }
    in_addr addr{};
    if (inet_pton(AF_INET, e.ip.c_str(), &addr) != 1)
        throw std::invalid_argument("bad IPv4 address in '" + std::string(text) + "'");
    return e;
}

NativeSocket Socket::invalid() {
#ifdef _WIN32
    return static_cast<NativeSocket>(INVALID_SOCKET);
#else
    return -1;
#endif
}

bool Socket::valid() const {
    return s_ != invalid();
}

NativeSocket Socket::release() {
    NativeSocket s = s_;
    s_ = invalid();
    return s;
}

void Socket::close() {
    if (!valid()) return;
#ifdef _WIN32
    closesocket(static_cast<SOCKET>(s_));
#else
    ::close(s_);
#endif
    s_ = invalid();
}

Socket& Socket::operator=(Socket&& o) noexcept {
    if (this != &o) {
        close();
        s_ = o.release();
    }
    return *this;
}

static void setBlocking(NativeSocket s, bool blocking) {
#ifdef _WIN32
    u_long nonBlocking = blocking ? 0 : 1;
    ioctlsocket(static_cast<SOCKET>(s), FIONBIO, &nonBlocking);
#else
    int flags = fcntl(s, F_GETFL, 0);
    fcntl(s, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK);
#endif
}

Socket Socket::connect(const Endpoint& to, int timeoutMs) {
    ensureWinsock();
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(to.port);
    if (inet_pton(AF_INET, to.ip.c_str(), &addr.sin_addr) != 1) throw NetError("bad IPv4 address " + to.ip);

    Socket sock(static_cast<NativeSocket>(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)));
    if (!sock.valid()) throw NetError("cannot create a socket: " + lastSocketError());
    int one = 1;
    setsockopt(sock.s_, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);

    // Non-blocking connect, so that an unreachable address fails after the
    // time-out instead of the system's own minutes.
    setBlocking(sock.s_, false);
    if (::connect(sock.s_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        int err = lastError();
        if (err != kWouldBlock) throw NetError(errorText(err));
        int r = pollOne(sock.s_, POLLOUT, timeoutMs);
        if (r == 0) throw NetError("no answer within " + std::to_string(timeoutMs) + " ms");
        if (r < 0) throw NetError(lastSocketError());
        int soError = 0;
        socklen_t len = sizeof soError;
        getsockopt(sock.s_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &len);
        if (soError != 0) throw NetError(errorText(soError));
    }
    setBlocking(sock.s_, true);
    return sock;
}

void Socket::sendAll(std::string_view bytes) {
    while (!bytes.empty()) {
        int chunk = static_cast<int>(std::min<size_t>(bytes.size(), 1 << 20));
#ifdef _WIN32
        int n = ::send(static_cast<SOCKET>(s_), bytes.data(), chunk, 0);
#else
        ssize_t n = ::send(s_, bytes.data(), static_cast<size_t>(chunk), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
#endif
        if (n <= 0) throw NetError("send failed: " + lastSocketError());
        bytes.remove_prefix(static_cast<size_t>(n));
    }
}

std::string Socket::receive(int timeoutMs) {
    int r = pollOne(s_, POLLIN, timeoutMs);
    if (r == 0) throw NetError("no answer within " + std::to_string(timeoutMs) + " ms");
    if (r < 0) throw NetError("receive failed: " + lastSocketError());
    char buf[65536];
#ifdef _WIN32
    int n = ::recv(static_cast<SOCKET>(s_), buf, sizeof buf, 0);
#else
    ssize_t n;
    do n = ::recv(s_, buf, sizeof buf, 0);
    while (n < 0 && errno == EINTR);
#endif
    if (n < 0) throw NetError("receive failed: " + lastSocketError());
    return std::string(buf, static_cast<size_t>(n));
}

} // namespace sdb
