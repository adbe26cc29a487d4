#include "layout.h"

namespace app {
namespace {

constexpr FontSpec bold16{16, true}, bold19{19, true}, bold27{27, true}, regular11{11, false},
    regular15{15, false}, regular16{16, false};

using C = Control;
using K = Kind;

// Radio items sit where a classic radio group puts them: below the caption
// line, in equal cells across the group's width less its frame.
// clang-format off
constexpr ControlDef table[] = {
    // id             parent          kind           left top width height  font       colour      label format                   tab row caption
    {C::langRG,       C::window,      K::groupBox,    {757, 0, 84, 73},     regular16, windowText, 0,                             0,  1,  nullptr},
    {C::langRus,      C::langRG,      K::radioItem,   {8, 20, 74, 24},      regular16, windowText, 0,                             0,  -1, L"РУС"},
    {C::langEng,      C::langRG,      K::radioItem,   {8, 44, 74, 24},      regular16, windowText, 0,                             1,  -1, L"ENG"},
    {C::ipGB,         C::window,      K::groupBox,    {3, 0, 752, 73},      windowFont, windowText, 0,                            1,  2,  L"IP Адрес ПК:"},
    {C::ipValLBL,     C::ipGB,        K::label,       {8, 19, 608, 40},     bold27,    red,        labelCentre | labelSingleLine, -1, -1, L""},
    {C::ipNoteLbl,    C::ipGB,        K::label,       {8, 55, 549, 13},     regular11, windowText, labelLeft | labelSingleLine | labelAutoSize, -1, 3, nullptr},
    {C::refreshIpBTN, C::ipGB,        K::pushButton,  {622, 14, 123, 52},   windowFont, windowText, 0,                            0,  4,  nullptr},
    {C::installGB,    C::window,      K::groupBox,    {3, 451, 838, 145},   windowFont, windowText, 0,                            2,  8,  L"Установка виджета"},
    {C::tvIpLbl,      C::installGB,   K::label,       {3, 72, 113, 39},     bold16,    windowText, labelRight | labelWrap,        -1, 7,  nullptr},
    {C::statusLbl,    C::installGB,   K::label,       {8, 20, 626, 46},     bold19,    red,        labelCentre | labelMiddle | labelWrap, -1, 9, nullptr},
    {C::tvIpEdt,      C::installGB,   K::edit,        {122, 73, 512, 41},   bold27,    red,        0,                             0,  -1, L""},
    {C::BitInstall,   C::installGB,   K::pushButton,  {640, 72, 192, 39},   regular16, windowText, 0,                             1,  6,  L"Установить виджет"},
    {C::installPB,    C::installGB,   K::progressBar, {7, 119, 825, 18},    windowFont, windowText, 0,                            2,  -1, L""},
    {C::tvSeriesRG,   C::installGB,   K::groupBox,    {640, 10, 192, 57},   regular16, windowText, 0,                             3,  5,  nullptr},
    {C::seriesJK,     C::tvSeriesRG,  K::radioItem,   {8, 20, 91, 33},      regular16, windowText, 0,                             0,  -1, L"J,K"},
    {C::seriesMNQ,    C::tvSeriesRG,  K::radioItem,   {99, 20, 91, 33},     regular16, windowText, 0,                             1,  -1, L"M,N,Q"},
    {C::instManualGB, C::window,      K::groupBox,    {3, 73, 838, 379},    windowFont, windowText, 0,                            3,  13, nullptr},
    {C::manualLbl,    C::instManualGB, K::label,      {11, 21, 824, 351},   regular15, windowText, labelLeft | labelWrap,         -1, 14, L""},
};
// clang-format on

constexpr bool inControlOrder() {
    for (int i = 0; i < static_cast<int>(std::size(table)); ++i)
        if (static_cast<int>(table[i].id) != i) return false;
    return std::size(table) == static_cast<std::size_t>(Control::count);
}
static_assert(inControlOrder(), "one row per control, in the order of Control");

} // namespace

std::span<const ControlDef> layoutTable() {
    return table;
}

const ControlDef& definition(Control control) {
    return table[static_cast<int>(control)];
}

} // namespace app
