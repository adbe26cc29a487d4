#include "wgt/pack.h"
#include "wgt/package_layout.h"
#include "wgt/sign.h"
#include "wgt/verify.h"
#include "wgt/zip_archive.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

namespace fs = std::filesystem;
using wgt::Failure;

namespace {

const std::string kRoot = WGT_SOURCE_ROOT;
const std::string kCerts = kRoot + "/resources/test-certs/";
const std::string kPortal = "https://portal.example.test/tv/";

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void spit(const fs::path& p, const std::string& data) {
    std::ofstream(p, std::ios::binary) << data;
}

std::string testPassword() {
    std::string p = slurp(kCerts + "PASSWORD");
    return p.substr(0, p.find('\n'));
}

wgt::Expectation expectation() {
    return {"Hx4TnW9cPa.talvanetv", "TalvaneTV", kCerts + "test-root.pem"};
}

class Package : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = fs::temp_directory_path() / ("wgt_test_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        author_ = new wgt::SigningKey(wgt::loadPkcs12(kCerts + "test-author.p12", testPassword()));
        distributor_ = new wgt::SigningKey(wgt::loadPkcs12(kCerts + "test-distributor.p12", testPassword()));
        good_ = (dir_ / "good.wgt").string();
        wgt::packWidget({kRoot + "/resources/widget", kPortal}, *author_, *distributor_, good_);
    }
    static void TearDownTestSuite() {
        delete author_;
        delete distributor_;
        fs::remove_all(dir_);
    }

    static std::vector<wgt::ZipEntry> goodEntries() { return wgt::readZip(slurp(good_)).entries; }
    static std::string& entry(std::vector<wgt::ZipEntry>& entries, const std::string& name) {
        for (auto& e : entries)
            if (e.name == name) return e.data;
        throw std::runtime_error("no entry " + name);
    }
    static std::string write(const std::vector<wgt::ZipEntry>& entries, const std::string& name) {
        std::string path = (dir_ / name).string();
        wgt::writeZip(path, entries);
        return path;
    }

    static inline fs::path dir_;
    static inline std::string good_;
    static inline wgt::SigningKey* author_ = nullptr;
    static inline wgt::SigningKey* distributor_ = nullptr;
};

TEST_F(Package, BuiltPackageVerifiesAndNamesItsApplication) {
    wgt::Verdict v = wgt::verifyPackage(good_, expectation());
    EXPECT_TRUE(v) << v.reason;
    EXPECT_EQ(v.appId, "Hx4TnW9cPa.talvanetv");
    EXPECT_EQ(v.failure, Failure::None);
}

TEST_F(Package, HoldsTheEightEntriesDeflatedWithoutCommentAndThePortalAddress) {
    wgt::ZipContents zip = wgt::readZip(slurp(good_));
    std::vector<std::string> names;
    for (const auto& e : zip.entries) {
        names.push_back(e.name);
        EXPECT_TRUE(e.deflated) << e.name;
    }
    EXPECT_EQ(names, wgt::kPackageEntries);
    EXPECT_FALSE(zip.hasComment);
    const std::string& js = zip.entries[0].data;
    EXPECT_NE(js.find("\"index.html?pt=\" + decodeURIComponent(\"" + kPortal + "\")"), std::string::npos);
    EXPECT_EQ(js.find(wgt::kPortalToken), std::string::npos);
    EXPECT_EQ(zip.entries[1].data, slurp(kRoot + "/resources/widget/config.xml"));
}

TEST_F(Package, SameInputsGiveSameBytes) {
    std::string again = (dir_ / "again.wgt").string();
    wgt::packWidget({kRoot + "/resources/widget", kPortal}, *author_, *distributor_, again);
    EXPECT_EQ(slurp(again), slurp(good_));
}

