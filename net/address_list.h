// The PC address list shown in the window: the machine's IPv4 addresses as
// one line.
#pragma once

#include <string>
#include <vector>

namespace net {

enum class IpVersion { v4, v6 };

struct LocalAddress {
    IpVersion version;
    std::wstring text;
};

// Nine spaces, between two addresses only.
inline constexpr std::wstring_view addressSeparator = L"         ";

// The IPv4 entries' texts in the given order, joined by the separator; IPv6
// entries are left out. Empty when there is no IPv4 entry.
std::wstring joinIPv4(const std::vector<LocalAddress>& addresses);

} // namespace net
