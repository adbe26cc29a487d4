#pragma once
#include <windows.h>

#include <stdexcept>
#include <string>

namespace install {

// An error with a message for the user; what() is UTF-8.
class Error : public std::runtime_error {
  public:
    explicit Error(const std::wstring& message);
};

// The system's text for an error code, without the trailing line break.
std::wstring systemMessage(DWORD code);

std::string toUtf8(const std::wstring& text);
std::wstring fromUtf8(const std::string& text);

} // namespace install
