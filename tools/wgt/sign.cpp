#include "wgt/sign.h"

#include "wgt/xmlsec_session.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pkcs12.h>
#include <openssl/x509v3.h>
#include <xmlsec/base64.h>
#include <xmlsec/crypto.h>
#include <xmlsec/openssl/evp.h>
#include <xmlsec/templates.h>
#include <xmlsec/transforms.h>
#include <xmlsec/xmltree.h>

#include <stdexcept>

namespace wgt {

namespace {

std::string opensslError() {
    unsigned long e = ERR_get_error();
    ERR_clear_error();
    if (!e) return "unknown OpenSSL error";
    char buf[256];
    ERR_error_string_n(e, buf, sizeof buf);
    return buf;
}

void check(bool ok, const std::string& what) {
    if (!ok) {
        std::string detail = takeXmlSecError();
        throw std::runtime_error(what + (detail.empty() ? "" : " (" + detail + ")"));
    }
}

std::string base64Der(X509* cert) {
    unsigned char* der = nullptr;
    int len = i2d_X509(cert, &der);
    if (len <= 0) throw std::runtime_error("cannot encode a certificate: " + opensslError());
    xmlChar* b64 = xmlSecBase64Encode(der, static_cast<xmlSecSize>(len), 0);
    OPENSSL_free(der);
    check(b64 != nullptr, "cannot encode a certificate");
    std::string out = reinterpret_cast<const char*>(b64);
    xmlFree(b64);
    return out;
}

void addProperty(xmlNodePtr props, xmlNsPtr dsp, const char* id, const char* target, const char* element,
                 const char* uriValue) {
    xmlNodePtr p = xmlNewChild(props, nullptr, xc("SignatureProperty"), nullptr);
    xmlSetProp(p, xc("Id"), xc(id));
    xmlSetProp(p, xc("Target"), xc(target));
    xmlNodePtr child = xmlNewChild(p, dsp, xc(element), nullptr);
    if (uriValue) xmlSetProp(child, xc("URI"), xc(uriValue));
}

} // namespace

SigningKey loadPkcs12(const std::string& path, const std::string& password) {
    std::unique_ptr<BIO, Deleter<BIO_free>> bio(BIO_new_file(path.c_str(), "rb"));
    if (!bio) throw std::runtime_error("cannot open \"" + path + "\": " + opensslError());
    std::unique_ptr<PKCS12, Deleter<PKCS12_free>> p12(d2i_PKCS12_bio(bio.get(), nullptr));
    if (!p12) throw std::runtime_error("\"" + path + "\" is not a PKCS#12 file: " + opensslError());
    EVP_PKEY* key = nullptr;
    X509* cert = nullptr;
    STACK_OF(X509)* cas = nullptr;
    if (!PKCS12_parse(p12.get(), password.c_str(), &key, &cert, &cas))
        throw std::runtime_error("cannot open \"" + path + "\" (wrong password?): " + opensslError());
    SigningKey out{PKeyPtr(key), X509Ptr(cert), nullptr};
    for (int i = 0; i < sk_X509_num(cas); ++i) {
        X509* ca = sk_X509_value(cas, i);
        if (!out.issuer && cert && X509_check_issued(ca, cert) == X509_V_OK) {
            X509_up_ref(ca);
            out.issuer.reset(ca);
        }
    }
    sk_X509_pop_free(cas, X509_free);
    if (!out.key || !out.certificate)
        throw std::runtime_error("\"" + path + "\" lacks a key or its certificate");
    if (!out.issuer)
        throw std::runtime_error("\"" + path + "\" lacks the certificate of the signer's authority");
    if (X509_check_private_key(out.certificate.get(), out.key.get()) != 1)
        throw std::runtime_error("\"" + path + "\": the key does not belong to the certificate");
    return out;
}

std::string makeSignature(Role role, const SigningKey& signer,
                          const std::map<std::string, std::string>& files) {
    ensureXmlSec();
    const SignatureKind kind = signatureKind(role);
    const std::string target = std::string("#") + kind.id;

    XmlDoc doc(xmlNewDoc(xc("1.0")));
    xmlNodePtr sig = xmlSecTmplSignatureCreate(doc.get(), xmlSecTransformExclC14NId,
                                               xmlSecTransformRsaSha256Id, xc(kind.id));
    check(sig != nullptr, "cannot make the signature template");
    xmlDocSetRootElement(doc.get(), sig);

    for (const std::string& path : signedFiles(role)) {
        if (!files.count(path)) throw std::runtime_error("the package lacks \"" + path + "\"");
        std::string uri = percentEncode(path);
        check(
            xmlSecTmplSignatureAddReference(sig, xmlSecTransformSha256Id, nullptr, xc(uri.c_str()), nullptr),
            "cannot add a reference");
    }
    xmlNodePtr propRef =
        xmlSecTmplSignatureAddReference(sig, xmlSecTransformSha256Id, nullptr, xc("#prop"), nullptr);
    check(propRef && xmlSecTmplReferenceAddTransform(propRef, xmlSecTransformInclC14N11Id),
          "cannot add the properties reference");

    xmlNodePtr object = xmlSecTmplSignatureAddObject(sig, xc("prop"), nullptr, nullptr);
    check(object != nullptr, "cannot add the properties object");
    xmlNodePtr props = xmlNewChild(object, nullptr, xc("SignatureProperties"), nullptr);
    xmlNsPtr dsp = xmlNewNs(props, xc(ns::dsp), xc("dsp"));
    addProperty(props, dsp, "profile", target.c_str(), "Profile", uri::profile);
    addProperty(props, dsp, "role", target.c_str(), "Role", kind.roleUri);
    addProperty(props, dsp, "identifier", target.c_str(), "Identifier", nullptr);

    const xmlChar* ids[] = {xc("Id"), nullptr};
    xmlSecAddIDs(doc.get(), sig, ids);

    PackageFilesScope scope(files);
    DSigCtx ctx(xmlSecDSigCtxCreate(nullptr));
    check(ctx != nullptr, "cannot make a signing context");
    // xmlsec counts every relative URI as remote; only package files resolve (see xmlsec_session).
    ctx->enabledReferenceUris = xmlSecTransformUriTypeSameDocument | xmlSecTransformUriTypeRemote;
    ctx->signKey = secKeyFrom(signer.key.get()).release();
    check(xmlSecDSigCtxSign(ctx.get(), sig) == 0, std::string("cannot sign ") + kind.fileName);

    // KeyInfo is not signed, so it goes in afterwards: the signer's certificate, then its issuer's.
    xmlNodePtr keyInfo = xmlSecTmplSignatureEnsureKeyInfo(sig, nullptr);
    xmlNodePtr x509 = keyInfo ? xmlSecTmplKeyInfoAddX509Data(keyInfo) : nullptr;
    check(x509 != nullptr, "cannot add the certificates");
    for (X509* cert : {signer.certificate.get(), signer.issuer.get()}) {
        xmlNodePtr node = xmlSecAddChild(x509, xmlSecNodeX509Certificate, xmlSecDSigNs);
        check(node != nullptr, "cannot add a certificate");
        xmlNodeSetContent(node, xc(base64Der(cert).c_str()));
    }

    xmlChar* text = nullptr;
    int size = 0;
    xmlDocDumpMemoryEnc(doc.get(), &text, &size, "UTF-8");
    check(text != nullptr, "cannot write the signature");
    std::string out(reinterpret_cast<const char*>(text), size_t(size));
    xmlFree(text);
    return out;
}

} // namespace wgt
