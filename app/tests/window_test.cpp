// The real main window, created in this process and driven by the messages a
// user's input would send.
#include "application.h"
#include "dpi.h"
#include "layout.h"
#include "main_window.h"
#include "texts.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using app::Control;
using app::TmainForm;

namespace {

std::wstring textOf(HWND window) {
    wchar_t buffer[4096] = {};
    SendMessageW(window, WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

RECT rectInParent(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::wstring className(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

bool checked(HWND radio) {
    return SendMessageW(radio, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void typeText(HWND edit, const std::wstring& keys) {
    for (wchar_t key : keys) SendMessageW(edit, WM_CHAR, key, 1);
}

// Message boxes shown on this thread are read and answered with OK once they
// have their text, before they are first drawn; the modal loop that shows
// them then returns at once.
class MessageBoxes {
  public:
    MessageBoxes() {
        current = this;
        hook_ = SetWindowsHookExW(WH_CALLWNDPROCRET, hook, nullptr, GetCurrentThreadId());
    }
    ~MessageBoxes() {
        UnhookWindowsHookEx(hook_);
        current = nullptr;
    }
    MessageBoxes(const MessageBoxes&) = delete;
    MessageBoxes& operator=(const MessageBoxes&) = delete;
    std::vector<std::wstring> texts;
    std::vector<std::wstring> titles;

  private:
    static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam) {
        const auto& call = *reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && call.message == WM_INITDIALOG && className(call.hwnd) == L"#32770" &&
            current) {
            // The message is the box's one static control with text.
            std::wstring message;
            for (HWND child = GetWindow(call.hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                if (_wcsicmp(className(child).c_str(), L"Static") == 0 && !textOf(child).empty())
                    message = textOf(child);
            current->texts.push_back(message);
            current->titles.push_back(textOf(call.hwnd));
            EndDialog(call.hwnd, IDOK);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline MessageBoxes* current = nullptr;
    HHOOK hook_;
};

// Messages posted by the window (BM_CLICK's mouse messages, repaints) are
// handled before a test looks.
void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        if (message.message != WM_QUIT) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
}

struct Captioned {
    Control control;
    int row;
};

const Captioned languageCaptions[] = {
    {Control::langRG, 1},        {Control::ipGB, 2},       {Control::ipNoteLbl, 3},
    {Control::refreshIpBTN, 4},  {Control::tvSeriesRG, 5}, {Control::BitInstall, 6},
    {Control::tvIpLbl, 7},       {Control::installGB, 8},  {Control::statusLbl, 9},
    {Control::instManualGB, 13}, {Control::manualLbl, 14},
};

const std::wstring twoAddresses = L"192.168.1.20         10.0.0.7";

class MainWindow : public testing::Test {
  protected:
    static void SetUpTestSuite() { app::application().initialise(); }

    void SetUp() override {
        form = std::make_unique<TmainForm>([this] {
            ++addressQueries;
            return addresses;
        });
        app::application().setMainWindow(form->handle());
        pump();
    }
    void TearDown() override {
        form.reset();
        app::application().setMainWindow(nullptr);
        pump();
    }

    HWND control(Control c) const { return form->control(c); }
    std::wstring caption(Control c) const { return textOf(control(c)); }
    void click(Control c) {
        SendMessageW(control(c), BM_CLICK, 0, 0);
        pump();
    }
    void expectLanguage(int language) {
        for (const Captioned& c : languageCaptions)
            EXPECT_EQ(caption(c.control), texts::text(c.row, language)) << "control " << int(c.control);
    }

    std::wstring addresses = twoAddresses;
    int addressQueries = 0;
    std::unique_ptr<TmainForm> form;
};

TEST_F(MainWindow, OpensInRussianWithItsDefaults) {
    EXPECT_EQ(className(form->handle()), L"TmainForm");
    EXPECT_EQ(textOf(form->handle()), L"Talvane TV Tizen Widget Installator");
    expectLanguage(texts::russian);
    EXPECT_EQ(caption(Control::ipValLBL), twoAddresses);
    EXPECT_EQ(addressQueries, 1);
    EXPECT_TRUE(checked(control(Control::langRus)));
    EXPECT_FALSE(checked(control(Control::langEng)));
    EXPECT_TRUE(checked(control(Control::seriesJK)));
    EXPECT_FALSE(checked(control(Control::seriesMNQ)));
    EXPECT_EQ(form->languageIndex(), 0);
    EXPECT_EQ(form->seriesIndex(), 0);
    EXPECT_EQ(caption(Control::tvIpEdt), L"");
    EXPECT_EQ(form->progressPosition(), 0);
    PBRANGE range{};
    SendMessageW(control(Control::installPB), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 100);
    EXPECT_EQ(caption(Control::langRus), L"РУС");
    EXPECT_EQ(caption(Control::langEng), L"ENG");
    EXPECT_EQ(caption(Control::seriesJK), L"J,K");
    EXPECT_EQ(caption(Control::seriesMNQ), L"M,N,Q");
    EXPECT_EQ(form->settings().appName, L"TalvaneTV");
}

TEST_F(MainWindow, LanguageSwitchChangesTheElevenCaptionsAndNothingElse) {
    typeText(control(Control::tvIpEdt), L"192.168.0.105");
    click(Control::seriesMNQ);
    form->setProgressPosition(40);
    form->setStatusCaption(texts::text(texts::inProgressRow, texts::russian));

    click(Control::langEng);
    EXPECT_EQ(form->languageIndex(), 1);
    expectLanguage(texts::english); // the status line is back at the prompt

    addresses = L"changed";
    click(Control::langRus);
    expectLanguage(texts::russian);
    for (Control c : {Control::langRus, Control::langEng, Control::seriesJK, Control::seriesMNQ})
        EXPECT_FALSE(caption(c).empty());
    EXPECT_EQ(caption(Control::langEng), L"ENG");
    EXPECT_EQ(caption(Control::ipValLBL), twoAddresses);
    EXPECT_EQ(addressQueries, 1);
    EXPECT_EQ(form->addressText(), L"192.168.0.105");
    EXPECT_EQ(form->seriesIndex(), 1);
    EXPECT_EQ(form->progressPosition(), 40);
    EXPECT_EQ(textOf(form->handle()), L"Talvane TV Tizen Widget Installator");
}

TEST_F(MainWindow, ClickOnTheSelectedLanguageChangesNothing) {
    form->setStatusCaption(texts::text(texts::completionRow, texts::russian));
    click(Control::langRus);
    EXPECT_EQ(caption(Control::statusLbl), texts::text(texts::completionRow, texts::russian));
}

TEST_F(MainWindow, AddressBoxTakesOnlyTypedDigitsDotsAndBackspace) {
    const HWND edit = control(Control::tvIpEdt);
    typeText(edit, L"192.168.1.5");
    EXPECT_EQ(caption(Control::tvIpEdt), L"192.168.1.5");
    typeText(edit, L"a ,-Zб\r\x1b\t:/");
    EXPECT_EQ(caption(Control::tvIpEdt), L"192.168.1.5");
    typeText(edit, L"\b\b");
    EXPECT_EQ(caption(Control::tvIpEdt), L"192.168.1");
    SetWindowTextW(edit, L"");
    typeText(edit, L"1..2");
    EXPECT_EQ(caption(Control::tvIpEdt), L"1..2");
}

bool putOnClipboard(HWND owner, const std::wstring& text) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    const bool put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    return put;
}

TEST_F(MainWindow, PastedTextKeepsOnlyItsDigitsAndDots) {
    const HWND edit = control(Control::tvIpEdt);
    typeText(edit, L"1");
    ASSERT_TRUE(putOnClipboard(form->handle(), L" 0.0.0.1 & calc\r\n"));
    SendMessageW(edit, WM_PASTE, 0, 0);
    EXPECT_EQ(caption(Control::tvIpEdt), L"10.0.0.1");

    ASSERT_TRUE(putOnClipboard(form->handle(), L"no digits"));
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, WM_PASTE, 0, 0);
    EXPECT_EQ(caption(Control::tvIpEdt), L"10.0.0.1");

    // Ctrl+V, as the keyboard delivers it to the box.
    ASSERT_TRUE(putOnClipboard(form->handle(), L"192.168.0.105|x"));
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, WM_CHAR, 0x16, 0x2f0001);
    EXPECT_EQ(caption(Control::tvIpEdt), L"192.168.0.105");
}

TEST_F(MainWindow, RejectedAddressShowsRow12InTheSelectedLanguageAndTouchesNothing) {
    form->setProgressPosition(27);
    for (int language : {texts::russian, texts::english}) {
        SCOPED_TRACE(language);
        click(language == texts::russian ? Control::langRus : Control::langEng);
        // Short texts, and longer ones that are no dotted-quad address.
        for (const wchar_t* address :
             {L"", L"1", L"1.2.34", L"1..2..3", L"12.34.5", L"1.2.3.256", L"1.2.3.4 & x"}) {
            SetWindowTextW(control(Control::tvIpEdt), address);
            MessageBoxes boxes;
            click(Control::BitInstall);
            ASSERT_EQ(boxes.texts.size(), 1u) << address;
            EXPECT_EQ(boxes.texts[0], texts::text(texts::addressMessageRow, language));
            EXPECT_EQ(caption(Control::statusLbl), texts::text(texts::promptRow, language));
            EXPECT_EQ(form->progressPosition(), 27);
            EXPECT_EQ(caption(Control::tvIpEdt), address);
        }
    }
}

TEST_F(MainWindow, RefreshShowsTheAddressesOfTheMomentInPlaceOfTheLast) {
    addresses = L"10.1.1.1";
    click(Control::refreshIpBTN);
    EXPECT_EQ(caption(Control::ipValLBL), L"10.1.1.1");
    click(Control::refreshIpBTN);
    EXPECT_EQ(caption(Control::ipValLBL), L"10.1.1.1");
    addresses = L"";
    click(Control::refreshIpBTN);
    EXPECT_EQ(caption(Control::ipValLBL), L"");
    EXPECT_EQ(addressQueries, 4);
}

TEST_F(MainWindow, TabVisitsTheControlsInTheirOrder) {
    const Control order[] = {Control::langRus,    Control::refreshIpBTN, Control::tvIpEdt,
                             Control::BitInstall, Control::installPB,    Control::seriesJK};
    HWND at = control(order[0]);
    for (std::size_t i = 1; i <= std::size(order); ++i) {
        at = GetNextDlgTabItem(form->handle(), at, FALSE);
        EXPECT_EQ(at, control(order[i % std::size(order)])) << i;
    }
}

TEST_F(MainWindow, ArrowKeysMoveWithinARadioGroupOnly) {
    EXPECT_EQ(GetNextDlgGroupItem(form->handle(), control(Control::langRus), FALSE),
              control(Control::langEng));
    EXPECT_EQ(GetNextDlgGroupItem(form->handle(), control(Control::langEng), FALSE),
              control(Control::langRus));
    EXPECT_EQ(GetNextDlgGroupItem(form->handle(), control(Control::seriesJK), FALSE),
              control(Control::seriesMNQ));
    EXPECT_EQ(GetNextDlgGroupItem(form->handle(), control(Control::tvIpEdt), FALSE),
              control(Control::tvIpEdt));
}

TEST_F(MainWindow, HandlerErrorIsShownAndTheWindowStaysUsable) {
    form.reset();
    int calls = 0;
    MessageBoxes boxes;
    form = std::make_unique<TmainForm>([&]() -> std::wstring {
        if (++calls == 2) throw std::runtime_error("Cannot list the PC's network addresses: кабель");
        return L"10.9.9.9";
    });
    SendMessageW(form->control(Control::refreshIpBTN), BM_CLICK, 0, 0);
    pump();
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], L"Cannot list the PC's network addresses: кабель");
    EXPECT_EQ(caption(Control::ipValLBL), L"10.9.9.9");
    SendMessageW(form->control(Control::refreshIpBTN), BM_CLICK, 0, 0);
    pump();
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(boxes.texts.size(), 1u);
}

TEST(MainWindowStart, FailingAddressQueryLeavesTheInitialCaptions) {
    app::application().initialise();
    for (bool standardError : {true, false}) {
        SCOPED_TRACE(standardError);
        MessageBoxes boxes;
        const TmainForm form([&]() -> std::wstring {
            if (standardError) throw std::runtime_error("no adapters");
            throw 42;
        });
        ASSERT_EQ(boxes.texts.size(), 1u);
        EXPECT_EQ(boxes.texts[0], standardError ? L"no adapters" : L"");
        EXPECT_EQ(textOf(form.control(Control::ipGB)), L"IP Адрес ПК:");
        EXPECT_EQ(textOf(form.control(Control::installGB)), L"Установка виджета");
        EXPECT_EQ(textOf(form.control(Control::BitInstall)), L"Установить виджет");
        for (Control c : {Control::langRG, Control::ipNoteLbl, Control::refreshIpBTN, Control::tvSeriesRG,
                          Control::tvIpLbl, Control::statusLbl, Control::instManualGB})
            EXPECT_EQ(textOf(form.control(c)), texts::text(app::definition(c).row, texts::russian));
        EXPECT_EQ(textOf(form.control(Control::manualLbl)), L"");
        EXPECT_EQ(textOf(form.control(Control::ipValLBL)), L"");
        pump();
    }
}

// At the DPI of the prefix the tests run in: 96, or what TALVANE_EXPECT_DPI
// names.
UINT expectedDpi() {
    const char* dpi = std::getenv("TALVANE_EXPECT_DPI");
    return dpi ? static_cast<UINT>(std::atoi(dpi)) : 96;
}

class Layout : public MainWindow {
  protected:
    void expectLayoutAt(UINT dpi) {
        RECT client;
        GetClientRect(form->handle(), &client);
        EXPECT_EQ(client.right, app::scale(844, dpi));
        EXPECT_EQ(client.bottom, app::scale(600, dpi));
        for (const app::ControlDef& def : app::layoutTable()) {
            SCOPED_TRACE(testing::Message() << "control " << int(def.id) << " at " << dpi);
            const HWND hwnd = control(def.id);
            const HWND parent = def.parent == Control::window ? form->handle() : control(def.parent);
            EXPECT_EQ(GetParent(hwnd), parent);
            const RECT r = rectInParent(hwnd);
            EXPECT_EQ(r.left, app::scale(def.box.left, dpi));
            EXPECT_EQ(r.top, app::scale(def.box.top, dpi));
            if (def.id == Control::ipNoteLbl) {
                expectFitsItsText(hwnd);
            } else {
                EXPECT_EQ(r.right - r.left, app::scale(def.box.width, dpi));
                EXPECT_EQ(r.bottom - r.top, app::scale(def.box.height, dpi));
            }
            LOGFONTW font{};
            GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof(font), &font);
            EXPECT_EQ(font.lfHeight, -app::scale(def.font.height, dpi));
            EXPECT_EQ(font.lfWeight, def.font.bold ? FW_BOLD : FW_NORMAL);
            EXPECT_STREQ(font.lfFaceName, L"Tahoma");
        }
    }
    // One line of its text, no more, no less.
    void expectFitsItsText(HWND label) {
        const std::wstring text = textOf(label);
        const HDC dc = GetDC(label);
        const HGDIOBJ previous =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
        SIZE extent;
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        SelectObject(dc, previous);
        ReleaseDC(label, dc);
        RECT r;
        GetClientRect(label, &r);
        EXPECT_EQ(r.right, extent.cx);
        EXPECT_EQ(r.bottom, extent.cy);
    }
};

TEST_F(Layout, ControlsSitWhereTheTableSaysAtTheMonitorsDpi) {
    ASSERT_EQ(form->dpi(), expectedDpi());
    ASSERT_EQ(app::dpiForWindow(form->handle()), expectedDpi());
    expectLayoutAt(expectedDpi());
    click(Control::langEng);
    expectFitsItsText(control(Control::ipNoteLbl));
}

TEST_F(Layout, FollowsAMoveToAMonitorOfAnotherScale) {
    for (UINT dpi : {144u, 120u, expectedDpi()}) {
        RECT suggested;
        GetWindowRect(form->handle(), &suggested);
        SendMessageW(form->handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        pump();
        EXPECT_EQ(form->dpi(), dpi);
        expectLayoutAt(dpi);
        RECT now;
        GetWindowRect(form->handle(), &now);
        EXPECT_EQ(now.left, suggested.left);
        EXPECT_EQ(now.top, suggested.top);
    }
}

TEST_F(Layout, OpensCentredAndMaximisesWithinTheLimit) {
    RECT r;
    GetWindowRect(form->handle(), &r);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(form->handle(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    EXPECT_NEAR((r.left + r.right) / 2, (monitor.rcWork.left + monitor.rcWork.right) / 2, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, (monitor.rcWork.top + monitor.rcWork.bottom) / 2, 1);
    const LONG normalWidth = r.right - r.left, normalHeight = r.bottom - r.top;
    const UINT dpi = form->dpi();
    ShowWindow(form->handle(), SW_SHOWNORMAL);
    ShowWindow(form->handle(), SW_MAXIMIZE);
    pump();
    GetWindowRect(form->handle(), &r);
    EXPECT_LE(r.right - r.left, std::max<LONG>(app::scale(850, dpi), normalWidth));
    EXPECT_LE(r.bottom - r.top, std::max<LONG>(app::scale(625, dpi), normalHeight));
    std::printf("outer size %ldx%ld normal, %ldx%ld maximised at %u DPI\n", normalWidth, normalHeight,
                r.right - r.left, r.bottom - r.top, dpi);
    const LONG style = GetWindowLongW(form->handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
}

TEST(ApplicationObject, ProcessMessagesDispatchesWhatWaitsAndNotesTheQuitRequest) {
    app::Application& application = app::application();
    const HWND window = CreateWindowW(L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    PostMessageW(window, WM_CLOSE, 0, 0);
    application.processMessages();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(application.terminated());
    PostQuitMessage(0);
    application.processMessages();
    EXPECT_TRUE(application.terminated());
}

} // namespace
