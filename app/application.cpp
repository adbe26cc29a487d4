#include "application.h"

#include "win32/error.h"

#include <commctrl.h>

#include <exception>

namespace app {

Application& application() {
    static Application instance;
    return instance;
}

void Application::initialise() {
    const INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    if (!InitCommonControlsEx(&classes)) win32::throwLastError(L"Cannot register the common controls");
}

void Application::dispatch(MSG& message) {
    if (mainWindow_ && IsDialogMessageW(mainWindow_, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void Application::run(int showCommand) {
    ShowWindow(mainWindow_, showCommand);
    UpdateWindow(mainWindow_);
    MSG message;
    while (!terminated_) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) win32::throwLastError(L"Cannot read the message queue");
        if (got == 0) {
            terminated_ = true;
            break;
        }
        dispatch(message);
    }
}

void Application::processMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            terminated_ = true;
            return;
        }
        dispatch(message);
    }
}

void Application::showCurrentException() noexcept {
    std::wstring text;
    try {
        throw;
    } catch (const std::exception& e) {
        text = win32::fromUtf8(e.what());
    } catch (...) {
    }
    MessageBoxW(mainWindow_ && IsWindow(mainWindow_) ? mainWindow_ : nullptr, text.c_str(), programTitle,
                MB_OK | MB_ICONERROR);
}

void Application::showMessage(const std::wstring& text) const {
    MessageBoxW(mainWindow_ && IsWindow(mainWindow_) ? mainWindow_ : nullptr, text.c_str(), programTitle,
                MB_OK);
}

} // namespace app
