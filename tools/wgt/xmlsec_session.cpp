#include "wgt/xmlsec_session.h"

#include "wgt/handles.h"

#include <libxml/parser.h>
#include <xmlsec/xmlsec.h>
#include <xmlsec/errors.h>
#include <xmlsec/io.h>
#include <xmlsec/openssl/app.h>
#include <xmlsec/openssl/crypto.h>
#include <xmlsec/openssl/evp.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <stdexcept>

namespace wgt {

namespace {

thread_local const std::map<std::string, std::string>* currentFiles = nullptr;
thread_local std::string lastError;

struct Reader {
    const std::string* data;
    size_t pos = 0;
};

const std::string* findFile(const char* name) {
    if (!currentFiles || !name) return nullptr;
    auto it = currentFiles->find(name);
    return it == currentFiles->end() ? nullptr : &it->second;
}

int matchFile(const char* name) {
    return findFile(name) ? 1 : 0;
}

void* openFile(const char* name) {
    const std::string* data = findFile(name);
    return data ? new Reader{data} : nullptr;
}

int readFile(void* context, char* buffer, int len) {
    auto* r = static_cast<Reader*>(context);
    size_t n = std::min(size_t(len), r->data->size() - r->pos);
    std::memcpy(buffer, r->data->data() + r->pos, n);
    r->pos += n;
    return int(n);
}

int closeFile(void* context) {
    delete static_cast<Reader*>(context);
    return 0;
}

void keepError(const char*, int, const char* func, const char*, const char* subject, int reason,
               const char* msg) {
    // The first error of a failed call names its cause; the later ones only unwind.
    if (!lastError.empty()) return;
    lastError = std::string(func ? func : "xmlsec") + ": " + (subject && *subject ? subject : "") +
                (msg && *msg ? std::string(" ") + msg : " error " + std::to_string(reason));
}

void dropLibxmlError(void*, const char*, ...) {}

struct Session {
    Session() {
        xmlInitParser();
        if (xmlSecInit() < 0) throw std::runtime_error("xmlsec cannot start");
        if (xmlSecCheckVersion() != 1) throw std::runtime_error("xmlsec library version mismatch");
        if (xmlSecOpenSSLAppInit(nullptr) < 0 || xmlSecOpenSSLInit() < 0)
            throw std::runtime_error("xmlsec cannot start OpenSSL");
        xmlSecErrorsSetCallback(keepError);
        // Only package files: a reference must never reach a local file or the network.
        xmlSecIOCleanupCallbacks();
        if (xmlSecIORegisterCallbacks(matchFile, openFile, readFile, closeFile) < 0)
            throw std::runtime_error("xmlsec cannot take the package reader");
    }
    ~Session() {
        xmlSecOpenSSLShutdown();
        xmlSecOpenSSLAppShutdown();
        xmlSecShutdown();
        xmlCleanupParser();
    }
};

} // namespace

void ensureXmlSec() {
    static Session session;
    // libxml2 keeps its error handler per thread.
    xmlSetGenericErrorFunc(nullptr, dropLibxmlError);
}

PackageFilesScope::PackageFilesScope(const std::map<std::string, std::string>& files)
    : previous_(currentFiles) {
    currentFiles = &files;
}

PackageFilesScope::~PackageFilesScope() {
    currentFiles = previous_;
}

SecKey secKeyFrom(EVP_PKEY* key) {
    ensureXmlSec();
    if (!EVP_PKEY_up_ref(key)) throw std::runtime_error("cannot share a key");
    xmlSecKeyDataPtr data = xmlSecOpenSSLEvpKeyAdopt(key);
    if (!data) {
        EVP_PKEY_free(key);
        throw std::runtime_error("xmlsec does not take this kind of key");
    }
    SecKey secKey(xmlSecKeyCreate());
    if (!secKey || xmlSecKeySetValue(secKey.get(), data) < 0) {
        xmlSecKeyDataDestroy(data);
        throw std::runtime_error("cannot make an xmlsec key");
    }
    return secKey;
}

std::string takeXmlSecError() {
    return std::exchange(lastError, std::string());
}

} // namespace wgt
