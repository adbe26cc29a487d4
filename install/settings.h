#pragma once
#include <array>
#include <string>

namespace install {

// The fixed values an install works with; the window owns one copy.
struct Settings {
    std::wstring appName = L"TalvaneTV";
    std::wstring appId = L"Hx4TnW9cPa.talvanetv";
    // Indexed by the selected television series: 0 "J,K", 1 "M,N,Q".
    std::array<std::wstring, 2> stagingDirs = {L"/opt/usr/apps/tmp", L"/home/owner/share/tmp/sdk_tools/tmp"};

    std::wstring packageFile() const { return appName + L".wgt"; }
};

// Work files, relative to the current folder.
inline constexpr wchar_t toolFile[] = L"iu.exe";
inline constexpr wchar_t logFolder[] = L"doLog";
inline constexpr wchar_t toolResource[] = L"IUFILE";
inline constexpr wchar_t packageResource[] = L"WGTFILE";

} // namespace install
