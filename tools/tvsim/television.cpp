#include "television.h"

#include "wgt/verify.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace tvsim {
namespace {

std::vector<std::string> splitWords(std::string_view text) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) ++i;
        size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\n') ++i;
        if (i > start) words.emplace_back(text.substr(start, i - start));
    }
    return words;
}

std::string replaceAll(std::string text, std::string_view what, std::string_view with) {
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

// Lexically clean absolute path without "..", or nullopt.
std::optional<fs::path> cleanRemote(std::string_view remote) {
    if (remote.empty() || remote.front() != '/') return std::nullopt;
    fs::path p = fs::path(std::string(remote)).lexically_normal();
    for (const auto& part : p)
        if (part == "..") return std::nullopt;
    return p;
}

bool within(const fs::path& path, const fs::path& folder) {
    return std::mismatch(folder.begin(), folder.end(), path.begin(), path.end()).first == folder.end();
}

// Application ids name files in the state folder: letters, digits, dots,
// "_" and "-", never a path.
bool validAppId(const std::string& id) {
    if (id.empty() || id.front() == '.') return false;
    return std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
               c == '_' || c == '-';
    });
}

using Clock = std::chrono::steady_clock;
std::string spendTime(Clock::time_point started) {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count();
    return "spend time for wascmd is [" + std::to_string(ms) + "]ms\n";
}

// What the set's installer says for each way a package can fail its checks.
std::string installFailure(const wgt::Verdict& v) {
    switch (v.failure) {
    case wgt::Failure::CertificateChain:
        return "[118, -12], reason: Check certificate error : :Invalid certificate chain with certificate in "
               "signature.:<-3>";
    case wgt::Failure::SignatureValue:
    case wgt::Failure::Role:
    case wgt::Failure::References:
    case wgt::Failure::Digest:
        return "[118, -12], reason: Check certificate error : :Signature validation failed: " + v.reason +
               ":<-1>";
    case wgt::Failure::Archive:
        return "[118, -2], reason: Invalid package file: " + v.reason;
    case wgt::Failure::Config:
    case wgt::Failure::Ties:
        return "[118, -3], reason: Invalid config.xml: " + v.reason;
    case wgt::Failure::None:
        break;
    }
    return "[118], reason: " + v.reason;
}

} // namespace

Television::Television(Config config, Delay delay) : config_(std::move(config)), delay_(std::move(delay)) {
    fs::create_directories(config_.stateDir / "fs");
    fs::create_directories(appsFolder());
    if (config_.model.empty()) config_.model = config_.series == Series::JK ? "UE40JU6400" : "QE55Q60RAU";
}

std::string Television::writableFolder() const {
    return config_.series == Series::JK ? "/opt/usr/apps/tmp" : "/home/owner/share/tmp/sdk_tools/tmp";
}

sdb::Capabilities Television::capabilities() const {
    sdb::Capabilities caps{
        {"secure_protocol", "disabled"},
        {"intershell_support", "disabled"},
        {"filesync_support", "pushpull"},
        {"rootonoff_support", "disabled"},
        {"encryption_support", "disabled"},
        {"zone_support", "disabled"},
        {"appcmd_support", "disabled"},
        {"sockproto_support", "enabled"},
        {"cpu_arch", "armv7"},
        {"profile_name", "tv"},
        {"vendor_name", "Samsung"},
        {"device_name", config_.model},
        {"can_launch", "tv-samsung"},
        {"sdbd_rootperm", "disabled"},
        {"platform_version", config_.series == Series::JK ? "2.4.0" : "4.0.0"},
        {"multiuser_support", config_.series == Series::JK ? "disabled" : "enabled"},
    };
    if (config_.series == Series::MNQ) caps["sdk_toolpath"] = "/home/owner/share/tmp/sdk_tools";
    return caps;
}

std::optional<fs::path> Television::localPath(std::string_view remote) const {
    auto clean = cleanRemote(remote);
    if (!clean) return std::nullopt;
    return config_.stateDir / "fs" / clean->relative_path();
}

std::optional<fs::path> Television::writablePath(std::string_view remote) const {
    auto clean = cleanRemote(remote);
    if (!clean || !within(*clean, writableFolder())) return std::nullopt;
    return config_.stateDir / "fs" / clean->relative_path();
}

void Television::shell(std::string_view text, const Output& out) {
    lastStatus_ = 0; // every shell service is a fresh shell
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = std::min(text.find(';', start), text.size());
        std::string command =
            replaceAll(std::string(text.substr(start, end - start)), "$?", std::to_string(lastStatus_));
        std::vector<std::string> words = splitWords(command);
        if (!words.empty()) lastStatus_ = run(words, out);
        start = end + 1;
    }
}

