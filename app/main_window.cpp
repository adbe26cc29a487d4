#include "main_window.h"

#include "address_filter.h"
#include "application.h"
#include "install_host.h"
#include "win32/error.h"
#include "texts.h"

#include <commctrl.h>

#include <algorithm>

namespace app {
namespace {

constexpr const wchar_t* windowClass = L"TmainForm";
constexpr DWORD windowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD windowExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;

Control controlOf(texts::Caption caption) {
    using T = texts::Caption;
    switch (caption) {
    case T::langRG:
        return Control::langRG;
    case T::ipGB:
        return Control::ipGB;
    case T::ipNoteLbl:
        return Control::ipNoteLbl;
    case T::refreshIpBTN:
        return Control::refreshIpBTN;
    case T::tvSeriesRG:
        return Control::tvSeriesRG;
    case T::BitInstall:
        return Control::BitInstall;
    case T::tvIpLbl:
        return Control::tvIpLbl;
    case T::installGB:
        return Control::installGB;
    case T::statusLbl:
        return Control::statusLbl;
    case T::instManualGB:
        return Control::instManualGB;
    case T::manualLbl:
        return Control::manualLbl;
    }
    return Control::count;
}

const ControlDef* definitionOfId(int id) {
    const int index = id - controlId(Control::langRG);
    if (index < 0 || index >= static_cast<int>(Control::count)) return nullptr;
    return &layoutTable()[index];
}

struct ClassAndStyle {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

ClassAndStyle classAndStyle(const ControlDef& def) {
    // Every control but the second item of a radio group starts a group of
    // its own, so that arrow keys move only between the two items.
    const DWORD group = def.kind == Kind::radioItem && def.tab > 0 ? 0 : WS_GROUP;
    const DWORD tabStop = def.tab == 0 || (def.tab > 0 && def.kind != Kind::radioItem) ? WS_TABSTOP : 0;
    const DWORD common = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | group;
    switch (def.kind) {
    case Kind::groupBox:
        return {WC_BUTTONW, common | BS_GROUPBOX, WS_EX_CONTROLPARENT};
    case Kind::radioItem:
        return {WC_BUTTONW, common | tabStop | BS_AUTORADIOBUTTON, 0};
    case Kind::label:
        return {WC_STATICW, common | SS_OWNERDRAW | SS_NOPREFIX, 0};
    case Kind::pushButton:
        return {WC_BUTTONW, common | tabStop | BS_PUSHBUTTON, 0};
    case Kind::edit:
        return {WC_EDITW, common | tabStop | ES_CENTER | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case Kind::progressBar:
        return {PROGRESS_CLASSW, common | tabStop, 0};
    }
    return {};
}

// The clipboard is open for the lifetime of this object.
class OpenClipboardScope {
  public:
    explicit OpenClipboardScope(HWND owner) {
        if (!OpenClipboard(owner)) win32::throwLastError(L"Cannot open the clipboard");
    }
    ~OpenClipboardScope() { CloseClipboard(); }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
};

UniqueIcon loadIcon(const wchar_t* name, int size) {
    const auto icon =
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_ICON, size, size, 0));
    if (!icon) win32::throwLastError(L"Cannot load an icon of the program");
    return UniqueIcon(icon);
}

} // namespace

TmainForm::TmainForm(AddressSource addressSource) : addressSource_(std::move(addressSource)) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(instance, windowClass, &wc)) {
        wc.lpfnWndProc = windowProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = windowClass;
        if (!RegisterClassExW(&wc)) win32::throwLastError(L"Cannot register the window class");
    }
    if (!CreateWindowExW(windowExStyle, windowClass, programTitle, windowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                         clientSize.cx, clientSize.cy, nullptr, nullptr, instance, this))
        win32::throwLastError(L"Cannot create the main window");
    createControls();
    applyDpi(dpiForWindow(window_));
    placeWindow(nullptr);
    settings_ = install::Settings{}; // the installer settings, in place before FormCreate
    application().guarded([this] { FormCreate(); });
}

TmainForm::~TmainForm() {
    if (window_) DestroyWindow(window_);
}

