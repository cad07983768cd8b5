#pragma once

#include "http_client.h"
#include "scripted_server.h"

#include <chrono>
#include <string>

namespace tamsel::testing {

// Short enough to keep the suite fast, long enough that a server thread a loaded machine holds
// back is not taken for a silent one.
inline constexpr int HostileReadTimeoutMs = 1000;

// Catches a hang, never a slow machine: a wait that should not have happened shows in the outcome
// itself (a read timeout, or a status failure's body waited for), so time only bounds the rest.
inline constexpr auto HangBound = std::chrono::seconds(10);

struct Outcome {
    std::string output;
    bool failed = false;
    std::string failure;     // the message when failed
    int statusCode = 0;      // of a status failure
    std::string errorText;   // of a status failure
    std::chrono::milliseconds elapsed{0};
};

// One Get on `client`, with every failure caught and timed.
inline Outcome fetch(net::HttpClient& client, const std::string& url)
{
    Outcome outcome;
    const auto start = std::chrono::steady_clock::now();
    try {
        client.Get(url, outcome.output);
    } catch (const net::HttpStatusError& error) {
        outcome.failed = true;
        outcome.failure = error.what();
        outcome.statusCode = error.code();
        outcome.errorText = error.errorText();
    } catch (const net::HttpError& error) {
        outcome.failed = true;
        outcome.failure = error.what();
    }
    outcome.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    return outcome;
}

inline Outcome fetch(const std::string& url)
{
    net::HttpClient client;
    client.HandleRedirects = true;
    client.ReadTimeout = HostileReadTimeoutMs;
    return fetch(client, url);
}

// The request line of a request the server received.
inline std::string requestLine(const std::string& request)
{
    return request.substr(0, request.find("\r\n"));
}

}  // namespace tamsel::testing
