#include "install/commands.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

using install::bridgeCommands;
using install::Settings;

std::vector<std::wstring> lines(int series, const std::wstring& address) {
    std::vector<std::wstring> out;
    for (const auto& c : bridgeCommands(Settings{}, address, series)) out.push_back(c.line);
    return out;
}

TEST(BridgeCommands, SeriesJKLinesCharacterForCharacter) {
    const std::vector<std::wstring> expected = {
        LR"(cmd.exe /c "iu.exe kill-server")",
        LR"(cmd.exe /c "iu.exe connect 192.168.0.105:26101 > doLog\step1.txt")",
        LR"(cmd.exe /c "iu.exe devices > doLog\step2.txt")",
        LR"(cmd.exe /c "iu.exe shell 0 getappinstallpath > doLog\step3.txt")",
        LR"(cmd.exe /c "iu.exe shell 0 vd_appuninstall Hx4TnW9cPa.talvanetv; echo cmd_ret:$?; > doLog\step4.txt")",
        LR"(cmd.exe /c "iu.exe shell 0 mkdir /opt/usr/apps/tmp")",
        LR"(cmd.exe /c "iu.exe push TalvaneTV.wgt /opt/usr/apps/tmp/TalvaneTV.wgt > doLog\step5.txt")",
        LR"(cmd.exe /c "iu.exe shell 0 vd_appinstall Hx4TnW9cPa.talvanetv /opt/usr/apps/tmp/TalvaneTV.wgt; echo cmd_ret:$?; > doLog\step6.txt")",
        LR"(cmd.exe /c "iu.exe shell 0 rmfile /opt/usr/apps/tmp/TalvaneTV.wgt")",
        LR"(cmd.exe /c "iu.exe shell 0 applist > doLog\step7.txt")",
        LR"(cmd.exe /c "iu.exe kill-server")",
    };
    EXPECT_EQ(lines(0, L"192.168.0.105"), expected);
}

TEST(BridgeCommands, SeriesMNQNamesItsStagingFolder) {
    const auto got = lines(1, L"1.2.3.4");
    EXPECT_EQ(got[1], LR"(cmd.exe /c "iu.exe connect 1.2.3.4:26101 > doLog\step1.txt")");
    EXPECT_EQ(got[5], LR"(cmd.exe /c "iu.exe shell 0 mkdir /home/owner/share/tmp/sdk_tools/tmp")");
    EXPECT_EQ(
        got[6],
        LR"(cmd.exe /c "iu.exe push TalvaneTV.wgt /home/owner/share/tmp/sdk_tools/tmp/TalvaneTV.wgt > doLog\step5.txt")");
    EXPECT_EQ(
        got[7],
        LR"(cmd.exe /c "iu.exe shell 0 vd_appinstall Hx4TnW9cPa.talvanetv /home/owner/share/tmp/sdk_tools/tmp/TalvaneTV.wgt; echo cmd_ret:$?; > doLog\step6.txt")");
    EXPECT_EQ(got[8],
              LR"(cmd.exe /c "iu.exe shell 0 rmfile /home/owner/share/tmp/sdk_tools/tmp/TalvaneTV.wgt")");
}

TEST(BridgeCommands, IncrementsLeadFromTwoToExactlyAHundred) {
    const auto commands = bridgeCommands(Settings{}, L"1.2.3.4", 0);
    std::vector<int> positions;
    int position = install::startPosition;
    for (const auto& c : commands) positions.push_back(position += c.increment);
    EXPECT_EQ(positions, (std::vector<int>{6, 18, 22, 27, 39, 48, 60, 72, 81, 90, 100}));
}

} // namespace
