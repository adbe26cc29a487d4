// TalvaneTVInstaller: puts the Talvane TV widget onto a Samsung Tizen
// television over the local network.
#include "application.h"
#include "local_ips.h"
#include "main_window.h"

#include <windows.h>

#include <exception>
#include <memory>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    app::Application& application = app::application();
    try {
        application.initialise();
        const auto mainForm = std::make_unique<app::TmainForm>(net::getLocalIPs);
        application.setMainWindow(mainForm->handle());
        application.run(showCommand);
    } catch (...) {
        application.showCurrentException();
    }
    return 0;
}
