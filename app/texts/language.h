// Puts the texts of one language onto the window's language-dependent
// controls.
#pragma once

#include <string>

namespace texts {

// The controls whose captions follow the language, in the order they are set.
enum class Caption {
    langRG,
    ipGB,
    ipNoteLbl,
    refreshIpBTN,
    tvSeriesRG,
    BitInstall,
    tvIpLbl,
    installGB,
    statusLbl,
    instManualGB,
    manualLbl,
};

// What applyLanguage needs of a window: replace one control's caption.
class CaptionTarget {
  public:
    virtual void setCaption(Caption control, const std::wstring& caption) = 0;

  protected:
    ~CaptionTarget() = default;
};

// The text-table row that supplies a control's caption.
int captionRow(Caption control);

// Sets the eleven captions of `language`, langRG first, manualLbl last.
// Nothing else of the window changes.
void applyLanguage(CaptionTarget& window, int language);

} // namespace texts
