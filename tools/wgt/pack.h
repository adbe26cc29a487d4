// Makes a signed widget package from the widget's source folder.
#pragma once

#include "wgt/sign.h"

#include <string>

namespace wgt {

// The token in main.js that the portal's base address replaces.
inline constexpr const char* kPortalToken = "@PORTAL_URL@";

// Throws std::invalid_argument naming the fault unless `url` can be the portal base address:
// http(s), ending with "/", without "?", "&", "=", "#" (raw or escaped), quotes, spaces or bad escapes.
void checkPortalUrl(const std::string& url);

struct PackInput {
    std::string sourceDir; // holds main.js, config.xml, index.html, logo_117.png, css/style.css
    std::string portalUrl;
};

// Writes the package; author-signature.xml first, then signature1.xml over it.
void packWidget(const PackInput& in, const SigningKey& author, const SigningKey& distributor,
                const std::string& outPath);

} // namespace wgt
