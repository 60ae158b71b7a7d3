// Runs a program as a child process with a chosen environment and working
// folder, reads its output, and bounds every wait so that no test can hang.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

class ChildProcess {
public:
    using Clock = std::chrono::steady_clock;

    // Environment changes on top of ours: a value sets, nullopt removes.
    using EnvChanges = std::map<std::string, std::optional<std::string>>;

    ChildProcess(const std::vector<std::string>& argv, const EnvChanges& env = {}, const std::string& cwd = "") {
        std::map<std::string, std::string> merged;
        for (char** e = environ; *e; ++e) {
            const char* eq = std::strchr(*e, '=');
            if (eq) {
                merged[std::string(*e, static_cast<std::size_t>(eq - *e))] = eq + 1;
            }
        }
        for (const auto& change : env) {
            if (change.second) {
                merged[change.first] = *change.second;
            } else {
                merged.erase(change.first);
            }
        }
        std::vector<std::string> envStrings;
        for (const auto& kv : merged) {
            envStrings.push_back(kv.first + "=" + kv.second);
        }
        std::vector<char*> envp;
        for (auto& s : envStrings) {
            envp.push_back(s.data());
        }
        envp.push_back(nullptr);
        std::vector<std::string> args = argv;
        std::vector<char*> argp;
        for (auto& s : args) {
            argp.push_back(s.data());
        }
        argp.push_back(nullptr);

        int outPipe[2];
        int errPipe[2];
        if (pipe(outPipe) != 0 || pipe(errPipe) != 0) {
            return;
        }
        pid = fork();
        if (pid == 0) {
            dup2(outPipe[1], 1);
            dup2(errPipe[1], 2);
            close(outPipe[0]);
            close(errPipe[0]);
            close(outPipe[1]);
            close(errPipe[1]);
            int devNull = open("/dev/null", O_RDONLY);
            if (devNull >= 0) {
                dup2(devNull, 0);
            }
            if (!cwd.empty() && chdir(cwd.c_str()) != 0) {
                _exit(126);
            }
            execve(argp[0], argp.data(), envp.data());
            _exit(127);
        }
        close(outPipe[1]);
        close(errPipe[1]);
        outFd = outPipe[0];
        errFd = errPipe[0];
    }

    ~ChildProcess() {
        if (pid > 0 && !exited) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (outFd >= 0) close(outFd);
        if (errFd >= 0) close(errFd);
    }

    bool started() const { return pid > 0; }

    // Waits until stderr contains text; false when the deadline passes or the
    // child closes its stderr first.
    bool waitForStderr(const std::string& text, double seconds) {
        const auto deadline = Clock::now() + toDuration(seconds);
        while (err.find(text) == std::string::npos) {
            if (!pump(deadline)) {
                return err.find(text) != std::string::npos;
            }
        }
        return true;
    }

    // Waits for the child to end; false (and the child still running) when
    // the deadline passes first.
    bool waitForExit(double seconds) {
        const auto deadline = Clock::now() + toDuration(seconds);
        for (;;) {
            int status = 0;
            const pid_t done = waitpid(pid, &status, WNOHANG);
            if (done == pid) {
                exited = true;
                rawStatus = status;
                while (pump(Clock::now() + std::chrono::milliseconds(200))) {
                }
                return true;
            }
            if (Clock::now() >= deadline) {
                return false;
            }
            pump(std::min(deadline, Clock::now() + std::chrono::milliseconds(20)));
        }
    }

    // Exit status, or -1 when the child did not exit normally.
    int exitStatus() const { return exited && WIFEXITED(rawStatus) ? WEXITSTATUS(rawStatus) : -1; }
    int pidValue() const { return pid; }
    const std::string& stderrText() const { return err; }
    const std::string& stdoutText() const { return out; }

private:
    static Clock::duration toDuration(double seconds) {
        return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    }

    // Reads what is available until the deadline; false when both pipes are
    // closed or the deadline has passed.
    bool pump(Clock::time_point deadline) {
        std::vector<pollfd> fds;
        if (outFd >= 0) fds.push_back({outFd, POLLIN, 0});
        if (errFd >= 0) fds.push_back({errFd, POLLIN, 0});
        if (fds.empty()) {
            return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return false;
        }
        const int ready = poll(fds.data(), fds.size(), static_cast<int>(left));
        if (ready <= 0) {
            return ready == 0 ? false : true;
        }
        for (const pollfd& p : fds) {
            if (!(p.revents & (POLLIN | POLLHUP | POLLERR))) {
                continue;
            }
            char buffer[4096];
            const ssize_t n = read(p.fd, buffer, sizeof buffer);
            std::string& target = p.fd == errFd ? err : out;
            if (n > 0) {
                target.append(buffer, static_cast<std::size_t>(n));
            } else {
                close(p.fd);
                (p.fd == errFd ? errFd : outFd) = -1;
            }
        }
        return true;
    }

    pid_t pid = -1;
    int outFd = -1;
    int errFd = -1;
    bool exited = false;
    int rawStatus = 0;
    std::string out;
    std::string err;
};

// Whether an executable of that name is on PATH.
inline std::string findOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string all = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= all.size()) {
        std::size_t end = all.find(':', start);
        if (end == std::string::npos) end = all.size();
        std::string candidate = all.substr(start, end - start) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    return "";
}
