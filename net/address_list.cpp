#include "address_list.h"

namespace net {

std::wstring joinIPv4(const std::vector<LocalAddress>& addresses) {
    std::wstring joined;
    int taken = 0;
    for (const LocalAddress& address : addresses) {
        if (address.version != IpVersion::v4) continue;
        if (taken > 0) joined += addressSeparator;
        joined += address.text;
        ++taken;
    }
    return joined;
}

} // namespace net
