// wgt: makes and checks the signed widget package.
//   wgt pack <srcdir> <out.wgt> --portal-url URL
//       keys from WGT_AUTHOR_P12 / WGT_AUTHOR_PASSWORD and WGT_DISTRIBUTOR_P12 / WGT_DISTRIBUTOR_PASSWORD
//   wgt verify <file.wgt> --root <root.pem> [--app-id ID --app-name NAME]
#include "wgt/pack.h"
#include "wgt/verify.h"

#include <cstdlib>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: wgt pack <srcdir> <out.wgt> --portal-url URL\n"
    "       wgt verify <file.wgt> --root <root.pem> [--app-id ID --app-name NAME]\n"
    "pack reads the keys from WGT_AUTHOR_P12, WGT_AUTHOR_PASSWORD, WGT_DISTRIBUTOR_P12 and\n"
    "WGT_DISTRIBUTOR_PASSWORD.\n";

struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
};

Args parse(int argc, char** argv, const std::vector<std::string>& known) {
    Args a;
    for (int i = 2; i < argc; ++i) {
        std::string s = argv[i];
        if (s.rfind("--", 0) != 0) {
            a.positional.push_back(s);
            continue;
        }
        bool ok = false;
        for (const std::string& k : known) ok = ok || k == s;
        if (!ok || i + 1 >= argc) throw std::invalid_argument("unknown or incomplete option " + s);
        a.options[s] = argv[++i];
    }
    return a;
}

std::string env(const char* name) {
    const char* v = std::getenv(name);
    if (!v || !*v) throw std::invalid_argument(std::string("environment variable ") + name + " is not set");
    return v;
}

std::string optionalEnv(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

int pack(int argc, char** argv) {
    Args a = parse(argc, argv, {"--portal-url"});
    if (a.positional.size() != 2 || !a.options.count("--portal-url")) throw std::invalid_argument(kUsage);
    wgt::SigningKey author = wgt::loadPkcs12(env("WGT_AUTHOR_P12"), optionalEnv("WGT_AUTHOR_PASSWORD"));
    wgt::SigningKey distributor =
        wgt::loadPkcs12(env("WGT_DISTRIBUTOR_P12"), optionalEnv("WGT_DISTRIBUTOR_PASSWORD"));
    wgt::packWidget({a.positional[0], a.options["--portal-url"]}, author, distributor, a.positional[1]);
    return 0;
}

int verify(int argc, char** argv) {
    Args a = parse(argc, argv, {"--root", "--app-id", "--app-name"});
    if (a.positional.size() != 1 || !a.options.count("--root") ||
        a.options.count("--app-id") != a.options.count("--app-name"))
        throw std::invalid_argument(kUsage);
    wgt::Verdict v = wgt::verifyPackage(
        a.positional[0], {a.options["--app-id"], a.options["--app-name"], a.options["--root"]});
    if (!v) {
        std::fprintf(stderr, "wgt verify: %s: %s (%s)\n", a.positional[0].c_str(), v.reason.c_str(),
                     wgt::failureName(v.failure));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        std::string command = argc > 1 ? argv[1] : "";
        if (command == "pack") return pack(argc, argv);
        if (command == "verify") return verify(argc, argv);
        std::fputs(kUsage, stderr);
        return 2;
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "wgt: %s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "wgt: %s\n", e.what());
        return 1;
    }
}
