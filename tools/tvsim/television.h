// What the simulated set does for the bridge: its file system, its installed
// applications and the developer-mode commands of its shell. Kept apart from
// the network so that it can be driven directly.
#pragma once

#include "capability.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tvsim {

enum class Series { JK, MNQ }; // Tizen 2.x sets and Tizen 3+ sets

struct Config {
    std::filesystem::path stateDir;
    Series series = Series::JK;
    std::string model;
    std::string trustedRootPem;
    bool locked = false;
    int delayMs = 0; // before each developer-mode command, to play a slow set
};

using Output = std::function<void(std::string_view)>;
// Waits the given milliseconds; may throw to abandon the command.
using Delay = std::function<void(int)>;

class Television {
  public:
    Television(Config config, Delay delay);

    const Config& config() const { return config_; }
    std::string writableFolder() const;
    sdb::Capabilities capabilities() const;

    // Runs a remote command text as the set's shell does: commands separated
    // by ";", `$?` the status of the previous one.
    void shell(std::string_view text, const Output& out);

    // The local file that stands for a remote path, when the path is one the
    // host may write; nullopt otherwise.
    std::optional<std::filesystem::path> writablePath(std::string_view remote) const;
    // The local file of any remote path (for reading); nullopt for a path that
    // is not absolute or climbs out with "..".
    std::optional<std::filesystem::path> localPath(std::string_view remote) const;

    std::filesystem::path appsFolder() const { return config_.stateDir / "apps"; }

  private:
    int run(const std::vector<std::string>& words, const Output& out);
    int install(const std::string& appId, const std::string& remote, const Output& out);
    int uninstall(const std::string& appId, const Output& out);
    int makeFolder(const std::string& remote, const Output& out);
    int removeFile(const std::string& remote, const Output& out);
    int listApps(const Output& out);

    Config config_;
    Delay delay_;
    int lastStatus_ = 0;
};

} // namespace tvsim
