#include "wgt/verify.h"

#include "wgt/handles.h"
#include "wgt/package_layout.h"
#include "wgt/xmlsec_session.h"
#include "wgt/zip_archive.h"

#include <libxml/parser.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>
#include <xmlsec/xmltree.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <stdexcept>
#include <vector>

namespace wgt {

namespace {

struct Rejection {
    Failure failure;
    std::string reason;
};

[[noreturn]] void reject(Failure f, std::string reason) {
    throw Rejection{f, std::move(reason)};
}

using Files = std::map<std::string, std::string>;

constexpr std::streamsize kMaxPackageSize = 256 << 20;

std::string readPackageFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) reject(Failure::Archive, "cannot open \"" + path + "\"");
    std::string bytes;
    char buf[65536];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        bytes.append(buf, size_t(in.gcount()));
        if (std::streamsize(bytes.size()) > kMaxPackageSize)
            reject(Failure::Archive, "the package is too large");
    }
    if (in.bad()) reject(Failure::Archive, "cannot read \"" + path + "\"");
    return bytes;
}

bool isElement(xmlNodePtr node, const char* nsUri, const char* name) {
    return node && node->type == XML_ELEMENT_NODE && xmlStrEqual(node->name, xc(name)) && node->ns &&
           xmlStrEqual(node->ns->href, xc(nsUri));
}

std::vector<xmlNodePtr> childElements(xmlNodePtr node) {
    std::vector<xmlNodePtr> out;
    for (xmlNodePtr c = node->children; c; c = c->next)
        if (c->type == XML_ELEMENT_NODE) out.push_back(c);
    return out;
}

std::string elementName(xmlNodePtr node) {
    return reinterpret_cast<const char*>(node->name);
}

