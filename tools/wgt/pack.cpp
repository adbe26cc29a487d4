#include "wgt/pack.h"

#include "wgt/package_layout.h"
#include "wgt/zip_archive.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace wgt {

namespace {

std::string readSource(const std::string& dir, const std::string& name) {
    std::ifstream in(dir + "/" + name, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read \"" + dir + "/" + name + "\"");
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool validUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        unsigned char c = s[i];
        size_t n = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 9;
        if (n == 9 || (n > 0 && i + n >= s.size())) return false;
        for (size_t k = 1; k <= n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
        i += n + 1;
    }
    return true;
}

int hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace

void checkPortalUrl(const std::string& url) {
    auto bad = [&](const std::string& why) {
        throw std::invalid_argument("portal address \"" + url + "\" " + why);
    };
    if (url.rfind("http://", 0) != 0 && url.rfind("https://", 0) != 0)
        bad("must start with http:// or https://");
    if (url.empty() || url.back() != '/') bad("must end with \"/\"");
    // The start page carries the address raw in its query and as a script string.
    const std::string allowed = "-._~:/@!$'()*+,;%[]";
    std::string decoded;
    for (size_t i = 0; i < url.size(); ++i) {
        char c = url[i];
        if (c == '?' || c == '&' || c == '=' || c == '#') bad(std::string("must not hold \"") + c + "\"");
        bool alnum = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (!alnum && allowed.find(c) == std::string::npos)
            bad("holds a character that has no place in a web address");
        if (c == '%') {
            if (i + 2 >= url.size() || hex(url[i + 1]) < 0 || hex(url[i + 2]) < 0)
                bad("has a broken % escape");
            c = char(hex(url[i + 1]) * 16 + hex(url[i + 2]));
            i += 2;
        }
        decoded += c;
    }
    // The page percent-decodes the address before it navigates with it.
    if (!validUtf8(decoded)) bad("decodes to text that is not UTF-8");
    for (unsigned char c : decoded)
        if (c == '?' || c == '&' || c == '=' || c == '#' || c < 0x20 || c == 0x7f)
            bad("holds an escape of \"?\", \"&\", \"=\", \"#\" or a control character");
}

void packWidget(const PackInput& in, const SigningKey& author, const SigningKey& distributor,
                const std::string& outPath) {
    checkPortalUrl(in.portalUrl);
    std::map<std::string, std::string> files;
    for (const std::string& name : kWidgetFiles) files[name] = readSource(in.sourceDir, name);

    std::string& script = files["main.js"];
    size_t at = script.find(kPortalToken);
    if (at == std::string::npos || script.find(kPortalToken, at + 1) != std::string::npos)
        throw std::runtime_error(std::string("main.js must hold ") + kPortalToken + " exactly once");
    script.replace(at, std::string(kPortalToken).size(), in.portalUrl);

    files[kAuthorSignature] = makeSignature(Role::Author, author, files);
    files[kDistributorSignature] = makeSignature(Role::Distributor, distributor, files);

    std::vector<ZipEntry> entries;
    for (const std::string& name : kPackageEntries)
        entries.push_back({name, name.back() == '/' ? std::string() : files.at(name), true});
    writeZip(outPath, entries);
}

} // namespace wgt
