#include "operation.h"

#include <cstdio>
#include <iostream>

namespace tamsel::cli {

namespace {

void writeOutput(const std::string& output)
{
    std::fwrite(output.data(), 1, output.size(), stdout);
    std::fflush(stdout);
}

}  // namespace

int runOperation(const RequestOptions& options, const std::function<void(net::HttpClient&, std::string&)>& operation)
{
    net::HttpClient client;
    client.UserAgent = options.userAgent;
    client.ReadTimeout = options.timeoutMs;
    client.HandleRedirects = options.followRedirects;
    std::string output;
    try {
        operation(client, output);
    } catch (const net::HttpStatusError& error) {
        writeOutput(output);
        std::cerr << "error: " << error.what() << "\nstatus: " << error.code() << "\n";
        return 1;
    } catch (const net::HttpError& error) {
        writeOutput(output);
        std::cerr << "error: " << error.what() << "\n";
        return 1;
    }
    writeOutput(output);
    return 0;
}

}  // namespace tamsel::cli
