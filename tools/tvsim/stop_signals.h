// SIGTERM and SIGINT end the simulated set cleanly. They stay blocked except
// inside the waits below, which unblock them atomically (ppoll), so a signal
// can never slip in between a check and a wait.
#pragma once

#include <stdexcept>

namespace tvsim {

struct Stopped : std::runtime_error {
    Stopped() : std::runtime_error("stopped by a signal") {}
};

void installStopSignals();
// Waits until fd is readable (true) or timeoutMs passes (false; -1 waits for
// ever); fd -1 only waits. Throws Stopped once a stop signal arrived.
bool waitReadable(int fd, int timeoutMs);

} // namespace tvsim
