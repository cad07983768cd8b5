#include "commands.h"
#include "operation.h"

#include <iostream>

namespace tamsel::cli {

int postCommand(const std::vector<std::string>& args)
{
    const auto options = parseRequestOptions(args);
    if (!options || options->operands.size() < 2) {
        std::cerr << "usage: tamsel-cli post [--user-agent TEXT] [--timeout MS] [--no-redirects] URL NAME=VALUE...\n";
        return 1;
    }
    const std::vector<std::string> form(options->operands.begin() + 1, options->operands.end());
    return runOperation(*options, [&](net::HttpClient& client, const net::BodyConsumer& output) {
        client.Post(options->operands[0], form, output);
    });
}

}  // namespace tamsel::cli
