// Owning pointers for the C libraries' objects.
#pragma once

#include <libxml/tree.h>
#include <openssl/evp.h>
#include <openssl/x509.h>
#include <xmlsec/keys.h>
#include <xmlsec/xmldsig.h>

#include <memory>
#include <string>

namespace wgt {

template <auto Free> struct Deleter {
    template <class T> void operator()(T* p) const { Free(p); }
};

using XmlDoc = std::unique_ptr<xmlDoc, Deleter<xmlFreeDoc>>;
using X509Ptr = std::unique_ptr<X509, Deleter<X509_free>>;
using PKeyPtr = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY_free>>;
using DSigCtx = std::unique_ptr<xmlSecDSigCtx, Deleter<xmlSecDSigCtxDestroy>>;
using SecKey = std::unique_ptr<xmlSecKey, Deleter<xmlSecKeyDestroy>>;

// Attribute value of a node ("" when absent).
inline std::string attribute(xmlNodePtr node, const char* name) {
    xmlChar* v = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    std::string out = v ? reinterpret_cast<const char*>(v) : "";
    xmlFree(v);
    return out;
}

inline bool hasAttribute(xmlNodePtr node, const char* name) {
    return xmlHasProp(node, reinterpret_cast<const xmlChar*>(name)) != nullptr;
}

inline std::string textContent(xmlNodePtr node) {
    xmlChar* v = xmlNodeGetContent(node);
    std::string out = v ? reinterpret_cast<const char*>(v) : "";
    xmlFree(v);
    return out;
}

inline const xmlChar* xc(const char* s) {
    return reinterpret_cast<const xmlChar*>(s);
}

// An xmlsec key holding a copy of `key` (the caller keeps its own reference).
SecKey secKeyFrom(EVP_PKEY* key);

} // namespace wgt
