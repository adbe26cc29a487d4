#include "child_process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testing_support {
namespace {

// Generous bound for a child that hangs: the test fails instead of waiting for ever.
constexpr int kHangMs = 30000;

struct Pipe {
    int fd[2] = {-1, -1};
    Pipe() {
        if (pipe2(fd, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    }
    ~Pipe() {
        for (int f : fd)
            if (f >= 0) close(f);
    }
    int take(int i) {
        int f = fd[i];
        fd[i] = -1;
        return f;
    }
};

int spawn(const std::vector<std::string>& argv, const std::filesystem::path& folder,
          const std::vector<std::string>& env, int outFd, int errFd) {
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) envStrings.emplace_back(*e);
    envStrings.insert(envStrings.end(), env.begin(), env.end());
    std::vector<char*> args, envp;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const auto& e : envStrings) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    std::string dir = folder.string();

    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(outFd, 1);
        dup2(errFd, 2);
        if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(126);
        execve(args[0], args.data(), envp.data());
        _exit(127);
    }
    return pid;
}

int waitFor(int pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

Outcome run(const std::vector<std::string>& argv, const std::filesystem::path& folder,
            const std::vector<std::string>& env) {
    Pipe out, err;
    int pid = spawn(argv, folder, env, out.fd[1], err.fd[1]);
    close(out.take(1));
    close(err.take(1));
    Outcome o;
    pollfd fds[2] = {{out.fd[0], POLLIN, 0}, {err.fd[0], POLLIN, 0}};
    std::string* sinks[2] = {&o.out, &o.err};
    int open = 2;
    while (open > 0) {
        int r = poll(fds, 2, kHangMs);
        if (r == 0) {
            kill(pid, SIGKILL);
            waitFor(pid);
            throw std::runtime_error("child " + argv[0] + " hung");
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !fds[i].revents) continue;
            char buf[4096];
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                sinks[i]->append(buf, static_cast<size_t>(n));
            } else {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    o.status = waitFor(pid);
    return o;
}

SimulatedSet::SimulatedSet(const std::vector<std::string>& argv) {
    Pipe out;
    pid_ = spawn(argv, {}, {}, out.fd[1], 2);
    close(out.take(1));
    out_ = out.take(0);
    std::string line;
    while (line.find('\n') == std::string::npos) {
        pollfd p{out_, POLLIN, 0};
        char buf[256];
        ssize_t n = poll(&p, 1, kHangMs) > 0 ? read(out_, buf, sizeof buf) : 0;
        if (n <= 0) {
            stop();
            throw std::runtime_error("the simulated set did not start listening: '" + line + "'");
        }
        line.append(buf, static_cast<size_t>(n));
    }
    const std::string prefix = "listening on ";
    if (line.rfind(prefix, 0) != 0) {
        stop();
        throw std::runtime_error("unexpected first line from the simulated set: " + line);
    }
    address_ = line.substr(prefix.size(), line.find('\n') - prefix.size());
}

int SimulatedSet::stop() {
    if (pid_ < 0) return -1;
    kill(pid_, SIGTERM);
    int status = waitFor(pid_);
    pid_ = -1;
    if (out_ >= 0) close(out_);
    out_ = -1;
    return status;
}

SimulatedSet::~SimulatedSet() {
    stop();
}

} // namespace testing_support
