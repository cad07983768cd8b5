#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tamsel::testing {

struct ProcessRun {
    int exitCode = -1;  // -1: killed or not started
    std::string out;
    std::string err;
};

// Starts a program (args[0] is its path) as from a shell, whatever the test program does with its
// own signals: none blocked, none ignored. `outputFd` and `errorFd` become its standard output and
// error (-1: the test program's). Returns its pid, or -1 when it could not start.
pid_t spawnAsFromShell(std::vector<std::string> args, int outputFd, int errorFd = -1);

// Runs a program (args[0] is its path) and collects its output; kills it after `limit`.
// Once `signalWhen` holds (polled while the program runs), it is sent `signal`, once.
// A program's output split at its line ends.
std::vector<std::string> outputLines(const std::string& text);

ProcessRun runProcess(std::vector<std::string> args, std::chrono::milliseconds limit,
                      const std::function<bool()>& signalWhen = {}, int signal = 0);

}  // namespace tamsel::testing
