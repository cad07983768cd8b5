// market-sim: the marketplace's search host and the maker's web site on 127.0.0.1,
// so that Tamsel runs and is tested without the internet.

#include "market_simulator.h"

#include <csignal>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>

namespace {

// The build names the program: market-sim in the build tree, tamsel-market-sim once installed.
constexpr const char* Name = TAMSEL_SIM_NAME;

void printHelp()
{
    std::cout << "usage: " << Name << " [--port N] [--version-text TEXT] [--stall-ms N] [--fail-sales-page N]\n"
              << "       " << Name << " --help | --version\n"
                 "  --port N             port on 127.0.0.1 (default 0: the system picks one)\n"
                 "  --version-text TEXT  answer of /quorl/v.php (default 1.09)\n"
                 "  --stall-ms N         how long the stalling page of fault-stall stalls (default 12000)\n"
                 "  --fail-sales-page N  page N of every shop's sales order answers 500\n"
                 "Logs one line per request on standard output; SIGINT or SIGTERM stops it.\n";
}

int usageError(const std::string& problem)
{
    std::cerr << Name << ": " << problem << " (see " << Name << " --help)\n";
    return EXIT_FAILURE;
}

bool parseNumber(std::string_view text, long max, long& value)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    value = std::stol(std::string(text));
    return value <= max;
}

}  // namespace

int main(int argc, char** argv)
{
    tamsel::sim::MarketSimulatorOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        long number = 0;
        if (arg == "--port" && hasValue && parseNumber(argv[i + 1], 65535, number)) {
            options.port = static_cast<int>(number);
        } else if (arg == "--version-text" && hasValue) {
            options.versionText = argv[i + 1];
        } else if (arg == "--stall-ms" && hasValue && parseNumber(argv[i + 1], 3600000, number)) {
            options.stallDuration = std::chrono::milliseconds(number);
        } else if (arg == "--fail-sales-page" && hasValue && parseNumber(argv[i + 1], 1000, number) && number > 0) {
            options.failingSalesOrderPage = static_cast<int>(number);
        } else if (arg == "--help") {
            printHelp();
            return EXIT_SUCCESS;
        } else if (arg == "--version") {
            std::cout << Name << " " << TAMSEL_VERSION << "\n";
            return EXIT_SUCCESS;
        } else if (arg == "--port" || arg == "--version-text" || arg == "--stall-ms" || arg == "--fail-sales-page") {
            return usageError(hasValue ? "bad value for " + std::string(arg) + ": " + argv[i + 1]
                                       : std::string(arg) + " needs a value");
        } else {
            return usageError("unknown option " + std::string(arg));
        }
        ++i;
    }
    options.onRequest = [](const std::string& line) { std::cout << line << std::endl; };

    // Block the stop signals before the server threads exist, so that they all inherit
    // the mask and only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    tamsel::sim::MarketSimulator simulator(options);
    try {
        const int port = simulator.start();
        std::cout << "market-sim listening on http://127.0.0.1:" << port << "/" << std::endl;
    } catch (const std::exception& error) {
        std::cerr << "market-sim: " << error.what() << "\n";
        return EXIT_FAILURE;
    }
    int received = 0;
    sigwait(&stopSignals, &received);
    std::cout << "market-sim stopping (" << (received == SIGINT ? "SIGINT" : "SIGTERM") << ")" << std::endl;
    simulator.stop();
    return EXIT_SUCCESS;
}
