// Checks a widget package the way a Tizen television checks it before it
// installs it: the archive, config.xml, the ties to the installer, and both
// widget signatures up to a trusted root.
#pragma once

#include <string>

namespace wgt {

enum class Failure {
    None,
    Archive,
    Config,
    Ties,
    Digest,
    SignatureValue,
    CertificateChain,
    Role,
    References
};

struct Expectation {
    std::string appId;          // e.g. "Hx4TnW9cPa.talvanetv"; empty = do not check the ties
    std::string appName;        // e.g. "TalvaneTV"
    std::string trustedRootPem; // path of the trusted root certificate (PEM)
};

struct Verdict {
    Failure failure = Failure::None;
    std::string reason; // one line, human readable, names what is wrong
    std::string appId;  // tizen:application id read from config.xml ("" if unreadable)
    explicit operator bool() const { return failure == Failure::None; }
};

// Never throws and never crashes on garbage input: an unreadable file is
// Failure::Archive. Safe to call any number of times in one process.
Verdict verifyPackage(const std::string& wgtPath, const Expectation& expect);

// "Digest", "Archive", ... for messages and tests.
const char* failureName(Failure f);

} // namespace wgt
