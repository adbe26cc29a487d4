#pragma once
#include <string>

namespace install {

// Writes the RCDATA resource `resourceName` of this executable to `fileName`,
// replacing any file of that name. Throws Error naming the file and the
// system's reason when the resource is missing or the file can't be written.
void extractResource(const std::wstring& fileName, const std::wstring& resourceName);

// Deletes `fileName` if it names an existing file (a folder never counts).
// Never throws; a refused deletion leaves the file in place.
void deleteIfExists(const std::wstring& fileName) noexcept;

// The whole content of a (small) file, or nothing when it can't be read.
std::string readSmallFile(const std::wstring& fileName);

} // namespace install
