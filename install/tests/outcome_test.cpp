#include "install/outcome.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* connectedLog =
    "connecting to 192.168.0.105:26101 ...\nconnected to 192.168.0.105:26101\n";

constexpr const char* completedLog = "app_id[Hx4TnW9cPa.talvanetv] install start\n"
                                     "app_id[Hx4TnW9cPa.talvanetv] installing[25]\n"
                                     "app_id[Hx4TnW9cPa.talvanetv] installing[100]\n"
                                     "app_id[Hx4TnW9cPa.talvanetv] install completed\n"
                                     "spend time for wascmd is [1650]ms\n"
                                     "cmd_ret:0\n";

struct Case {
    const char* name;
    const char* connectLog;
    const char* installLog;
    bool installed;
};

class Outcome : public testing::TestWithParam<Case> {};

TEST_P(Outcome, JudgedFromTheLogs) {
    const Case& c = GetParam();
    EXPECT_EQ(install::widgetInstalled(c.connectLog, c.installLog), c.installed) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Outcome,
    testing::Values(
        Case{"completed", connectedLog, completedLog, true},
        Case{"completed, Windows line ends",
             "connecting to 10.0.0.7:26101 ...\r\nconnected to 10.0.0.7:26101\r\n",
             "app_id[Hx4TnW9cPa.talvanetv] install completed\r\ncmd_ret:0\r\n", true},
        Case{"already connected", "already connected to 10.0.0.7:26101\n", completedLog, true},
        Case{"status only", connectedLog, "cmd_ret:0\n", true},
        Case{"completed without a status line", connectedLog,
             "app_id[Hx4TnW9cPa.talvanetv] install completed\n", true},
        Case{"certificate refused, status still 0", connectedLog,
             "app_id[Hx4TnW9cPa.talvanetv] install start\n"
             "app_id[Hx4TnW9cPa.talvanetv] install failed[118, -12], reason: Check certificate error : "
             ":Invalid certificate chain with certificate in signature.:<-3>\n"
             "spend time for wascmd is [270]ms\ncmd_ret:0\n",
             false},
        Case{"package missing on the set", connectedLog,
             "app_id[Hx4TnW9cPa.talvanetv] download failed[116]\ncmd_ret:0\n", false},
        Case{"non-zero status", connectedLog, "cmd_ret:1\n", false},
        Case{"non-zero status after a completed line", connectedLog,
             "app_id[Hx4TnW9cPa.talvanetv] install completed\ncmd_ret:255\n", false},
        Case{"nothing from the set", connectedLog, "", false},
        Case{"only blanks from the set", connectedLog, " \r\n\r\n", false},
        Case{"no status and no completion", connectedLog, "app_id[Hx4TnW9cPa.talvanetv] install start\n",
             false},
        Case{"bridge error", connectedLog, "error: device not found\n", false},
        Case{"connection failed", "connecting to 10.0.0.7:26101 ...\nfailed to connect to 10.0.0.7:26101\n",
             completedLog, false},
        Case{"connect log empty", "", completedLog, false},
        Case{"a status of 0 that is only part of a longer number", connectedLog, "cmd_ret:07\n", false}),
    [](const testing::TestParamInfo<Case>& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

} // namespace
