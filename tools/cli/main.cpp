#include "commands.h"

#include <cstring>
#include <iostream>

namespace {

struct Command {
    const char* name;
    int (*run)(const std::vector<std::string>& args);
};

const Command Commands[] = {
    {"get", tamsel::cli::getCommand},
    {"post", tamsel::cli::postCommand},
    {"detect", tamsel::cli::detectCommand},
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 2) {
        for (const Command& command : Commands) {
            if (std::strcmp(argv[1], command.name) == 0)
                return command.run(std::vector<std::string>(argv + 2, argv + argc));
        }
    }
    std::cerr << "usage: tamsel-cli COMMAND ...\ncommands:";
    for (const Command& command : Commands)
        std::cerr << " " << command.name;
    std::cerr << "\n";
    return 2;
}
