#include "tools/render/Subprocess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

bool isExecutableFile(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

void closeQuietly(int& fd)
{
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

std::string findProgram(const std::string& name)
{
    if (name.empty()) return std::string();
    if (name.find('/') != std::string::npos) return isExecutableFile(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    if (!path) return std::string();
    const std::string dirs = path;
    std::size_t begin = 0;
    while (begin <= dirs.size()) {
        std::size_t end = dirs.find(':', begin);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = end > begin ? dirs.substr(begin, end - begin) : ".";
        const std::string candidate = dir + "/" + name;
        if (isExecutableFile(candidate)) return candidate;
        begin = end + 1;
    }
    return std::string();
}

Subprocess::~Subprocess() { kill(); }

bool Subprocess::start(const std::vector<std::string>& argv, bool wantInput, const std::string& logPath,
                       std::string& error)
{
    if (argv.empty() || pid > 0) {
        error = "nothing to run";
        return false;
    }
    int inputPipe[2] = {-1, -1};
    int statusPipe[2] = {-1, -1};
    int logFd = -1;
    auto cleanUp = [&]() {
        closeQuietly(inputPipe[0]);
        closeQuietly(inputPipe[1]);
        closeQuietly(statusPipe[0]);
        closeQuietly(statusPipe[1]);
        closeQuietly(logFd);
    };

    if (wantInput && ::pipe2(inputPipe, O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        cleanUp();
        return false;
    }
    // Reports a failed exec back to us: it closes on a successful exec.
    if (::pipe2(statusPipe, O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        cleanUp();
        return false;
    }
    logFd = ::open(logPath.empty() ? "/dev/null" : logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (logFd < 0) {
        error = "cannot write " + logPath + ": " + std::strerror(errno);
        cleanUp();
        return false;
    }

    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    const pid_t child = ::fork();
    if (child < 0) {
        error = std::string("fork: ") + std::strerror(errno);
        cleanUp();
        return false;
    }
    if (child == 0) {
        // Only async-signal-safe calls from here on.
        int in = wantInput ? inputPipe[0] : ::open("/dev/null", O_RDONLY);
        if (in < 0 || ::dup2(in, 0) < 0 || ::dup2(logFd, 1) < 0 || ::dup2(logFd, 2) < 0) {
            int e = errno;
            (void)!::write(statusPipe[1], &e, sizeof e);
            ::_exit(127);
        }
        ::signal(SIGPIPE, SIG_DFL);
        ::execvp(args[0], args.data());
        int e = errno;
        (void)!::write(statusPipe[1], &e, sizeof e);
        ::_exit(127);
    }

    pid = child;
    closeQuietly(statusPipe[1]);
    closeQuietly(inputPipe[0]);
    closeQuietly(logFd);
    int childErrno = 0;
    ssize_t got;
    do {
        got = ::read(statusPipe[0], &childErrno, sizeof childErrno);
    } while (got < 0 && errno == EINTR);
    closeQuietly(statusPipe[0]);
    if (got == static_cast<ssize_t>(sizeof childErrno)) {
        error = "cannot run " + argv[0] + ": " + std::strerror(childErrno);
        closeQuietly(inputPipe[1]);
        int status;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        pid = -1;
        return false;
    }
    if (wantInput) {
        inputStream = ::fdopen(inputPipe[1], "wb");
        if (!inputStream) {
            error = std::string("fdopen: ") + std::strerror(errno);
            closeQuietly(inputPipe[1]);
            kill();
            return false;
        }
        inputPipe[1] = -1;
        // Frames are large; fewer, bigger writes keep the pipe busy.
        std::setvbuf(inputStream, nullptr, _IOFBF, 1 << 20);
    }
    return true;
}

int Subprocess::finish()
{
    if (inputStream) {
        std::fclose(inputStream);
        inputStream = nullptr;
    }
    if (pid <= 0) return -1;
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(pid, &status, 0);
    } while (r < 0 && errno == EINTR);
    pid = -1;
    if (r < 0 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

void Subprocess::kill()
{
    if (inputStream) {
        std::fclose(inputStream);
        inputStream = nullptr;
    }
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        int status;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        pid = -1;
    }
}

int runProgram(const std::vector<std::string>& argv, const std::string& logPath, std::string& error)
{
    Subprocess process;
    if (!process.start(argv, false, logPath, error)) return -1;
    return process.finish();
}