TEST_F(Package, SignaturesReferenceTheFilesInAscendingOrderAndProperties) {
    auto entries = goodEntries();
    const std::string& author = entry(entries, "author-signature.xml");
    const std::string& distributor = entry(entries, "signature1.xml");
    auto order = [](const std::string& xml, std::vector<std::string> uris) {
        size_t at = 0;
        for (const auto& u : uris) {
            size_t next = xml.find("<Reference URI=\"" + u + "\"", at);
            if (next == std::string::npos) return false;
            at = next;
        }
        return true;
    };
    EXPECT_TRUE(
        order(author, {"config.xml", "css%2Fstyle.css", "index.html", "logo_117.png", "main.js", "#prop"}));
    EXPECT_EQ(author.find("signature1.xml"), std::string::npos);
    EXPECT_TRUE(order(distributor, {"author-signature.xml", "config.xml", "css%2Fstyle.css", "index.html",
                                    "logo_117.png", "main.js", "#prop"}));
    EXPECT_NE(author.find("Id=\"AuthorSignature\""), std::string::npos);
    EXPECT_NE(distributor.find("Id=\"DistributorSignature\""), std::string::npos);
    EXPECT_NE(distributor.find("#role-distributor"), std::string::npos);
    EXPECT_NE(author.find("<dsp:Identifier/>"), std::string::npos);
}

// Every single-byte change of any file of the package is caught.
TEST_F(Package, AnyChangedByteFails) {
    for (const std::string& name : wgt::kPackageEntries) {
        if (name.back() == '/') continue;
        auto original = goodEntries();
        size_t size = entry(original, name).size();
        for (size_t pos : {size_t(0), size / 3, size / 2, size - 2, size - 1}) {
            auto entries = goodEntries();
            entry(entries, name)[pos] ^= 0x04;
            wgt::Verdict v = wgt::verifyPackage(write(entries, "byte.wgt"), expectation());
            EXPECT_FALSE(v) << name << " byte " << pos;
            EXPECT_FALSE(v.reason.empty());
        }
    }
}

std::string replaced(std::string s, const std::string& from, const std::string& to) {
    size_t at = s.find(from);
    if (at == std::string::npos) throw std::runtime_error("no \"" + from + "\" to replace");
    return s.replace(at, from.size(), to);
}

std::string withoutReference(const std::string& xml, const std::string& uri) {
    size_t start = xml.find("<Reference URI=\"" + uri + "\"");
    size_t end = xml.find("</Reference>", start) + std::string("</Reference>").size();
    return xml.substr(0, start) + xml.substr(end + 1);
}

struct Tampering {
    const char* what;
    std::function<void(std::vector<wgt::ZipEntry>&)> change;
    Failure expected;
};

