#include "win32/error.h"
#include "win32/unique_handle.h"
#include "install/win32/workfiles.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <functional>

namespace fs = std::filesystem;
using install::deleteIfExists;
using install::extractResource;

namespace {

// The bytes of the test resource, as the executable holds them.
std::string payload() {
    HRSRC r = FindResourceW(nullptr, L"PAYLOAD", MAKEINTRESOURCEW(10));
    return std::string(static_cast<const char*>(LockResource(LoadResource(nullptr, r))),
                       SizeofResource(nullptr, r));
}

std::string errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const win32::Error& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(ExtractResource, WritesTheResourceByteForByte) {
    ScratchFolder dir;
    extractResource(L"iu.exe", L"PAYLOAD");
    const std::string written = readAll("iu.exe");
    ASSERT_EQ(written.size(), 64100u);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(static_cast<unsigned char>(written[i]), i);
    EXPECT_EQ(written, payload());
}

TEST(ExtractResource, ReplacesALongerLeftover) {
    ScratchFolder dir;
    writeAll("iu.exe", std::string(200000, 'x'));
    extractResource(L"iu.exe", L"PAYLOAD");
    EXPECT_EQ(readAll("iu.exe"), payload());
}

TEST(ExtractResource, FileIsClosedWhenItReturns) {
    ScratchFolder dir;
    extractResource(L"iu.exe", L"PAYLOAD");
    HANDLE h = CreateFileW(L"iu.exe", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << "still held open";
    CloseHandle(h);
}

TEST(ExtractResource, MissingResourceNamesFileAndResource) {
    ScratchFolder dir;
    const std::string message = errorOf([] { extractResource(L"TalvaneTV.wgt", L"WGTFILE"); });
    EXPECT_NE(message.find("TalvaneTV.wgt"), std::string::npos) << message;
    EXPECT_NE(message.find("WGTFILE"), std::string::npos) << message;
    EXPECT_FALSE(fs::exists("TalvaneTV.wgt"));
}

// Wine run by root writes read-only files and folders like any other, as root
// may on Linux; Windows refuses. Those cases are then run again by an
// unprivileged user (TALVANE_REQUIRE_PERMISSIONS set), where skipping fails.
bool permissionsHold() {
    ScratchFolder probe;
    writeAll("probe", "x");
    SetFileAttributesW(L"probe", FILE_ATTRIBUTE_READONLY);
    const win32::KernelHandle h =
        win32::fileHandle(CreateFileW(L"probe", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    return !h;
}

#define REQUIRE_PERMISSIONS()                                                                                \
    do {                                                                                                     \
        if (!permissionsHold()) {                                                                            \
            if (getenv("TALVANE_REQUIRE_PERMISSIONS")) FAIL() << "read-only files are writable here";        \
            GTEST_SKIP() << "read-only files are writable for this user";                                    \
        }                                                                                                    \
    } while (0)

void expectCreationError(const char* what) {
    const std::string message = errorOf([] { extractResource(L"iu.exe", L"PAYLOAD"); });
    EXPECT_NE(message.find("\"iu.exe\""), std::string::npos) << what << ": " << message;
    // The reason after the colon comes from the system, not from us.
    EXPECT_GT(message.size(), message.find(": ") + 3) << what << ": " << message;
}

TEST(ExtractResource, ReadOnlyTargetsRaise) {
    REQUIRE_PERMISSIONS();
    {
        ScratchFolder dir;
        writeAll("iu.exe", "old");
        SetFileAttributesW(L"iu.exe", FILE_ATTRIBUTE_READONLY);
        expectCreationError("read-only file");
        EXPECT_EQ(readAll("iu.exe"), "old");
    }
}

TEST(ExtractResource, WorkFolderWithoutWriteAccessRaises) {
    REQUIRE_PERMISSIONS();
    const char* folder = getenv("TALVANE_READONLY_DIR");
    if (!folder) GTEST_SKIP() << "no folder without write access was prepared";
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    expectCreationError("work folder without write access");
    EXPECT_FALSE(fs::exists("iu.exe"));
    fs::current_path(previous);
}

TEST(ExtractResource, UnwritableTargetsRaiseWithTheSystemReason) {
    struct Case {
        const char* name;
        std::function<win32::KernelHandle()> prepare; // may hold the file open meanwhile
    };
    const Case cases[] = {
        {"folder of that name", [] { return fs::create_directory("iu.exe"), win32::KernelHandle(); }},
        {"file in use",
         [] {
             return win32::fileHandle(
                 CreateFileW(L"iu.exe", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
         }},
    };
    for (const Case& c : cases) {
        ScratchFolder dir;
        win32::KernelHandle held = c.prepare();
        expectCreationError(c.name);
    }
}

TEST(DeleteIfExists, DeletesFilesAndPassesEverythingElseBy) {
    ScratchFolder dir;
    writeAll("file.txt", "x");
    fs::create_directory("folder");
    writeAll("folder/inner.txt", "y");
    writeAll("locked.txt", "z");
    SetFileAttributesW(L"locked.txt", FILE_ATTRIBUTE_READONLY);

    deleteIfExists(L"file.txt");
    deleteIfExists(L"folder");
    deleteIfExists(L"missing.txt");
    deleteIfExists(L"locked.txt");
    deleteIfExists(L"");

    EXPECT_FALSE(fs::exists("file.txt"));
    EXPECT_TRUE(fs::exists("folder/inner.txt"));
    EXPECT_EQ(readAll("locked.txt"), "z");
}

TEST(ReadSmallFile, ReadsWholeFileOrNothing) {
    ScratchFolder dir;
    writeAll("log.txt", "connected to 1.2.3.4:26101\r\n");
    EXPECT_EQ(install::readSmallFile(L"log.txt"), "connected to 1.2.3.4:26101\r\n");
    EXPECT_EQ(install::readSmallFile(L"missing.txt"), "");
}

} // namespace
