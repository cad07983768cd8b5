#pragma once

#include <string>
#include <vector>

namespace tamsel::cli {

// Each command takes the arguments after its name and returns the exit code.
int getCommand(const std::vector<std::string>& args);
int postCommand(const std::vector<std::string>& args);
int detectCommand(const std::vector<std::string>& args);
int historyCommand(const std::vector<std::string>& args);
int watchCommand(const std::vector<std::string>& args);

}  // namespace tamsel::cli
