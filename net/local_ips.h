// The PC's own IPv4 addresses, as the window shows them.
#pragma once

#include <string>

namespace net {

// Every IPv4 unicast address of the adapters that are up, loopback left out,
// in the order the system reports them, joined by nine spaces. Throws
// std::runtime_error when the system cannot list its adapters.
std::wstring getLocalIPs();

} // namespace net
