#pragma once
#include "settings.h"

#include <string>

namespace install {

// What a run needs of the window and of the system. The window adapts the
// real controls and Win32 calls to it; tests record the calls.
class Host {
  public:
    virtual ~Host() = default;

    // The window.
    virtual std::wstring address() = 0; // text of the address box
    virtual int language() = 0;         // 0 Russian, 1 English
    virtual int series() = 0;           // 0 "J,K", 1 "M,N,Q"
    virtual std::wstring text(int row, int language) = 0;
    virtual void showMessage(const std::wstring& text) = 0;
    virtual void setStatus(const std::wstring& text) = 0;
    virtual int position() = 0;
    virtual void setPosition(int position) = 0;
    virtual void setBusy(bool busy) = 0; // the install button greyed during a run

    // The system. Names are relative to the current folder.
    virtual void createFolder(const std::wstring& name) = 0;
    virtual void deleteIfExists(const std::wstring& name) = 0;
    virtual void extractResource(const std::wstring& file, const std::wstring& resource) = 0;
    virtual std::string readFile(const std::wstring& name) = 0; // empty when it can't be read
    virtual void runCommand(const std::wstring& commandLine) = 0;
    virtual bool terminated() = 0; // the application is ending
};

// One press of the install button. Keeps the only state a run needs between
// presses: whether one is in progress, so that a press arriving from inside a
// running command's message loop starts nothing.
class Installer {
  public:
    void run(Host& host, const Settings& settings);
    bool running() const { return running_; }

  private:
    bool running_ = false;
};

} // namespace install
