#include "wgt/package_layout.h"

#include <algorithm>

namespace wgt {

SignatureKind signatureKind(Role role) {
    if (role == Role::Author) return {kAuthorSignature, "AuthorSignature", uri::roleAuthor};
    return {kDistributorSignature, "DistributorSignature", uri::roleDistributor};
}

std::vector<std::string> signedFiles(Role role) {
    std::vector<std::string> files = kWidgetFiles;
    if (role == Role::Distributor) files.push_back(kAuthorSignature);
    std::sort(files.begin(), files.end());
    return files;
}

static bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

static int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string percentEncode(std::string_view path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if (isUnreserved(c)) {
            out += char(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::optional<std::string> percentDecode(std::string_view uri) {
    std::string out;
    for (size_t i = 0; i < uri.size(); ++i) {
        unsigned char c = uri[i];
        if (c == '%') {
            if (i + 2 >= uri.size()) return std::nullopt;
            int hi = hexValue(uri[i + 1]), lo = hexValue(uri[i + 2]);
            if (hi < 0 || lo < 0) return std::nullopt;
            out += char(hi * 16 + lo);
            i += 2;
        } else if (isUnreserved(c)) {
            out += char(c);
        } else {
            return std::nullopt;
        }
    }
    return out;
}

} // namespace wgt
