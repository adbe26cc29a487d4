#include "language.h"

#include "texts.h"

namespace texts {
namespace {

struct Step {
    Caption control;
    int row;
};

constexpr Step steps[] = {
    {Caption::langRG, 1},        {Caption::ipGB, 2},       {Caption::ipNoteLbl, 3},
    {Caption::refreshIpBTN, 4},  {Caption::tvSeriesRG, 5}, {Caption::BitInstall, 6},
    {Caption::tvIpLbl, 7},       {Caption::installGB, 8},  {Caption::statusLbl, 9},
    {Caption::instManualGB, 13}, {Caption::manualLbl, 14},
};

} // namespace

int captionRow(Caption control) {
    for (const Step& step : steps)
        if (step.control == control) return step.row;
    return -1;
}

void applyLanguage(CaptionTarget& window, int language) {
    for (const Step& step : steps) window.setCaption(step.control, text(step.row, language));
}

} // namespace texts
