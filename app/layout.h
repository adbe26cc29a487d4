// The main window's layout as data: one row per control, in creation order.
#pragma once

#include <windows.h>

#include <span>

namespace app {

// Every control of the main window, in the order of the layout table.
enum class Control {
    langRG,
    langRus,
    langEng,
    ipGB,
    ipValLBL,
    ipNoteLbl,
    refreshIpBTN,
    installGB,
    tvIpLbl,
    statusLbl,
    tvIpEdt,
    BitInstall,
    installPB,
    tvSeriesRG,
    seriesJK,
    seriesMNQ,
    instManualGB,
    manualLbl,
    count,
    window = count, // the parent of the top-level controls
};

enum class Kind { groupBox, radioItem, label, pushButton, edit, progressBar };

// A Tahoma font by its character height in pixels at 96 DPI (internal
// leading excluded).
struct FontSpec {
    int height;
    bool bold;
    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

inline constexpr FontSpec windowFont{16, false};
inline constexpr COLORREF red = RGB(255, 0, 0);
inline constexpr COLORREF windowText = 0xFF000000; // not an RGB value: the system colour

// Labels are drawn by the window: these say how.
enum LabelFormat : unsigned {
    labelLeft = DT_LEFT,
    labelCentre = DT_CENTER,
    labelRight = DT_RIGHT,
    labelWrap = DT_WORDBREAK,
    labelSingleLine = DT_SINGLELINE,
    labelMiddle = 0x10000000,   // centred vertically too
    labelAutoSize = 0x20000000, // the label takes the size of its one line of text
};

// A rectangle as the layout gives it.
struct Box {
    int left, top, width, height;
};

struct ControlDef {
    Control id;
    Control parent;
    Kind kind;
    Box box; // at 96 DPI, in the parent's client area
    FontSpec font;
    COLORREF colour;
    unsigned labelFormat;
    int tab;                       // place in the parent's tab order; -1 for none
    int row;                       // text-table row of the caption; -1 for a fixed caption
    const wchar_t* initialCaption; // before FormCreate; nullptr: the Russian text of `row`
};

std::span<const ControlDef> layoutTable();
const ControlDef& definition(Control control);

inline int controlId(Control control) {
    return 100 + static_cast<int>(control);
}

// The window's client area and its outer-size limit at 96 DPI.
inline constexpr SIZE clientSize{844, 600};
inline constexpr SIZE sizeLimit{850, 625};

} // namespace app
