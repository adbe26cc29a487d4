#include "sequence.h"

#include "address.h"
#include "commands.h"
#include "outcome.h"
#include "texts.h"

namespace install {

namespace {

// Marks a run in progress for as long as it lives, whichever way the run ends.
class RunGuard {
  public:
    RunGuard(bool& running, Host& host) : running_(running), host_(host) {
        running_ = true;
        host_.setBusy(true);
    }
    ~RunGuard() {
        running_ = false;
        host_.setBusy(false);
    }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

  private:
    bool& running_;
    Host& host_;
};

void show(Host& host, int row) {
    host.setStatus(host.text(row, host.language()));
}

} // namespace

void Installer::run(Host& host, const Settings& settings) {
    if (running_) return;

    const std::wstring address = host.address();
    if (!isDottedQuad(address)) {
        host.showMessage(host.text(texts::addressMessageRow, host.language()));
        return;
    }
    // Read once: every command of this run names the same staging folder.
    const int series = host.series();
    RunGuard guard(running_, host);

    try {
        host.createFolder(logFolder);
    } catch (...) {
        // It exists after the first run, and a missing log folder only loses the logs.
    }
    const std::wstring package = settings.packageFile();
    host.deleteIfExists(toolFile);
    host.deleteIfExists(package);
    host.extractResource(toolFile, toolResource);
    host.extractResource(package, packageResource);

    show(host, texts::inProgressRow);
    host.setPosition(startPosition);
    for (const BridgeCommand& command : bridgeCommands(settings, address, series)) {
        if (host.terminated()) break;
        host.runCommand(command.line);
        host.setPosition(host.position() + command.increment);
    }

    host.deleteIfExists(toolFile);
    host.deleteIfExists(package);
    if (host.terminated()) return;

    const std::wstring logs = std::wstring(logFolder) + L"\\";
    const std::string connectLog = host.readFile(logs + L"step1.txt");
    const std::string installLog = host.readFile(logs + L"step6.txt");
    show(host, widgetInstalled(connectLog, installLog) ? texts::completionRow : texts::failureRow);
}

} // namespace install