TEST_F(Package, TamperingIsNamedByItsKind) {
    auto edit = [](const char* name, std::function<std::string(std::string)> f) {
        return [=](std::vector<wgt::ZipEntry>& es) { entry(es, name) = f(entry(es, name)); };
    };
    const Tampering cases[] = {
        {"changed script", edit("main.js", [](std::string s) { return replaced(s, "ppath", "qpath"); }),
         Failure::Digest},
        {"changed icon", edit("logo_117.png", [](std::string s) { return s + '\0'; }), Failure::Digest},
        {"changed style", edit("css/style.css", [](std::string s) { return replaced(s, "465px", "466px"); }),
         Failure::Digest},
        {"changed config text",
         edit("config.xml", [](std::string s) { return replaced(s, "0.2.1", "0.2.2"); }), Failure::Digest},
        {"other application id",
         edit("config.xml",
              [](std::string s) { return replaced(s, "Hx4TnW9cPa.talvanetv", "Hx4TnW9cPa.other"); }),
         Failure::Ties},
        {"broken config", edit("config.xml", [](std::string s) { return s.substr(0, s.size() / 2); }),
         Failure::Config},
        {"author digest value",
         edit("author-signature.xml",
              [](std::string s) { return replaced(s, "<DigestValue>", "<DigestValue>A"); }),
         Failure::Digest},
        {"author signature value",
         edit("author-signature.xml",
              [](std::string s) {
                  size_t at = s.find("<SignatureValue>") + 16;
                  s[at] = s[at] == 'A' ? 'B' : 'A';
                  return s;
              }),
         Failure::SignatureValue},
        {"distributor signature value",
         edit("signature1.xml",
              [](std::string s) {
                  size_t at = s.find("<SignatureValue>") + 20;
                  s[at] = s[at] == 'A' ? 'B' : 'A';
                  return s;
              }),
         Failure::SignatureValue},
        {"author leaves out a file",
         edit("author-signature.xml", [](std::string s) { return withoutReference(s, "main.js"); }),
         Failure::References},
        {"unencoded path",
         edit("author-signature.xml",
              [](std::string s) { return replaced(s, "URI=\"css%2Fstyle.css\"", "URI=\"css/style.css\""); }),
         Failure::References},
        {"reference outside the package",
         edit("signature1.xml",
              [](std::string s) { return replaced(s, "URI=\"main.js\"", "URI=\"%2Fetc%2Fpasswd\""); }),
         Failure::References},
        {"author role claims distributor",
         edit("author-signature.xml",
              [](std::string s) { return replaced(s, "#role-author", "#role-distributor"); }),
         Failure::Role},
        {"wrong profile",
         edit("signature1.xml",
              [](std::string s) { return replaced(s, "widgets-digsig#profile", "widgets-digsig#p"); }),
         Failure::Role},
        {"certificates swapped",
         edit("author-signature.xml",
              [](std::string s) {
                  size_t a = s.find("<X509Certificate>"), b = s.find("<X509Certificate>", a + 1);
                  size_t ae = s.find("</X509Certificate>", a), be = s.find("</X509Certificate>", b);
                  std::string first = s.substr(a, ae - a), second = s.substr(b, be - b);
                  return s.substr(0, a) + second + s.substr(ae, b - ae) + first + s.substr(be);
              }),
         Failure::CertificateChain},
        {"file dropped", [](auto& es) { es.erase(es.begin()); }, Failure::Archive},
        {"file added",
         [](auto& es) {
             es.push_back({"extra.js", "alert(1)", true});
         },
         Failure::Archive},
        {"entries reordered", [](auto& es) { std::swap(es[0], es[1]); }, Failure::Archive},
        {"stored, not deflated", [](auto& es) { es[2].deflated = false; }, Failure::Archive},
    };
    for (const Tampering& t : cases) {
        auto entries = goodEntries();
        t.change(entries);
        wgt::Verdict v = wgt::verifyPackage(write(entries, "tampered.wgt"), expectation());
        EXPECT_EQ(v.failure, t.expected) << t.what << ": " << v.reason;
        EXPECT_FALSE(v.reason.empty()) << t.what;
    }
}

TEST_F(Package, SignatureOfTheWrongRoleIsRefused) {
    auto entries = goodEntries();
    std::map<std::string, std::string> files;
    for (auto& e : entries)
        if (e.name.back() != '/') files[e.name] = e.data;
    entry(entries, "author-signature.xml") = wgt::makeSignature(wgt::Role::Distributor, *author_, files);
    wgt::Verdict v = wgt::verifyPackage(write(entries, "role.wgt"), expectation());
    EXPECT_EQ(v.failure, Failure::Role) << v.reason;
}

TEST_F(Package, CommentIsRefused) {
    std::string path = (dir_ / "comment.wgt").string();
    fs::copy_file(good_, path, fs::copy_options::overwrite_existing);
    int err = 0;
    zip_t* z = zip_open(path.c_str(), 0, &err);
    ASSERT_NE(z, nullptr);
    ASSERT_EQ(zip_set_archive_comment(z, "hi", 2), 0);
    ASSERT_EQ(zip_close(z), 0);
    EXPECT_EQ(wgt::verifyPackage(path, expectation()).failure, Failure::Archive);
}

