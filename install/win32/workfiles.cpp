#include "workfiles.h"

#include "win32/error.h"
#include "win32/unique_handle.h"

#include <windows.h>

namespace install {

void extractResource(const std::wstring& fileName, const std::wstring& resourceName) {
    HRSRC found = FindResourceW(nullptr, resourceName.c_str(), MAKEINTRESOURCEW(10)); // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        win32::throwLastError(L"Cannot write \"" + fileName + L"\": the resource " + resourceName +
                              L" is missing from the installer");
    const DWORD size = SizeofResource(nullptr, found);

    win32::KernelHandle file = win32::fileHandle(CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr,
                                                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
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
    // Closed here rather than by the destructor, so that a failure to flush is reported.
    if (!CloseHandle(file.release())) win32::throwLastError(L"Cannot write \"" + fileName + L"\"");
}

namespace {

// A folder never counts; a symbolic link counts when its target is a file.
bool isFile(const std::wstring& name) noexcept {
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    // Opening follows the link to its target.
    const win32::KernelHandle target =
        win32::fileHandle(CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    return target && GetFileInformationByHandle(target.get(), &info) &&
           !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

void deleteIfExists(const std::wstring& fileName) noexcept {
    if (!isFile(fileName)) return;
    DeleteFileW(fileName.c_str()); // refused (in use, read-only, no rights): the file stays
}

std::string readSmallFile(const std::wstring& fileName) {
    const win32::KernelHandle file =
        win32::fileHandle(CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
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
