#pragma once
#include <string>

namespace install {

// What the runner needs of the application while it waits.
class MessagePump {
  public:
    virtual ~MessagePump() = default;
    virtual void processMessages() = 0;  // dispatch everything waiting
    virtual bool terminated() const = 0; // the application has been told to end
};

// Runs one command line with a hidden console and waits for it to end while
// dispatching the window's messages. Returns early once the application is
// ending (the command is left to run). Reports nothing: the commands leave
// their outcome in their step logs.
void runCommand(const std::wstring& commandLine, MessagePump& pump);

// The command interpreter of the system folder, never one found beside the
// program or in the current folder.
std::wstring commandInterpreter();

} // namespace install
