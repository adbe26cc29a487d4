// The application object: start-up of the GUI, the message loop, dispatch on
// demand from inside a handler, and the error report of a failed handler.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace app {

// The caption of the main window; also the title of the program's message
// boxes. It never changes.
inline constexpr const wchar_t* programTitle = L"Talvane TV Tizen Widget Installator";

class Application {
  public:
    // Registers the common controls the window uses.
    void initialise();

    // The window whose dialog keys (Tab, arrows) the loop translates and that
    // owns the message boxes.
    void setMainWindow(HWND window) { mainWindow_ = window; }
    HWND mainWindow() const { return mainWindow_; }

    // Shows the main window and dispatches messages until the quit request.
    void run(int showCommand);

    // Dispatches every message waiting in the queue and returns. A quit
    // request met here ends the dispatch and is kept: terminated() turns true
    // and run() returns without waiting for another.
    void processMessages();
    bool terminated() const { return terminated_; }

    // The error report for an exception that left a handler: an error box with
    // its message (empty for an exception that is not a std::exception). Call
    // only from inside a catch block.
    void showCurrentException() noexcept;

    // Runs `handler`, reporting whatever it throws; the window stays usable.
    template <class Handler> void guarded(Handler&& handler) noexcept {
        try {
            std::forward<Handler>(handler)();
        } catch (...) {
            showCurrentException();
        }
    }

    // A modal message box with one text and an OK button.
    void showMessage(const std::wstring& text) const;

  private:
    void dispatch(MSG& message);

    HWND mainWindow_ = nullptr;
    bool terminated_ = false;
};

// The one application object of the process.
Application& application();

} // namespace app
