#include "workfiles.h"

#include "win32/error.h"
#include "win32/unique_handle.h"

#include <windows.h>

#include <filesystem>

namespace install {

void extractResource(const std::wstring& fileName, const std::wstring& resourceName) {
    HRSRC found = FindResourceW(nullptr, resourceName.c_str(), MAKEINTRESOURCEW(10)); // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        win32::throwLastError(L"Cannot write \"" + fileName + L"\": the resource " + resourceName +
                              L" is missing from the installer");
    const DWORD size = SizeofResource(nullptr, found);

    win32::KernelHandle file(CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) win32::throwLastError(L"Cannot create \"" + fileName + L"\"");

    // Straight from the mapped image: no copy of the bytes.
    const char* at = static_cast<const char*>(bytes);
    for (DWORD left = size; left > 0;) {
        DWORD written = 0;
        if (!WriteFile(file.get(), at, left, &written, nullptr) || written == 0)
            win32::throwLastError(L"Cannot write \"" + fileName + L"\"");
        at += written;
        left -= written;
    }
    if (!CloseHandle(file.get())) win32::throwLastError(L"Cannot write \"" + fileName + L"\"");
    file.release();
}

void deleteIfExists(const std::wstring& fileName) noexcept {
    std::error_code ec;
    // Follows a symbolic link: it counts when its target is a file.
    if (!std::filesystem::is_regular_file(std::filesystem::path(fileName), ec)) return;
    DeleteFileW(fileName.c_str()); // refused (in use, read-only, no rights): the file stays
}

std::string readSmallFile(const std::wstring& fileName) {
    win32::KernelHandle file(CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
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
