#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace tamsel::testing {

struct ProcessRun {
    int exitCode = -1;  // -1: killed or not started
    std::string out;
    std::string err;
};

// Runs a program (args[0] is its path) and collects its output; kills it after `limit`.
ProcessRun runProcess(std::vector<std::string> args, std::chrono::milliseconds limit);

}  // namespace tamsel::testing
