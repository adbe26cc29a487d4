// Makes the two widget signatures of a package.
#pragma once

#include "wgt/handles.h"
#include "wgt/package_layout.h"

#include <map>
#include <string>

namespace wgt {

struct SigningKey {
    PKeyPtr key;
    X509Ptr certificate; // the signer's
    X509Ptr issuer;      // the authority that issued it
};

// Loads a PKCS#12 file holding the private key, its certificate and the issuing authority's.
SigningKey loadPkcs12(const std::string& path, const std::string& password);

// The signature file of `role` over `files` (path to content; the distributor
// signature needs author-signature.xml among them).
std::string makeSignature(Role role, const SigningKey& signer,
                          const std::map<std::string, std::string>& files);

} // namespace wgt
