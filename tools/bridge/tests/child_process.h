// Runs the bridge tool and the simulated set as separate processes, the way
// the installer does, and collects what they print.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

struct Outcome {
    int status = -1; // exit status, or -1 when killed by a signal
    std::string out;
    std::string err;
};

// Runs a program to its end in `folder` with extra environment entries
// ("NAME=value").
Outcome run(const std::vector<std::string>& argv, const std::filesystem::path& folder,
            const std::vector<std::string>& env);

// A simulated set running in the background: started with its arguments,
// ready once it printed its "listening on" line, stopped with SIGTERM.
class SimulatedSet {
  public:
    explicit SimulatedSet(const std::vector<std::string>& argv);
    ~SimulatedSet();
    SimulatedSet(const SimulatedSet&) = delete;
    SimulatedSet& operator=(const SimulatedSet&) = delete;

    const std::string& address() const { return address_; } // "<ip>:<port>"
    // Sends SIGTERM and returns the exit status.
    int stop();

  private:
    int pid_ = -1;
    int out_ = -1;
    std::string address_;
};

} // namespace testing_support