XmlDoc parseXml(const std::string& data, const std::string& name, Failure failure) {
    if (data.size() > size_t(INT32_MAX)) reject(failure, name + " is too large");
    XmlDoc doc(xmlReadMemory(data.data(), int(data.size()), name.c_str(), nullptr,
                             XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (!doc || !xmlDocGetRootElement(doc.get())) reject(failure, name + " is not well-formed XML");
    // A document type could declare IDs or entities of its own.
    if (doc->intSubset || doc->extSubset) reject(failure, name + " has a document type declaration");
    return doc;
}

Files checkArchive(const std::string& bytes) {
    ZipContents zip;
    try {
        zip = readZip(bytes);
    } catch (const std::exception& e) {
        reject(Failure::Archive, e.what());
    }
    if (zip.hasComment) reject(Failure::Archive, "the archive has a comment");
    std::vector<std::string> names;
    for (const ZipEntry& e : zip.entries) names.push_back(e.name);
    if (names != kPackageEntries) {
        std::string list;
        for (const std::string& n : names) list += (list.empty() ? "" : ", ") + n;
        reject(Failure::Archive, "the entries are not those of a widget package in their order: " + list);
    }
    Files files;
    for (ZipEntry& e : zip.entries) {
        if (!e.deflated) reject(Failure::Archive, "entry \"" + e.name + "\" is not deflated");
        if (e.name.back() == '/') {
            if (!e.data.empty()) reject(Failure::Archive, "folder entry \"" + e.name + "\" has content");
            continue;
        }
        files.emplace(e.name, std::move(e.data));
    }
    return files;
}

struct Config {
    std::string widgetId, appId, package, name;
};

Config checkConfig(const Files& files) {
    XmlDoc doc = parseXml(files.at("config.xml"), "config.xml", Failure::Config);
    xmlNodePtr root = xmlDocGetRootElement(doc.get());
    if (!isElement(root, ns::widgets, "widget"))
        reject(Failure::Config, "config.xml: the root is not a widget");
    Config c;
    c.widgetId = attribute(root, "id");
    if (c.widgetId.empty()) reject(Failure::Config, "config.xml: the widget has no id");
    int applications = 0, names = 0, contents = 0;
    for (xmlNodePtr e : childElements(root)) {
        if (isElement(e, ns::tizen, "application")) {
            ++applications;
            c.appId = attribute(e, "id");
            c.package = attribute(e, "package");
            if (c.appId.empty() || c.package.empty() || attribute(e, "required_version").empty())
                reject(Failure::Config,
                       "config.xml: tizen:application needs id, package and required_version");
        } else if (isElement(e, ns::widgets, "name")) {
            ++names;
            c.name = textContent(e);
        } else if (isElement(e, ns::widgets, "content") || isElement(e, ns::widgets, "icon")) {
            contents += isElement(e, ns::widgets, "content");
            std::string src = attribute(e, "src");
            if (!files.count(src))
                reject(Failure::Config,
                       "config.xml: " + elementName(e) + " \"" + src + "\" is not in the package");
        }
    }
    if (applications != 1) reject(Failure::Config, "config.xml: needs exactly one tizen:application");
    if (names != 1) reject(Failure::Config, "config.xml: needs exactly one name");
    if (contents != 1) reject(Failure::Config, "config.xml: needs exactly one content");
    return c;
}

std::string lowerAscii(std::string s) {
    for (char& ch : s)
        if (ch >= 'A' && ch <= 'Z') ch = char(ch - 'A' + 'a');
    return s;
}

void checkTies(const Config& c, const Expectation& expect) {
    const std::string lower = lowerAscii(expect.appName);
    auto dot = c.appId.find('.');
    if (c.appId != expect.appId)
        reject(Failure::Ties,
               "application id \"" + c.appId + "\" is not the installer's \"" + expect.appId + "\"");
    if (dot == std::string::npos || c.package != c.appId.substr(0, dot))
        reject(Failure::Ties,
               "package \"" + c.package + "\" is not the part of \"" + c.appId + "\" before the dot");
    if (c.appId.substr(dot + 1) != lower)
        reject(Failure::Ties, "application id \"" + c.appId + "\" does not end with \"." + lower + "\"");
    if (c.name != lower) reject(Failure::Ties, "widget name \"" + c.name + "\" is not \"" + lower + "\"");
    std::string lastSegment = c.widgetId.substr(c.widgetId.rfind('/') + 1);
    if (lastSegment != lower)
        reject(Failure::Ties, "widget id \"" + c.widgetId + "\" does not end with \"/" + lower + "\"");
}

std::string opensslError() {
    unsigned long e = ERR_get_error();
    ERR_clear_error();
    char buf[256] = "unknown error";
    if (e) ERR_error_string_n(e, buf, sizeof buf);
    return buf;
}

X509Ptr loadRoot(const std::string& path) {
    std::unique_ptr<BIO, Deleter<BIO_free>> bio(BIO_new_file(path.c_str(), "r"));
    X509Ptr root(bio ? PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr) : nullptr);
    if (!root)
        reject(Failure::CertificateChain, "cannot read the trusted root \"" + path + "\": " + opensslError());
    return root;
}

X509Ptr decodeCertificate(const std::string& base64, const std::string& where) {
    std::string clean;
    for (char ch : base64)
        if (ch != ' ' && ch != '\n' && ch != '\r' && ch != '\t') clean += ch;
    if (clean.empty() || clean.size() % 4 != 0 || clean.size() > (1u << 20))
        reject(Failure::CertificateChain, where + ": a certificate is not base64");
    std::vector<unsigned char> der(clean.size() / 4 * 3);
    int len =
        EVP_DecodeBlock(der.data(), reinterpret_cast<const unsigned char*>(clean.data()), int(clean.size()));
    if (len < 0) reject(Failure::CertificateChain, where + ": a certificate is not base64");
    len -= int(std::count(clean.end() - 2, clean.end(), '='));
    const unsigned char* p = der.data();
    X509Ptr cert(d2i_X509(nullptr, &p, len));
    if (!cert || p != der.data() + len)
        reject(Failure::CertificateChain, where + ": a certificate cannot be read");
    return cert;
}

// Checks the signer's certificate and its issuer's (as KeyInfo gives them) up to the trusted root.
X509Ptr checkChain(xmlNodePtr keyInfo, X509* root, const std::string& where) {
    std::vector<xmlNodePtr> data = childElements(keyInfo);
    if (data.size() != 1 || !isElement(data[0], ns::dsig, "X509Data"))
        reject(Failure::CertificateChain, where + ": KeyInfo must hold one X509Data");
    std::vector<X509Ptr> certs;
    for (xmlNodePtr c : childElements(data[0])) {
        if (!isElement(c, ns::dsig, "X509Certificate"))
            reject(Failure::CertificateChain, where + ": X509Data holds " + elementName(c));
        certs.push_back(decodeCertificate(textContent(c), where));
    }
    if (certs.size() != 2)
        reject(Failure::CertificateChain,
               where + ": KeyInfo must hold the signer's and its issuer's certificate");
    if (X509_check_issued(certs[1].get(), certs[0].get()) != X509_V_OK)
        reject(Failure::CertificateChain, where + ": the second certificate did not issue the first");

    std::unique_ptr<X509_STORE, Deleter<X509_STORE_free>> store(X509_STORE_new());
    std::unique_ptr<X509_STORE_CTX, Deleter<X509_STORE_CTX_free>> ctx(X509_STORE_CTX_new());
    struct StackFree {
        void operator()(STACK_OF(X509) * s) const { sk_X509_free(s); }
    };
    std::unique_ptr<STACK_OF(X509), StackFree> untrusted(sk_X509_new_null());
    if (!store || !ctx || !untrusted || !X509_STORE_add_cert(store.get(), root) ||
        !sk_X509_push(untrusted.get(), certs[1].get()) ||
        !X509_STORE_CTX_init(ctx.get(), store.get(), certs[0].get(), untrusted.get()))
        reject(Failure::CertificateChain, where + ": " + opensslError());
    if (X509_verify_cert(ctx.get()) != 1)
        reject(Failure::CertificateChain,
               where + ": the certificate chain does not lead to the trusted root: " +
                   X509_verify_cert_error_string(X509_STORE_CTX_get_error(ctx.get())));
    return std::move(certs[0]);
}

void checkReferences(Role role, const std::vector<xmlNodePtr>& refs, const std::string& where) {
    std::vector<std::string> named;
    for (size_t i = 0; i < refs.size(); ++i) {
        xmlNodePtr ref = refs[i];
        const bool last = i + 1 == refs.size();
        std::string u = attribute(ref, "URI");
        std::vector<xmlNodePtr> parts = childElements(ref);
        size_t at = 0;
        std::vector<std::string> transforms;
        if (at < parts.size() && isElement(parts[at], ns::dsig, "Transforms")) {
            for (xmlNodePtr t : childElements(parts[at]))
                transforms.push_back(isElement(t, ns::dsig, "Transform") ? attribute(t, "Algorithm") : "?");
            ++at;
        }
        if (parts.size() != at + 2 || !isElement(parts[at], ns::dsig, "DigestMethod") ||
            !isElement(parts[at + 1], ns::dsig, "DigestValue"))
            reject(Failure::References, where + ": reference \"" + u + "\" is malformed");
        if (attribute(parts[at], "Algorithm") != uri::sha256)
            reject(Failure::References, where + ": reference \"" + u + "\" is not digested with SHA-256");
        if (last) {
            if (u != "#prop") reject(Failure::References, where + ": the last reference is not \"#prop\"");
            if (transforms != std::vector<std::string>{uri::c14n11})
                reject(Failure::References, where + ": \"#prop\" needs the one Canonical XML 1.1 transform");
            continue;
        }
        if (!hasAttribute(ref, "URI")) reject(Failure::References, where + ": a reference has no URI");
        if (!transforms.empty() || parts[0] != parts[at])
            reject(Failure::References, where + ": file reference \"" + u + "\" has transforms");
        std::optional<std::string> path = percentDecode(u);
        if (!path) reject(Failure::References, where + ": \"" + u + "\" is not a percent-encoded ASCII URI");
        named.push_back(*path);
    }
    const std::vector<std::string> expected = signedFiles(role);
    if (named == expected) return;
    std::set<std::string> have(named.begin(), named.end());
    if (have.size() != named.size()) reject(Failure::References, where + ": a file is referenced twice");
    for (const std::string& n : named)
        if (std::find(expected.begin(), expected.end(), n) == expected.end())
            reject(Failure::References, where + ": references \"" + n + "\", which it must not");
    for (const std::string& e : expected)
        if (!have.count(e)) reject(Failure::References, where + ": does not reference \"" + e + "\"");
    reject(Failure::References, where + ": the file references are not in ascending order");
}

void checkProperties(Role role, xmlNodePtr object, const std::string& where) {
    const SignatureKind kind = signatureKind(role);
    if (attribute(object, "Id") != "prop") reject(Failure::Role, where + ": the Object's Id is not \"prop\"");
    std::vector<xmlNodePtr> sets = childElements(object);
    if (sets.size() != 1 || !isElement(sets[0], ns::dsig, "SignatureProperties"))
        reject(Failure::Role, where + ": the Object must hold one SignatureProperties");
    std::map<std::string, std::string> found; // property element to its URI
    for (xmlNodePtr p : childElements(sets[0])) {
        std::vector<xmlNodePtr> inner = childElements(p);
        if (!isElement(p, ns::dsig, "SignatureProperty") || inner.size() != 1 || !inner[0]->ns ||
            !xmlStrEqual(inner[0]->ns->href, xc(ns::dsp)))
            reject(Failure::Role, where + ": a signature property is malformed");
        if (attribute(p, "Target") != std::string("#") + kind.id)
            reject(Failure::Role, where + ": a signature property does not target #" + kind.id);
        if (!found.emplace(elementName(inner[0]), attribute(inner[0], "URI")).second)
            reject(Failure::Role, where + ": property " + elementName(inner[0]) + " is given twice");
    }
    if (found.size() != 3 || !found.count("Identifier") || !found.count("Profile") || !found.count("Role"))
        reject(Failure::Role, where + ": the properties must be Profile, Role and Identifier");
    if (found["Profile"] != uri::profile)
        reject(Failure::Role, where + ": the profile is not the widget profile");
    if (found["Role"] != kind.roleUri)
        reject(Failure::Role, where + ": the role \"" + found["Role"] + "\" is not \"" + kind.roleUri + "\"");
}

void checkUniqueIds(xmlNodePtr node, std::set<std::string>& ids, const std::string& where) {
    for (; node; node = node->next) {
        if (node->type != XML_ELEMENT_NODE) continue;
        if (hasAttribute(node, "Id") && !ids.insert(attribute(node, "Id")).second)
            reject(Failure::SignatureValue, where + ": Id \"" + attribute(node, "Id") + "\" is given twice");
        checkUniqueIds(node->children, ids, where);
    }
}

void checkSignature(Role role, const Files& files, X509* root) {
    const SignatureKind kind = signatureKind(role);
    const std::string where = kind.fileName;
    XmlDoc doc = parseXml(files.at(where), where, Failure::SignatureValue);
    xmlNodePtr sig = xmlDocGetRootElement(doc.get());
    if (!isElement(sig, ns::dsig, "Signature"))
        reject(Failure::SignatureValue, where + ": the root is not Signature");
    if (attribute(sig, "Id") != kind.id)
        reject(Failure::Role, where + ": the signature's Id is not \"" + std::string(kind.id) + "\"");
    std::set<std::string> ids;
    checkUniqueIds(sig, ids, where);

    std::vector<xmlNodePtr> parts = childElements(sig);
    const char* layout[] = {"SignedInfo", "SignatureValue", "KeyInfo", "Object"};
    if (parts.size() != 4)
        reject(Failure::SignatureValue, where + ": needs SignedInfo, SignatureValue, KeyInfo and one Object");
    for (size_t i = 0; i < 4; ++i)
        if (!isElement(parts[i], ns::dsig, layout[i]))
            reject(Failure::SignatureValue,
                   where + ": expected " + layout[i] + ", found " + elementName(parts[i]));

    std::vector<xmlNodePtr> info = childElements(parts[0]);
    if (info.size() < 3 || !isElement(info[0], ns::dsig, "CanonicalizationMethod") ||
        !isElement(info[1], ns::dsig, "SignatureMethod"))
        reject(Failure::SignatureValue, where + ": SignedInfo is malformed");
    if (attribute(info[0], "Algorithm") != uri::excC14n)
        reject(Failure::SignatureValue, where + ": SignedInfo is not canonicalized by Exclusive C14N 1.0");
    if (attribute(info[1], "Algorithm") != uri::rsaSha256)
        reject(Failure::SignatureValue, where + ": the signature method is not RSA-SHA256");
    std::vector<xmlNodePtr> refs(info.begin() + 2, info.end());
    for (xmlNodePtr r : refs)
        if (!isElement(r, ns::dsig, "Reference"))
            reject(Failure::SignatureValue, where + ": SignedInfo is malformed");

    checkReferences(role, refs, where);
    checkProperties(role, parts[3], where);
    X509Ptr signer = checkChain(parts[2], root, where);

    const xmlChar* idAttrs[] = {xc("Id"), nullptr};
    xmlSecAddIDs(doc.get(), sig, idAttrs);
    PackageFilesScope scope(files);
    DSigCtx ctx(xmlSecDSigCtxCreate(nullptr));
    if (!ctx) reject(Failure::SignatureValue, where + ": cannot make a verification context");
    // xmlsec counts every relative URI as remote; only package files resolve (see xmlsec_session).
    ctx->enabledReferenceUris = xmlSecTransformUriTypeSameDocument | xmlSecTransformUriTypeRemote;
    PKeyPtr publicKey(X509_get_pubkey(signer.get()));
    if (!publicKey) reject(Failure::CertificateChain, where + ": the signer's certificate has no usable key");
    try {
        ctx->signKey = secKeyFrom(publicKey.get()).release();
    } catch (const std::exception& e) {
        reject(Failure::CertificateChain, where + ": " + e.what());
    }
    takeXmlSecError();
    const bool ran = xmlSecDSigCtxVerify(ctx.get(), sig) == 0;
    const std::string detail = takeXmlSecError();
    for (xmlSecSize i = 0; i < xmlSecPtrListGetSize(&ctx->signedInfoReferences); ++i) {
        auto* r = static_cast<xmlSecDSigReferenceCtxPtr>(xmlSecPtrListGetItem(&ctx->signedInfoReferences, i));
        if (r && r->status != xmlSecDSigStatusSucceeded) {
            std::string u = r->uri ? reinterpret_cast<const char*>(r->uri) : "?";
            reject(Failure::Digest, where + ": the digest of \"" + u + "\" does not match");
        }
    }
    if (!ran) reject(Failure::SignatureValue, where + ": cannot be checked: " + detail);
    if (ctx->status != xmlSecDSigStatusSucceeded)
        reject(Failure::SignatureValue, where + ": the signature value does not match SignedInfo");
}

} // namespace

