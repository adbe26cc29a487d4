#include "state_file.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace tvbridge {

std::string environment(const char* name) {
#ifdef _WIN32
    std::wstring wname(name, name + strlen(name));
    DWORD n = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
    if (n == 0) return {};
    std::wstring value(n, L'\0');
    n = GetEnvironmentVariableW(wname.c_str(), value.data(), n);
    value.resize(n);
    return pathToUtf8(fs::path(value));
#else
    const char* value = std::getenv(name);
    return value ? value : "";
#endif
}

fs::path pathFromUtf8(const std::string& text) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

std::string pathToUtf8(const fs::path& path) {
    std::u8string s = path.u8string();
    return std::string(reinterpret_cast<const char*>(s.data()), s.size());
}

fs::path stateFolder() {
    if (std::string dir = environment("TVBRIDGE_STATE_DIR"); !dir.empty()) return pathFromUtf8(dir);
#ifdef _WIN32
    std::string base = environment("LOCALAPPDATA");
    if (base.empty()) throw std::runtime_error("LOCALAPPDATA is not set");
    return pathFromUtf8(base) / "tvbridge";
#else
    if (std::string xdg = environment("XDG_STATE_HOME"); !xdg.empty()) return fs::path(xdg) / "tvbridge";
    std::string home = environment("HOME");
    if (home.empty()) throw std::runtime_error("neither XDG_STATE_HOME nor HOME is set");
    return fs::path(home) / ".local" / "state" / "tvbridge";
#endif
}

static fs::path targetFile() {
    return stateFolder() / "target";
}

std::optional<std::string> loadTarget() {
    std::ifstream in(targetFile());
    std::string line;
    if (!in || !std::getline(in, line)) return std::nullopt;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty()) return std::nullopt;
    return line;
}

void saveTarget(const std::string& target) {
    fs::path file = targetFile();
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    if (ec) throw std::runtime_error("cannot create " + pathToUtf8(file.parent_path()) + ": " + ec.message());
    // Written beside and renamed over, so that a reader never sees half a line.
    fs::path temp = file;
    temp += ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << target << '\n';
        if (!out.flush()) throw std::runtime_error("cannot write " + pathToUtf8(temp));
    }
    fs::rename(temp, file, ec);
    if (ec) throw std::runtime_error("cannot write " + pathToUtf8(file) + ": " + ec.message());
}

void forgetTarget() {
    std::error_code ec;
    fs::remove(targetFile(), ec);
}

} // namespace tvbridge
