// What an install run sees of the main window and of the system: the window's
// controls, the text table, the work files and the command runner.
#pragma once

#include "install/sequence.h"
#include "install/win32/runner.h"

namespace app {

class TmainForm;

class InstallHost final : public install::Host, private install::MessagePump {
  public:
    explicit InstallHost(TmainForm& form) : form_(form) {}

    std::wstring address() override;
    int language() override;
    int series() override;
    std::wstring text(int row, int language) override;
    void showMessage(const std::wstring& text) override;
    void setStatus(const std::wstring& text) override;
    int position() override;
    void setPosition(int position) override;
    void setBusy(bool busy) override;

    void createFolder(const std::wstring& name) override;
    void deleteIfExists(const std::wstring& name) override;
    void extractResource(const std::wstring& file, const std::wstring& resource) override;
    std::string readFile(const std::wstring& name) override;
    void runCommand(const std::wstring& commandLine) override;
    bool terminated() override;

  private:
    void processMessages() override;
    bool terminated() const override;

    TmainForm& form_;
};

} // namespace app