const char* failureName(Failure f) {
    switch (f) {
    case Failure::None:
        return "None";
    case Failure::Archive:
        return "Archive";
    case Failure::Config:
        return "Config";
    case Failure::Ties:
        return "Ties";
    case Failure::Digest:
        return "Digest";
    case Failure::SignatureValue:
        return "SignatureValue";
    case Failure::CertificateChain:
        return "CertificateChain";
    case Failure::Role:
        return "Role";
    case Failure::References:
        return "References";
    }
    return "?";
}

Verdict verifyPackage(const std::string& wgtPath, const Expectation& expect) {
    Verdict verdict;
    try {
        ensureXmlSec();
        Files files = checkArchive(readPackageFile(wgtPath));
        Config config = checkConfig(files);
        verdict.appId = config.appId;
        if (!expect.appId.empty()) checkTies(config, expect);
        X509Ptr root = loadRoot(expect.trustedRootPem);
        checkSignature(Role::Author, files, root.get());
        checkSignature(Role::Distributor, files, root.get());
    } catch (const Rejection& r) {
        verdict.failure = r.failure;
        verdict.reason = r.reason;
    } catch (const std::exception& e) {
        verdict.failure = Failure::Archive;
        verdict.reason = std::string("cannot check the package: ") + e.what();
    }
    ERR_clear_error();
    return verdict;
}

} // namespace wgt
