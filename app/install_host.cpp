#include "install_host.h"

#include "application.h"
#include "main_window.h"
#include "texts.h"

#include "install/win32/workfiles.h"

namespace app {

std::wstring InstallHost::address() {
    return form_.addressText();
}
int InstallHost::language() {
    return form_.languageIndex();
}
int InstallHost::series() {
    return form_.seriesIndex();
}
std::wstring InstallHost::text(int row, int language) {
    return texts::text(row, language);
}
void InstallHost::showMessage(const std::wstring& text) {
    application().showMessage(text);
}
void InstallHost::setStatus(const std::wstring& text) {
    form_.setStatusCaption(text);
}
int InstallHost::position() {
    return form_.progressPosition();
}
void InstallHost::setPosition(int position) {
    form_.setProgressPosition(position);
}
void InstallHost::setBusy(bool busy) {
    form_.setInstallEnabled(!busy);
}

void InstallHost::createFolder(const std::wstring& name) {
    CreateDirectoryW(name.c_str(), nullptr);
}
void InstallHost::deleteIfExists(const std::wstring& name) {
    install::deleteIfExists(name);
}
void InstallHost::extractResource(const std::wstring& file, const std::wstring& resource) {
    install::extractResource(file, resource);
}
std::string InstallHost::readFile(const std::wstring& name) {
    return install::readSmallFile(name);
}
void InstallHost::runCommand(const std::wstring& commandLine) {
    install::runCommand(commandLine, *this);
}
bool InstallHost::terminated() {
    return application().terminated();
}

void InstallHost::processMessages() {
    application().processMessages();
}
bool InstallHost::terminated() const {
    return application().terminated();
}

} // namespace app
