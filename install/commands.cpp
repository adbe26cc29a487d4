#include "commands.h"

namespace install {

namespace {

std::wstring line(const std::wstring& command) {
    return L"cmd.exe /c \"iu.exe " + command + L"\"";
}

} // namespace

std::vector<BridgeCommand> bridgeCommands(const Settings& s, const std::wstring& address, int series) {
    const std::wstring& dir = s.stagingDirs.at(series);
    const std::wstring remote = dir + L"/" + s.packageFile();
    return {
        {line(L"kill-server"), 4},
        {line(L"connect " + address + L":26101 > doLog\\step1.txt"), 12},
        {line(L"devices > doLog\\step2.txt"), 4},
        {line(L"shell 0 getappinstallpath > doLog\\step3.txt"), 5},
        {line(L"shell 0 vd_appuninstall " + s.appId + L"; echo cmd_ret:$?; > doLog\\step4.txt"), 12},
        {line(L"shell 0 mkdir " + dir), 9},
        {line(L"push " + s.packageFile() + L" " + remote + L" > doLog\\step5.txt"), 12},
        {line(L"shell 0 vd_appinstall " + s.appId + L" " + remote + L"; echo cmd_ret:$?; > doLog\\step6.txt"),
         12},
        {line(L"shell 0 rmfile " + remote), 9},
        {line(L"shell 0 applist > doLog\\step7.txt"), 9},
        {line(L"kill-server"), 10},
    };
}

} // namespace install