void TmainForm::createControls() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const ControlDef& def : layoutTable()) {
        const auto [className, style, exStyle] = classAndStyle(def);
        const HWND parent = def.parent == Control::window ? window_ : control(def.parent);
        const std::wstring caption =
            def.initialCaption ? def.initialCaption : texts::text(def.row, texts::russian);
        const HWND hwnd = CreateWindowExW(
            exStyle, className, caption.c_str(), style, def.box.left, def.box.top, def.box.width,
            def.box.height, parent, reinterpret_cast<HMENU>(INT_PTR{controlId(def.id)}), instance, nullptr);
        if (!hwnd) win32::throwLastError(L"Cannot create a control of the main window");
        controls_[static_cast<int>(def.id)] = hwnd;
        if (def.kind == Kind::groupBox)
            SetWindowSubclass(hwnd, groupProc, 0, reinterpret_cast<DWORD_PTR>(this));
    }
    SetWindowSubclass(control(Control::tvIpEdt), addressProc, 0, reinterpret_cast<DWORD_PTR>(this));
    SendMessageW(control(Control::tvIpEdt), EM_SETLIMITTEXT, 0, 0); // no limit
    SendMessageW(control(Control::installPB), PBM_SETRANGE32, 0, 100);
    SendMessageW(control(Control::installPB), PBM_SETPOS, 0, 0);
    SendMessageW(control(Control::langRus), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(control(Control::seriesJK), BM_SETCHECK, BST_CHECKED, 0);
    arrangeStacking();
}

