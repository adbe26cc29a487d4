// The bridge tool's commands, as the installer and a user type them.
#pragma once

#include <string>
#include <vector>

namespace tvbridge {

// Runs one command line (without the program name); returns the exit status.
int run(const std::vector<std::string>& args);

} // namespace tvbridge
