#pragma once
#include <string_view>

namespace install {

// Whether the widget was installed, judged from what the bridge tool left in
// the connect log (doLog\step1.txt) and the install log (doLog\step6.txt).
// A television can print a failure and still end with "cmd_ret:0", so the
// status line alone proves nothing; a failure line always wins.
bool widgetInstalled(std::string_view connectLog, std::string_view installLog);

} // namespace install
