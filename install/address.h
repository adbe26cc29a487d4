#pragma once
#include <string_view>

namespace install {

// True when `text` is a dotted-quad IPv4 address: four decimal numbers from 0
// to 255 joined by single dots, nothing before, between or after. A number has
// no leading zero (so "010" can't be read as octal by the tool it is passed to).
// The address goes into a command-interpreter line, so this is also what keeps
// shell metacharacters out of it.
bool isDottedQuad(std::wstring_view text);

} // namespace install
