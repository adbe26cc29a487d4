#include "outcome.h"

#include <functional>

namespace install {

namespace {

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool contains(std::string_view s, std::string_view part) {
    return s.find(part) != std::string_view::npos;
}

std::string_view trimmed(std::string_view s) {
    const char* blank = " \t\r\n";
    size_t first = s.find_first_not_of(blank);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(blank) - first + 1);
}

// Calls `f` with every line of `text`, trimmed; stops early when `f` says so.
bool anyLine(std::string_view text, const std::function<bool(std::string_view)>& f) {
    while (!text.empty()) {
        size_t end = text.find('\n');
        if (f(trimmed(text.substr(0, end)))) return true;
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return false;
}

bool connected(std::string_view log) {
    return anyLine(log, [](std::string_view l) {
        return startsWith(l, "connected to ") || startsWith(l, "already connected to ");
    });
}

// Sets report failures as "install failed[118, -12], reason: ...",
// "download failed[116]" and the like, or as an error line.
bool failureLine(std::string_view l) {
    return contains(l, "failed[") || startsWith(l, "error:") ||
           (startsWith(l, "cmd_ret:") && l != "cmd_ret:0");
}

} // namespace

bool widgetInstalled(std::string_view connectLog, std::string_view installLog) {
    if (!connected(connectLog)) return false;
    if (trimmed(installLog).empty()) return false;
    if (anyLine(installLog, failureLine)) return false;
    return anyLine(installLog,
                   [](std::string_view l) { return contains(l, "install completed") || l == "cmd_ret:0"; });
}

} // namespace install
