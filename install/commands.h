#pragma once
#include "settings.h"

#include <string>
#include <vector>

namespace install {

struct BridgeCommand {
    std::wstring line; // the whole command line handed to the runner
    int increment;     // added to the progress bar once the command has ended
};

// The eleven bridge command lines of one install, in order. `address` is
// inserted as it stands, so callers pass only a checked address.
std::vector<BridgeCommand> bridgeCommands(const Settings& settings, const std::wstring& address, int series);

// Where the progress bar stands before the first command.
inline constexpr int startPosition = 2;

} // namespace install
