#include "commands.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

struct Command {
    const char* name;
    const char* synopsis;
    int (*run)(const std::vector<std::string>& args);
};

const Command Commands[] = {
    {"get", "get  [--user-agent TEXT] [--timeout MS] [--no-redirects] URL", tamsel::cli::getCommand},
    {"post", "post [--user-agent TEXT] [--timeout MS] [--no-redirects] URL NAME=VALUE...", tamsel::cli::postCommand},
    {"detect", "detect [--search-host HOST[:PORT]] [--progress] [--save] SELLER_ID", tamsel::cli::detectCommand},
    {"history", "history [SELLER_ID] | show ID | diff [ID_OLD] ID_NEW | export ID --csv DIR | items SELLER_ID",
     tamsel::cli::historyCommand},
    {"watch", "watch add SELLER_ID... | remove SELLER_ID... | list | run [--search-host HOST[:PORT]] [--pause SECONDS] "
              "[--notify] [--progress]",
     tamsel::cli::watchCommand},
};

void printHelp()
{
    std::cout << "usage: tamsel-cli COMMAND ARGUMENT...\n"
                 "       tamsel-cli --help | --version\n\n"
                 "commands:\n";
    for (const Command& command : Commands)
        std::cout << "  " << command.synopsis << "\n";
    std::cout << "\nget and post write the answer body to standard output; detect prints the three result grids;\n"
                 "history lists, shows, compares and exports the stored runs; watch runs a list of shops in turn.\n"
                 "See tamsel-cli(1) for the options and exit statuses.\n";
}

int usageError(const std::string& problem)
{
    std::cerr << "tamsel-cli: " << problem << " (see tamsel-cli --help)\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usageError("missing command");
    const std::string first = argv[1];
    if (first == "--help" || first == "-h") {
        printHelp();
        return 0;
    }
    if (first == "--version") {
        std::cout << "tamsel-cli " << TAMSEL_VERSION << "\n";  // set by the build from the project version
        return 0;
    }
    if (first.starts_with("-"))
        return usageError("unknown option " + first);
    for (const Command& command : Commands) {
        if (first == command.name)
            return command.run(std::vector<std::string>(argv + 2, argv + argc));
    }
    return usageError("unknown command " + first);
}
