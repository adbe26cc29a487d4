// libxml2, xmlsec and OpenSSL set up once per process and torn down at exit.
// Reference URIs resolve only to the files of the package being signed or
// checked: never to the file system or the network.
#pragma once

#include <map>
#include <string>

namespace wgt {

// Makes sure the libraries are ready; cheap after the first call.
void ensureXmlSec();

// While alive, a reference URI naming one of `files` (path to content) reads that content.
class PackageFilesScope {
  public:
    explicit PackageFilesScope(const std::map<std::string, std::string>& files);
    ~PackageFilesScope();
    PackageFilesScope(const PackageFilesScope&) = delete;
    PackageFilesScope& operator=(const PackageFilesScope&) = delete;

  private:
    const std::map<std::string, std::string>* previous_;
};

// The last error xmlsec reported on this thread, for messages ("" if none); clears it.
std::string takeXmlSecError();

} // namespace wgt