TEST_F(Package, ExpectationDecidesTiesAndRoot) {
    struct Case {
        wgt::Expectation expect;
        Failure failure;
    } cases[] = {
        {{"Hx4TnW9cPa.talvanetv", "TalvaneTV", kCerts + "test-root.pem"}, Failure::None},
        {{"", "", kCerts + "test-root.pem"}, Failure::None},
        {{"Hx4TnW9cPa.otherapp", "OtherApp", kCerts + "test-root.pem"}, Failure::Ties},
        {{"Hx4TnW9cPa.talvanetv", "TalvaneTW", kCerts + "test-root.pem"}, Failure::Ties},
        {{"Hx4TnW9cPa.talvanetv", "TalvaneTV", kCerts + "test-other-root.pem"}, Failure::CertificateChain},
        {{"Hx4TnW9cPa.talvanetv", "TalvaneTV", kCerts + "missing.pem"}, Failure::CertificateChain},
    };
    for (const Case& c : cases) {
        wgt::Verdict v = wgt::verifyPackage(good_, c.expect);
        EXPECT_EQ(v.failure, c.failure)
            << c.expect.appId << " " << c.expect.trustedRootPem << ": " << v.reason;
        EXPECT_EQ(v.appId, "Hx4TnW9cPa.talvanetv");
    }
}

TEST_F(Package, GarbageIsAnArchiveFailure) {
    std::string bytes = slurp(good_);
    std::mt19937 rng(7);
    std::string random(4096, '\0');
    for (char& c : random) c = char(rng());
    std::vector<std::string> inputs = {"", "PK\3\4", random, bytes.substr(0, bytes.size() - 1)};
    for (size_t n = 0; n < bytes.size(); n += 997) inputs.push_back(bytes.substr(0, n));
    std::string flipped = bytes;
    flipped[bytes.size() - 30] ^= 0xff; // inside the central directory
    inputs.push_back(flipped);
    for (size_t i = 0; i < inputs.size(); ++i) {
        spit(dir_ / "garbage.wgt", inputs[i]);
        wgt::Verdict v = wgt::verifyPackage((dir_ / "garbage.wgt").string(), expectation());
        EXPECT_FALSE(v) << "input " << i;
        EXPECT_EQ(v.failure, Failure::Archive) << "input " << i << ": " << v.reason;
    }
    EXPECT_EQ(wgt::verifyPackage((dir_ / "absent.wgt").string(), expectation()).failure, Failure::Archive);
}

TEST_F(Package, ManyChecksInOneProcessAgree) {
    for (int i = 0; i < 25; ++i) ASSERT_TRUE(wgt::verifyPackage(good_, expectation())) << "round " << i;
}

TEST(PortalUrl, OnlyAddressesTheStartPageCanCarry) {
    for (const char* ok : {"https://portal.example.test/", "http://127.0.0.1:8080/tv/", "https://h/a%20b/"})
        EXPECT_NO_THROW(wgt::checkPortalUrl(ok)) << ok;
    for (const char* bad :
         {"https://portal.example.test", "https://h/?x/", "https://h/a&b/", "https://h/a=b/", "https://h/#/",
          "ftp://h/", "portal/", "https://h/a b/", "https://h/\"+alert(1)+\"/", "https://h/%zz/",
          "https://h/%3F/", "https://h/%FF/", "https://h/%0A/", "https://h/a\\b/"})
        EXPECT_THROW(wgt::checkPortalUrl(bad), std::invalid_argument) << bad;
}

TEST(ReferenceUri, EncodesAllButUnreservedAndDecodesOnlyStrictForms) {
    EXPECT_EQ(wgt::percentEncode("css/style.css"), "css%2Fstyle.css");
    EXPECT_EQ(wgt::percentEncode("a b~_-.c"), "a%20b~_-.c");
    EXPECT_EQ(wgt::percentDecode("css%2Fstyle.css"), "css/style.css");
    EXPECT_EQ(wgt::percentDecode("css%2fstyle.css"), "css/style.css");
    for (const char* bad : {"css/style.css", "a%2", "a%", "a%G0", "caf\xc3\xa9", "a b"})
        EXPECT_EQ(wgt::percentDecode(bad), std::nullopt) << bad;
}

} // namespace
