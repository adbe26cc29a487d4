#pragma once
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

// A fresh folder that is the current folder for the life of the object.
class ScratchFolder {
  public:
    ScratchFolder() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = std::filesystem::path(temp) /
                (L"talvane-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter()++));
        std::filesystem::create_directories(path_);
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::current_path(previous_, ec);
        for (auto& e : std::filesystem::recursive_directory_iterator(path_, ec))
            SetFileAttributesW(e.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        std::filesystem::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    static int& counter() {
        static int n = 0;
        return n;
    }
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

inline std::string readAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void writeAll(const std::filesystem::path& p, const std::string& content) {
    std::ofstream(p, std::ios::binary) << content;
}
