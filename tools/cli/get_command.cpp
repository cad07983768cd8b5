#include "commands.h"
#include "operation.h"

#include <iostream>

namespace tamsel::cli {

int getCommand(const std::vector<std::string>& args)
{
    const auto options = parseRequestOptions(args);
    if (!options || options->operands.size() != 1) {
        std::cerr << "usage: tamsel-cli get [--user-agent TEXT] [--timeout MS] [--no-redirects] URL\n";
        return 1;
    }
    return runOperation(*options, [&](net::HttpClient& client, const net::BodyConsumer& output) {
        client.Get(options->operands[0], output);
    });
}

}  // namespace tamsel::cli
