// The set's end of one bridge connection: the CNXN exchange, then the
// services the host opens, one after another.
#pragma once

#include "socket.h"
#include "television.h"

namespace tvsim {

// Serves until the host closes the connection; throws on a protocol error,
// a dead connection or a stop signal.
void serveConnection(sdb::Socket socket, Television& tv);

} // namespace tvsim
