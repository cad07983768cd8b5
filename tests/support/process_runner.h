#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace tamsel::testing {

struct ProcessRun {
    int exitCode = -1;  // -1: killed or not started
    std::string out;
    std::string err;
};

// Runs a program (args[0] is its path) and collects its output; kills it after `limit`.
// Once `signalWhen` holds (polled while the program runs), it is sent `signal`, once.
// A program's output split at its line ends.
std::vector<std::string> outputLines(const std::string& text);

ProcessRun runProcess(std::vector<std::string> args, std::chrono::milliseconds limit,
                      const std::function<bool()>& signalWhen = {}, int signal = 0);

}  // namespace tamsel::testing
