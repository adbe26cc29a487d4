// What a widget package of ours holds, and the names its signatures use.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wgt {

inline constexpr const char* kAuthorSignature = "author-signature.xml";
inline constexpr const char* kDistributorSignature = "signature1.xml";

// The archive's entries, in archive order; "css/" is the only folder.
inline const std::vector<std::string> kPackageEntries = {
    "main.js",      "config.xml",    "index.html",     "css/",
    "logo_117.png", "css/style.css", kAuthorSignature, kDistributorSignature};

// The widget's own files (everything but the folder and the signatures).
inline const std::vector<std::string> kWidgetFiles = {"main.js", "config.xml", "index.html", "logo_117.png",
                                                      "css/style.css"};

namespace ns {
inline constexpr const char* widgets = "http://www.w3.org/ns/widgets";
inline constexpr const char* tizen = "http://tizen.org/ns/widgets";
inline constexpr const char* dsig = "http://www.w3.org/2000/09/xmldsig#";
inline constexpr const char* dsp = "http://www.w3.org/2009/xmldsig-properties";
} // namespace ns

namespace uri {
inline constexpr const char* excC14n = "http://www.w3.org/2001/10/xml-exc-c14n#";
inline constexpr const char* c14n11 = "http://www.w3.org/2006/12/xml-c14n11";
inline constexpr const char* rsaSha256 = "http://www.w3.org/2001/04/xmldsig-more#rsa-sha256";
inline constexpr const char* sha256 = "http://www.w3.org/2001/04/xmlenc#sha256";
inline constexpr const char* profile = "http://www.w3.org/ns/widgets-digsig#profile";
inline constexpr const char* roleAuthor = "http://www.w3.org/ns/widgets-digsig#role-author";
inline constexpr const char* roleDistributor = "http://www.w3.org/ns/widgets-digsig#role-distributor";
} // namespace uri

enum class Role { Author, Distributor };

struct SignatureKind {
    const char* fileName;
    const char* id; // Id of the Signature element
    const char* roleUri;
};
SignatureKind signatureKind(Role role);

// Paths of the files a signature of this role covers, in reference order.
std::vector<std::string> signedFiles(Role role);

// A path as a reference URI: everything but unreserved characters escaped ("css%2Fstyle.css").
std::string percentEncode(std::string_view path);
// The path a reference URI names, or nothing when it is not plain ASCII with well-formed escapes.
std::optional<std::string> percentDecode(std::string_view uri);

} // namespace wgt
