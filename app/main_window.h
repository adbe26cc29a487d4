// The installer's main window, TmainForm: the controls of the layout table,
// their texts, and the handlers of their events.
#pragma once

#include "dpi.h"
#include "install/sequence.h"
#include "install/settings.h"
#include "language.h"
#include "layout.h"
#include "win32/unique_handle.h"

#include <windows.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace app {

using UniqueFont = win32::UniqueHandle<HFONT, DeleteObject>;
using UniqueIcon = win32::UniqueHandle<HICON, DestroyIcon>;

class TmainForm : private texts::CaptionTarget {
  public:
    // Where the PC address list comes from; the program uses
    // net::getLocalIPs.
    using AddressSource = std::function<std::wstring()>;

    // Creates the window (hidden) with its controls and initial captions,
    // then runs FormCreate. An exception from FormCreate is reported and the
    // window stays as far as it got.
    explicit TmainForm(AddressSource addressSource);
    ~TmainForm();
    TmainForm(const TmainForm&) = delete;
    TmainForm& operator=(const TmainForm&) = delete;

    HWND handle() const { return window_; }
    HWND control(Control c) const { return controls_[static_cast<int>(c)]; }
    UINT dpi() const { return dpi_; }

    // What the install sequence reads and writes.
    void setStatusCaption(const std::wstring& caption);
    int progressPosition() const;
    void setProgressPosition(int position);
    std::wstring addressText() const;
    int languageIndex() const; // selected item of langRG: 0 Russian, 1 English
    int seriesIndex() const;   // selected item of tvSeriesRG: 0 "J,K", 1 "M,N,Q"
    void setInstallEnabled(bool enabled);
    const install::Settings& settings() const { return settings_; }

    // Event handlers.
    void BitInstallClick();
    void FormCreate();
    void refreshIpBTNClick();
    void tvIpEdtKeyPress(wchar_t& key);
    void langRGClick();

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK groupProc(HWND group, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR self);
    static LRESULT CALLBACK addressProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR self);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleAddressBox(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

    void setCaption(texts::Caption control, const std::wstring& caption) override;
    void setControlText(Control c, const std::wstring& text);
    void createControls();
    void arrangeStacking();
    void applyDpi(UINT dpi);
    void placeWindow(const RECT* suggested);
    SIZE outerSize() const;
    SIZE outerLimit() const;
    HFONT font(FontSpec spec);
    void fitLabelToText(Control label);
    void drawLabel(const DRAWITEMSTRUCT& item);
    void onCommand(int id, int code);
    void pasteIntoAddress();
    void rememberFocus();
    void restoreFocus();

    AddressSource addressSource_;
    install::Settings settings_;
    install::Installer installer_;
    HWND window_ = nullptr;
    std::array<HWND, static_cast<int>(Control::count)> controls_{};
    UINT dpi_ = designDpi;
    struct Font {
        FontSpec spec;
        UniqueFont handle;
    };
    std::vector<Font> fonts_; // for dpi_
    UniqueIcon bigIcon_, smallIcon_, installIcon_;
    int shownLanguage_ = 0; // langRG's item when it last fired its click
    HWND focus_ = nullptr;
};

} // namespace app
