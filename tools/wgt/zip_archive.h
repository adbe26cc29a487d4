// Reading and writing the package's ZIP archive (libzip).
#pragma once

#include <string>
#include <vector>

namespace wgt {

struct ZipEntry {
    std::string name; // "css/" for a folder
    std::string data;
    bool deflated = true;
};

struct ZipContents {
    std::vector<ZipEntry> entries; // in archive order
    bool hasComment = false;
};

// Parses an archive held in memory; throws std::runtime_error naming what is wrong.
ZipContents readZip(const std::string& bytes);

// Writes the entries (deflated ones at the best level), with fixed timestamps and
// attributes and no comment, so that equal entries give equal bytes.
void writeZip(const std::string& path, const std::vector<ZipEntry>& entries);

} // namespace wgt
