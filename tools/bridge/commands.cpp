#include "commands.h"

#include "host.h"
#include "state_file.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

namespace tvbridge {
namespace {

constexpr uint16_t kDefaultPort = 26101;
constexpr const char* kVersion = "1.0.0";

#ifdef _WIN32
constexpr const char* kEol = "\r\n";
#else
constexpr const char* kEol = "\n";
#endif

// Output goes out unbuffered in pieces as they come, so that a redirected
// step log holds everything printed before a failure.
void out(std::string_view text) {
    fwrite(text.data(), 1, text.size(), stdout);
    fflush(stdout);
}
void line(const std::string& text) {
    out(text + kEol);
}
void error(const std::string& text) {
    std::string msg = "error: " + text + kEol;
    fwrite(msg.data(), 1, msg.size(), stderr);
    fflush(stderr);
}

std::string padded(std::string text, size_t width) {
    if (text.size() < width) text.resize(width, ' ');
    return text;
}

sdb::Timeouts timeouts() {
    sdb::Timeouts t;
    // Tests of a slow set shorten the wait instead of waiting for the default.
    if (std::string ms = environment("TVBRIDGE_TIMEOUT_MS"); !ms.empty()) {
        int value = std::atoi(ms.c_str());
        if (value > 0) t.handshakeMs = t.readMs = t.connectMs = value;
    }
    return t;
}

void usage() {
    for (const char* text : {
             "Usage: tvbridge <command> [arguments]",
             "",
             "  connect <ip>[:<port>]     check the set and make it the target of later commands",
             "                            (port 26101 unless given)",
             "  devices                   list the target and its state",
             "  shell <command...>        run a command on the set; its words are joined by spaces",
             "  push <local> <remote>     copy a file to the set",
             "  capability                show what the set reports about itself",
             "  kill-server               forget the target",
             "  version                   show the version",
             "  help, --help              show this text",
             "",
             "The target is kept in a file in the user's local state folder (TVBRIDGE_STATE_DIR overrides "
             "it).",
         })
        line(text);
}

// The recorded target, connected and handshaken; nullopt after an error message.
std::optional<sdb::HostSession> openTarget() {
    std::optional<std::string> target = loadTarget();
    if (!target) {
        error("no devices/emulators found; connect to a set first");
        return std::nullopt;
    }
    try {
        sdb::HostSession session =
            sdb::HostSession::connect(sdb::parseEndpoint(*target, kDefaultPort), timeouts());
        if (session.locked()) {
            error("the set " + *target + " is locked; unlock it and try again");
            return std::nullopt;
        }
        return session;
    } catch (const std::exception& e) {
        error("cannot reach " + *target + ": " + e.what());
        return std::nullopt;
    }
}

int connectCommand(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        error("connect needs one argument, <ip>[:<port>]");
        return 1;
    }
    sdb::Endpoint to;
    try {
        to = sdb::parseEndpoint(args[1], kDefaultPort);
    } catch (const std::invalid_argument& e) {
        error(e.what());
        return 1;
    }
    line("connecting to " + to.text() + " ...");
    try {
        sdb::HostSession::connect(to, timeouts());
    } catch (const std::exception& e) {
        // A stale target must not outlive a failed connect: later calls would
        // talk to a set the user has given up on.
        forgetTarget();
        line("failed to connect to " + to.text());
        error(e.what());
        return 1;
    }
    saveTarget(to.text());
    line("connected to " + to.text());
    return 0;
}

int devicesCommand() {
    line("List of devices attached ");
    std::optional<std::string> target = loadTarget();
    if (!target) return 0;
    std::string state = "offline", model = "unknown";
    try {
        sdb::HostSession session =
            sdb::HostSession::connect(sdb::parseEndpoint(*target, kDefaultPort), timeouts());
        state = session.locked() ? "locked" : "device";
        model = session.device().model;
    } catch (const std::exception&) {
        // Listed as offline, as a set that has gone away is.
    }
    line(padded(*target, 20) + "\t" + padded(state, 10) + "\t" + model);
    return 0;
}

int shellCommand(const std::vector<std::string>& args) {
    if (args.size() < 2) {
        error("an interactive shell is not supported; give the command to run");
        return 1;
    }
    std::string command;
    for (size_t i = 1; i < args.size(); ++i) command += (i > 1 ? " " : "") + args[i];
    auto session = openTarget();
    if (!session) return 1;
    try {
        session->shell(command, out);
    } catch (const std::exception& e) {
        error(e.what());
        return 1;
    }
    return 0;
}

int capabilityCommand() {
    auto session = openTarget();
    if (!session) return 1;
    try {
        for (const auto& [key, value] : session->capabilities()) line(key + ":" + value);
    } catch (const std::exception& e) {
        error(e.what());
        return 1;
    }
    return 0;
}

std::string sizeText(uintmax_t bytes) {
    return std::to_string((bytes + 1023) / 1024) + "KB";
}

int pushCommand(const std::vector<std::string>& args) {
    if (args.size() != 3) {
        error("push needs two arguments, <local> <remote>");
        return 1;
    }
    const std::string& local = args[1];
    fs::path localPath = pathFromUtf8(local);
    std::error_code ec;
    if (!fs::is_regular_file(localPath, ec)) {
        error("cannot stat '" + local + "': no such file");
        return 1;
    }
    std::ifstream in(localPath, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) {
        error("cannot read '" + local + "'");
        return 1;
    }
    uint32_t mtime = 0;
    auto written = fs::last_write_time(localPath, ec);
    if (!ec)
        mtime = static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::seconds>(
                                          std::chrono::file_clock::to_sys(written).time_since_epoch())
                                          .count());

    auto session = openTarget();
    if (!session) return 1;
    auto started = std::chrono::steady_clock::now();
    std::string name = pathToUtf8(localPath.filename());
    try {
        auto result = session->push(content, args[2], 0644, mtime, name);
        if (!result.ok) {
            error("failed to copy '" + local + "' to '" + result.remotePath + "': " + result.failure);
            line("0 file(s) pushed. 1 file(s) skipped.");
            return 1;
        }
    } catch (const std::exception& e) {
        error("failed to copy '" + local + "' to '" + args[2] + "': " + e.what());
        return 1;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    char rate[128];
    snprintf(rate, sizeof rate, "%s\t%.0f KB/s (%zu bytes in %.3fs)", local.c_str(),
             content.size() / 1024.0 / std::max(seconds, 0.001), content.size(), seconds);
    line("pushed\t" + name + "\t100%\t" + sizeText(content.size()));
    line("1 file(s) pushed. 0 file(s) skipped.");
    line(rate);
    return 0;
}

} // namespace

int run(const std::vector<std::string>& args) {
    if (args.empty()) {
        usage();
        return 1;
    }
    const std::string& command = args[0];
    try {
        if (command == "help" || command == "--help" || command == "-h") {
            usage();
            return 0;
        }
        if (command == "version") {
            line("tvbridge version " + std::string(kVersion) + " (Smart Development Bridge protocol 2.0)");
            return 0;
        }
        if (command == "kill-server") {
            forgetTarget();
            return 0;
        }
        if (command == "connect") return connectCommand(args);
        if (command == "devices") return devicesCommand();
        if (command == "shell") return shellCommand(args);
        if (command == "push") return pushCommand(args);
        if (command == "capability") return capabilityCommand();
    } catch (const std::exception& e) {
        error(e.what());
        return 1;
    }
    error("unknown command '" + command + "'; see 'tvbridge --help'");
    return 1;
}

} // namespace tvbridge
