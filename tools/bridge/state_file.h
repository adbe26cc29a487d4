// Where `connect` leaves the target for the calls that follow it. Each call
// is its own process and there is no background server, so a small file in
// the user's local state folder carries it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tvbridge {

// TVBRIDGE_STATE_DIR when set; else %LOCALAPPDATA%\tvbridge on Windows and
// $XDG_STATE_HOME/tvbridge or ~/.local/state/tvbridge elsewhere.
std::filesystem::path stateFolder();

std::optional<std::string> loadTarget();
void saveTarget(const std::string& target);
void forgetTarget();

// A variable of the process environment as UTF-8, empty when unset.
std::string environment(const char* name);
std::filesystem::path pathFromUtf8(const std::string& text);
std::string pathToUtf8(const std::filesystem::path& path);

} // namespace tvbridge
