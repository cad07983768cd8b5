#include "operation.h"

#include <cstdio>
#include <iostream>

namespace tamsel::cli {

int runOperation(const RequestOptions& options,
                 const std::function<void(net::HttpClient&, const net::BodyConsumer&)>& operation)
{
    net::HttpClient client;
    client.UserAgent = options.userAgent;
    client.ReadTimeout = options.timeoutMs;
    client.HandleRedirects = options.followRedirects;
    const net::BodyConsumer toStdout = [](std::string_view bytes) {
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    };
    try {
        operation(client, toStdout);
    } catch (const net::HttpStatusError& error) {
        std::fflush(stdout);
        std::cerr << "error: " << error.what() << "\nstatus: " << error.code() << "\n";
        return 1;
    } catch (const net::HttpError& error) {
        std::fflush(stdout);
        std::cerr << "error: " << error.what() << "\n";
        return 1;
    }
    std::fflush(stdout);
    // The client takes a body that ends at a close before its Content-Length; the bytes that
    // came are written, but the exchange did not succeed.
    if (client.bodyCutShort()) {
        std::cerr << "error: the answer ended before its Content-Length\n";
        return 1;
    }
    return 0;
}

}  // namespace tamsel::cli
