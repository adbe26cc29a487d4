// The "capability:" service: a two-byte little-endian length, then
// "key:value" lines.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace sdb {

using Capabilities = std::map<std::string, std::string>;

std::string encodeCapabilities(const Capabilities& caps);
// Throws ProtocolError when the length does not match.
Capabilities decodeCapabilities(std::string_view bytes);

} // namespace sdb
