#include "local_ips.h"

#include "address_list.h"
#include "win32/error.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include <vector>

namespace net {
namespace {

std::wstring dottedDecimal(const sockaddr_in& address) {
    const auto* b = reinterpret_cast<const unsigned char*>(&address.sin_addr);
    return std::to_wstring(b[0]) + L'.' + std::to_wstring(b[1]) + L'.' + std::to_wstring(b[2]) + L'.' +
           std::to_wstring(b[3]);
}

// The unicast addresses of every adapter that is up, as the system orders
// them. The loopback adapter is left out: its address is never the one a
// television can reach.
std::vector<LocalAddress> localAddresses() {
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER |
                        GAA_FLAG_SKIP_FRIENDLY_NAME;
    ULONG size = 16 * 1024;
    std::vector<IP_ADAPTER_ADDRESSES> buffer;
    ULONG result;
    // The adapter list can grow between the size query and the next call.
    for (int attempt = 0;; ++attempt) {
        buffer.resize(size / sizeof(IP_ADAPTER_ADDRESSES) + 1);
        size = static_cast<ULONG>(buffer.size() * sizeof(IP_ADAPTER_ADDRESSES));
        result = GetAdaptersAddresses(AF_UNSPEC, flags, nullptr, buffer.data(), &size);
        if (result != ERROR_BUFFER_OVERFLOW || attempt == 4) break;
    }
    if (result == ERROR_NO_DATA) return {};
    if (result != NO_ERROR) throw win32::Error(L"Cannot list the PC's network addresses", result);

    std::vector<LocalAddress> addresses;
    for (const IP_ADAPTER_ADDRESSES* adapter = buffer.data(); adapter; adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK) continue;
        for (const IP_ADAPTER_UNICAST_ADDRESS* u = adapter->FirstUnicastAddress; u; u = u->Next) {
            const sockaddr* address = u->Address.lpSockaddr;
            if (address->sa_family == AF_INET)
                addresses.push_back(
                    {IpVersion::v4, dottedDecimal(*reinterpret_cast<const sockaddr_in*>(address))});
            else
                addresses.push_back({IpVersion::v6, {}}); // only counted: the window shows IPv4
        }
    }
    return addresses;
}

} // namespace

std::wstring getLocalIPs() {
    return joinIPv4(localAddresses());
}

} // namespace net