int Television::run(const std::vector<std::string>& words, const Output& out) {
    if (words[0] == "echo") {
        std::string line;
        for (size_t i = 1; i < words.size(); ++i) line += (i > 1 ? " " : "") + words[i];
        out(line + "\n");
        return 0;
    }
    if (words[0] != "0") {
        out("sh: " + words[0] + ": command not found\n");
        return 127;
    }
    if (config_.delayMs > 0) delay_(config_.delayMs);
    const std::string name = words.size() > 1 ? words[1] : "";
    auto needs = [&](size_t n) {
        if (words.size() == n + 2) return true;
        out(name + ": wrong number of arguments\n");
        return false;
    };
    if (name == "getappinstallpath") {
        out(config_.series == Series::JK ? "/opt/usr/apps\n" : "/opt/usr/globalapps\n");
        return 0;
    }
    if (name == "vd_appinstall") return needs(2) ? install(words[2], words[3], out) : 1;
    if (name == "vd_appuninstall") return needs(1) ? uninstall(words[2], out) : 1;
    if (name == "mkdir") return needs(1) ? makeFolder(words[2], out) : 1;
    if (name == "rmfile") return needs(1) ? removeFile(words[2], out) : 1;
    if (name == "applist") return listApps(out);
    out("unknown command: " + name + "\n");
    return 1;
}

int Television::install(const std::string& appId, const std::string& remote, const Output& out) {
    auto started = Clock::now();
    const std::string tag = "app_id[" + appId + "] ";
    out(tag + "install start\n");
    if (!validAppId(appId)) {
        out(tag + "install failed[118, -3], reason: Invalid application id\n");
        out(spendTime(started));
        return 0;
    }
    auto file = localPath(remote);
    std::error_code ec;
    if (!file || !fs::is_regular_file(*file, ec)) {
        out(tag + "download failed[116], reason: " + remote + ": No such file or directory\n");
        out(spendTime(started));
        return 0;
    }
    // The part of the id after the dot is the application's name.
    std::string name =
        appId.substr(appId.find('.') == std::string::npos ? appId.size() : appId.find('.') + 1);
    wgt::Verdict verdict = wgt::verifyPackage(file->string(), {appId, name, config_.trustedRootPem});
    out(tag + "installing[6]\n");
    if (!verdict) {
        // The set's install command reports failure in its output only; its
        // exit status is 0 either way.
        out(tag + "install failed" + installFailure(verdict) + "\n");
        out(spendTime(started));
        return 0;
    }
    for (int percent : {25, 50, 75, 100}) out(tag + "installing[" + std::to_string(percent) + "]\n");
    fs::copy_file(*file, appsFolder() / (appId + ".wgt"), fs::copy_options::overwrite_existing);
    out(tag + "install completed\n");
    out(spendTime(started));
    return 0;
}

int Television::uninstall(const std::string& appId, const Output& out) {
    auto started = Clock::now();
    const std::string tag = "app_id[" + appId + "] ";
    out(tag + "uninstall start\n");
    std::error_code ec;
    if (!validAppId(appId) || !fs::remove(appsFolder() / (appId + ".wgt"), ec)) {
        out(tag + "uninstall failed[132]\n");
        out(spendTime(started));
        return 0;
    }
    out(tag + "uninstalling[50]\n");
    out(tag + "uninstall completed\n");
    out(spendTime(started));
    return 0;
}

int Television::makeFolder(const std::string& remote, const Output& out) {
    auto local = writablePath(remote);
    std::error_code ec;
    if (!local) {
        out("mkdir: cannot create directory '" + remote + "': Permission denied\n");
        return 1;
    }
    fs::create_directories(*local, ec);
    if (ec || !fs::is_directory(*local)) {
        out("mkdir: cannot create directory '" + remote + "': File exists\n");
        return 1;
    }
    return 0;
}

int Television::removeFile(const std::string& remote, const Output& out) {
    auto local = writablePath(remote);
    std::error_code ec;
    if (!local) {
        out("rmfile: cannot remove '" + remote + "': Permission denied\n");
        return 1;
    }
    if (!fs::is_regular_file(*local, ec) || !fs::remove(*local, ec)) {
        out("rmfile: cannot remove '" + remote + "': No such file\n");
        return 1;
    }
    return 0;
}

int Television::listApps(const Output& out) {
    std::vector<std::string> ids;
    for (const auto& entry : fs::directory_iterator(appsFolder()))
        if (entry.path().extension() == ".wgt") ids.push_back(entry.path().stem().string());
    std::sort(ids.begin(), ids.end());
    out("------------------------------------------------------------\n");
    out("Installed applications: " + std::to_string(ids.size()) + "\n");
    for (const auto& id : ids) out("\tapp_id[" + id + "]\tapp_type[wgt]\n");
    out("------------------------------------------------------------\n");
    return 0;
}

} // namespace tvsim
