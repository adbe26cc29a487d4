#include "stop_signals.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <system_error>

namespace tvsim {
namespace {
volatile sig_atomic_t stopRequested = 0;
sigset_t waitMask; // the mask during a wait: the stop signals let through

void onStop(int) {
    stopRequested = 1;
}
} // namespace

void installStopSignals() {
    struct sigaction sa {};
    sa.sa_handler = onStop;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGINT);
    sigprocmask(SIG_BLOCK, &stops, &waitMask);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGINT);
}

bool waitReadable(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    timespec ts{timeoutMs / 1000, (timeoutMs % 1000) * 1000000L};
    for (;;) {
        if (stopRequested) throw Stopped();
        int r = ppoll(&p, fd >= 0 ? 1 : 0, timeoutMs < 0 ? nullptr : &ts, &waitMask);
        if (r > 0) return true;
        if (r == 0) return false;
        if (errno != EINTR) throw std::system_error(errno, std::generic_category(), "ppoll");
    }
}

} // namespace tvsim