// Tab and arrow keys follow the stacking order of siblings. Controls in the
// tab order are stacked by their tab place; the others (labels) go above
// them, a later one above an earlier one, as they are drawn.
void TmainForm::arrangeStacking() {
    for (int p = 0; p <= static_cast<int>(Control::count); ++p) {
        const auto parent = static_cast<Control>(p);
        std::vector<const ControlDef*> order;
        for (const ControlDef& def : layoutTable())
            if (def.parent == parent && def.tab < 0) order.insert(order.begin(), &def);
        for (int tab = 0;; ++tab) {
            const auto before = order.size();
            for (const ControlDef& def : layoutTable())
                if (def.parent == parent && def.tab == tab) order.push_back(&def);
            if (order.size() == before) break;
        }
        HWND after = HWND_TOP;
        for (const ControlDef* def : order) {
            SetWindowPos(control(def->id), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            after = control(def->id);
        }
    }
}

HFONT TmainForm::font(FontSpec spec) {
    for (const Font& f : fonts_)
        if (f.spec == spec) return f.handle.get();
    LOGFONTW lf{};
    lf.lfHeight = -scale(spec.height, dpi_);
    lf.lfWeight = spec.bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    wcscpy_s(lf.lfFaceName, L"Tahoma");
    UniqueFont handle(CreateFontIndirectW(&lf));
    if (!handle) win32::throwLastError(L"Cannot create the window's font");
    return fonts_.emplace_back(Font{spec, std::move(handle)}).handle.get();
}

// Places every control and sets every font and picture for `dpi`; at start
// and whenever the window moves to a monitor of another scale.
void TmainForm::applyDpi(UINT dpi) {
    dpi_ = dpi;
    std::vector<Font> old = std::move(fonts_); // in use until the controls have the new ones
    fonts_.clear();
    for (const ControlDef& def : layoutTable()) {
        const HWND hwnd = control(def.id);
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font(def.font)), FALSE);
        SetWindowPos(hwnd, nullptr, scale(def.box.left, dpi), scale(def.box.top, dpi),
                     scale(def.box.width, dpi), scale(def.box.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
        if (def.labelFormat & labelAutoSize) fitLabelToText(def.id);
    }
    installIcon_ = loadIcon(L"PACKAGEICON", scale(24, dpi));
    SendMessageW(control(Control::BitInstall), BM_SETIMAGE, IMAGE_ICON,
                 reinterpret_cast<LPARAM>(installIcon_.get()));
    bigIcon_ = loadIcon(L"WINDOWICON", systemMetric(SM_CXICON, dpi));
    smallIcon_ = loadIcon(L"WINDOWICON", systemMetric(SM_CXSMICON, dpi));
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    InvalidateRect(window_, nullptr, TRUE);
}

// The frame is measured rather than computed from the DPI: it is what the
// system draws now, also where its frame does not follow the monitor's scale.
SIZE TmainForm::outerSize() const {
    RECT outer, client;
    GetWindowRect(window_, &outer);
    GetClientRect(window_, &client);
    const LONG frameWidth = (outer.right - outer.left) - client.right;
    const LONG frameHeight = (outer.bottom - outer.top) - client.bottom;
    return {scale(clientSize.cx, dpi_) + frameWidth, scale(clientSize.cy, dpi_) + frameHeight};
}

// The outer size is held to the limit, but never below the size that the
// client area needs: frames wider than the classic ones would otherwise cut
// off the bottom and right of the layout.
SIZE TmainForm::outerLimit() const {
    const SIZE needed = outerSize();
    return {std::max<LONG>(scale(sizeLimit.cx, dpi_), needed.cx),
            std::max<LONG>(scale(sizeLimit.cy, dpi_), needed.cy)};
}

void TmainForm::placeWindow(const RECT* suggested) {
    const SIZE size = outerSize();
    if (suggested) {
        SetWindowPos(window_, nullptr, suggested->left, suggested->top, size.cx, size.cy,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const int left = work.left + (work.right - work.left - size.cx) / 2;
    const int top = work.top + (work.bottom - work.top - size.cy) / 2;
    SetWindowPos(window_, nullptr, left, top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TmainForm::fitLabelToText(Control label) {
    const HWND hwnd = control(label);
    const std::wstring text = [&] {
        std::wstring s(GetWindowTextLengthW(hwnd), L'\0');
        GetWindowTextW(hwnd, s.data(), static_cast<int>(s.size()) + 1);
        return s;
    }();
    const HDC dc = GetDC(hwnd);
    const HGDIOBJ previous = SelectObject(dc, font(definition(label).font));
    RECT r{};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, previous);
    ReleaseDC(hwnd, dc);
    SetWindowPos(hwnd, nullptr, 0, 0, r.right, r.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TmainForm::drawLabel(const DRAWITEMSTRUCT& item) {
    const ControlDef* def = definitionOfId(static_cast<int>(item.CtlID));
    if (!def) return;
    std::wstring text(GetWindowTextLengthW(item.hwndItem), L'\0');
    GetWindowTextW(item.hwndItem, text.data(), static_cast<int>(text.size()) + 1);
    const HDC dc = item.hDC;
    FillRect(dc, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, def->colour == windowText ? GetSysColor(COLOR_WINDOWTEXT) : def->colour);
    const HGDIOBJ previous = SelectObject(dc, font(def->font));
    const UINT format =
        (def->labelFormat & (DT_CENTER | DT_RIGHT | DT_WORDBREAK | DT_SINGLELINE)) | DT_NOPREFIX;
    RECT r = item.rcItem;
    if (def->labelFormat & labelMiddle) {
        RECT measured = r;
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured, format | DT_CALCRECT);
        const int free = (r.bottom - r.top) - (measured.bottom - measured.top);
        if (free > 0) r.top += free / 2;
    }
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
    SelectObject(dc, previous);
}

void TmainForm::setControlText(Control c, const std::wstring& text) {
    const HWND hwnd = control(c);
    if (!SetWindowTextW(hwnd, text.c_str())) win32::throwLastError(L"Cannot set a caption");
    const ControlDef& def = definition(c);
    if (def.kind == Kind::label) {
        if (def.labelFormat & labelAutoSize) fitLabelToText(c);
        InvalidateRect(hwnd, nullptr, FALSE);
    }
}

void TmainForm::setCaption(texts::Caption caption, const std::wstring& text) {
    setControlText(controlOf(caption), text);
}

void TmainForm::setStatusCaption(const std::wstring& caption) {
    setControlText(Control::statusLbl, caption);
}

int TmainForm::progressPosition() const {
    return static_cast<int>(SendMessageW(control(Control::installPB), PBM_GETPOS, 0, 0));
}

void TmainForm::setProgressPosition(int position) {
    SendMessageW(control(Control::installPB), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

std::wstring TmainForm::addressText() const {
    const HWND edit = control(Control::tvIpEdt);
    std::wstring text(GetWindowTextLengthW(edit), L'\0');
    text.resize(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()) + 1));
    return text;
}

int TmainForm::languageIndex() const {
    return SendMessageW(control(Control::langEng), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

int TmainForm::seriesIndex() const {
    return SendMessageW(control(Control::seriesMNQ), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void TmainForm::setInstallEnabled(bool enabled) {
    const HWND button = control(Control::BitInstall);
    // Keyboard focus on a greyed button would go nowhere.
    if (!enabled && GetFocus() == button) SendMessageW(window_, WM_NEXTDLGCTL, 0, FALSE);
    EnableWindow(button, enabled);
}

void TmainForm::FormCreate() {
    setControlText(Control::ipValLBL, addressSource_());
    texts::applyLanguage(*this, languageIndex());
}

void TmainForm::refreshIpBTNClick() {
    setControlText(Control::ipValLBL, addressSource_());
}

void TmainForm::tvIpEdtKeyPress(wchar_t& key) {
    key = net::filterAddressKey(key);
}

void TmainForm::langRGClick() {
    texts::applyLanguage(*this, languageIndex());
}

void TmainForm::BitInstallClick() {
    InstallHost host(*this);
    installer_.run(host, settings_);
}

void TmainForm::onCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    if (id == controlId(Control::refreshIpBTN)) refreshIpBTNClick();
    if (id == controlId(Control::BitInstall)) BitInstallClick();
    if (id == controlId(Control::langRus) || id == controlId(Control::langEng)) {
        // A click on the item already selected changes nothing.
        if (languageIndex() == shownLanguage_) return;
        shownLanguage_ = languageIndex();
        langRGClick();
    }
}

void TmainForm::pasteIntoAddress() {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return;
    const HWND edit = control(Control::tvIpEdt);
    std::wstring kept;
    {
        const OpenClipboardScope clipboard(edit);
        const HANDLE data = GetClipboardData(CF_UNICODETEXT);
        if (!data) return;
        const auto* text = static_cast<const wchar_t*>(GlobalLock(data));
        if (!text) return;
        kept = net::filterPastedAddress(text);
        GlobalUnlock(data);
    }
    if (!kept.empty()) SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(kept.c_str()));
}

void TmainForm::rememberFocus() {
    const HWND focus = GetFocus();
    if (focus && IsChild(window_, focus)) focus_ = focus;
}

void TmainForm::restoreFocus() {
    if (focus_ && IsWindow(focus_) && IsWindowEnabled(focus_))
        SetFocus(focus_);
    else
        SetFocus(GetNextDlgTabItem(window_, nullptr, FALSE));
}

LRESULT TmainForm::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_DRAWITEM:
        drawLabel(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CTLCOLOREDIT: {
        const HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, definition(Control::tvIpEdt).colour);
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    case WM_GETMINMAXINFO: {
        auto& info = *reinterpret_cast<MINMAXINFO*>(lParam);
        const SIZE limit = outerLimit();
        info.ptMaxSize = {limit.cx, limit.cy};
        info.ptMaxTrackSize = {limit.cx, limit.cy};
        return 0;
    }
    case WM_DPICHANGED:
        applyDpi(HIWORD(wParam));
        placeWindow(reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            rememberFocus();
        else
            restoreFocus();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK TmainForm::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<TmainForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TmainForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        self->controls_.fill(nullptr);
        return DefWindowProcW(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    bool handled = false;
    application().guarded([&] {
        result = self->handle(message, wParam, lParam);
        handled = true;
    });
    return handled ? result : DefWindowProcW(window, message, wParam, lParam);
}

// Group boxes hold their controls as children: what those tell their parent
// goes on to the window, and the box paints its own background.
LRESULT CALLBACK TmainForm::groupProc(HWND group, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR self) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        const HWND window = reinterpret_cast<TmainForm*>(self)->window_;
        if (window) return SendMessageW(window, message, wParam, lParam);
        break;
    }
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(group, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, GetSysColorBrush(COLOR_BTNFACE));
        return TRUE;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(group, groupProc, 0);
        break;
    }
    return DefSubclassProc(group, message, wParam, lParam);
}

LRESULT CALLBACK TmainForm::addressProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR self) {
    LRESULT result = 0;
    bool handled = false;
    application().guarded([&] {
        result = reinterpret_cast<TmainForm*>(self)->handleAddressBox(edit, message, wParam, lParam);
        handled = true;
    });
    return handled ? result : DefSubclassProc(edit, message, wParam, lParam);
}

LRESULT TmainForm::handleAddressBox(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CHAR: {
        // Ctrl+V comes as a control character, which the key filter drops;
        // it still pastes, through the paste filter, as users expect.
        if (wParam == 0x16) {
            pasteIntoAddress();
            return 0;
        }
        auto key = static_cast<wchar_t>(wParam);
        tvIpEdtKeyPress(key);
        if (key == L'\0') return 0;
        return DefSubclassProc(edit, message, key, lParam);
    }
    case WM_PASTE:
        pasteIntoAddress();
        return 0;
    case WM_NCDESTROY:
        RemoveWindowSubclass(edit, addressProc, 0);
        break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

} // namespace app
