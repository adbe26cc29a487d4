#include "workfiles.h"

#include "error.h"
#include "handle.h"

#include <windows.h>

#include <filesystem>

namespace install {

void extractResource(const std::wstring& fileName, const std::wstring& resourceName) {
    HRSRC found = FindResourceW(nullptr, resourceName.c_str(), MAKEINTRESOURCEW(10)); // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        throw Error(L"Cannot write \"" + fileName + L"\": the resource " + resourceName +
                    L" is missing from the installer (" + systemMessage(GetLastError()) + L")");
    const DWORD size = SizeofResource(nullptr, found);

    unique_handle file(CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw Error(L"Cannot create \"" + fileName + L"\": " + systemMessage(GetLastError()));

    // Straight from the mapped image: no copy of the bytes.
    const char* at = static_cast<const char*>(bytes);
    for (DWORD left = size; left > 0;) {
        DWORD written = 0;
        if (!WriteFile(file.get(), at, left, &written, nullptr) || written == 0)
            throw Error(L"Cannot write \"" + fileName + L"\": " + systemMessage(GetLastError()));
        at += written;
        left -= written;
    }
    if (!CloseHandle(file.get()))
        throw Error(L"Cannot write \"" + fileName + L"\": " + systemMessage(GetLastError()));
    file.release();
}

void deleteIfExists(const std::wstring& fileName) noexcept {
    std::error_code ec;
    // Follows a symbolic link: it counts when its target is a file.
    if (!std::filesystem::is_regular_file(std::filesystem::path(fileName), ec)) return;
    DeleteFileW(fileName.c_str()); // refused (in use, read-only, no rights): the file stays
}

std::string readSmallFile(const std::wstring& fileName) {
    unique_handle file(CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    std::string content;
    char buffer[8192];
    DWORD got = 0;
    // Step logs are a few kilobytes; a megabyte is plenty to judge one.
    while (content.size() < (1u << 20) && ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) &&
           got > 0)
        content.append(buffer, got);
    return content;
}

} // namespace install
