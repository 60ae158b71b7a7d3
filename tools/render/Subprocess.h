// A child program with an optional pipe to its standard input, for handing
// frames to an encoder without temporary files.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>
#include <vector>

// The full path of an executable found through PATH (or the name itself when
// it contains a slash and is executable); empty when there is none.
std::string findProgram(const std::string& name);

class Subprocess {
public:
    Subprocess() = default;
    ~Subprocess();
    Subprocess(const Subprocess&) = delete;
    Subprocess& operator=(const Subprocess&) = delete;

    // Starts argv[0] with argv. With wantInput, input() is a stream to its
    // standard input; otherwise it reads /dev/null. Its output and errors go
    // to logPath (truncated), or to /dev/null when logPath is empty. False,
    // with the reason, when the program cannot be started.
    bool start(const std::vector<std::string>& argv, bool wantInput, const std::string& logPath,
               std::string& error);

    std::FILE* input() const { return inputStream; }

    // Closes the input and waits. The exit status, or -1 when the program
    // was killed by a signal or never started.
    int finish();

    // Stops the program at once and reaps it.
    void kill();

private:
    pid_t pid = -1;
    std::FILE* inputStream = nullptr;
};

// Runs a program to its end with no input. Its exit status, or -1.
int runProgram(const std::vector<std::string>& argv, const std::string& logPath, std::string& error);
