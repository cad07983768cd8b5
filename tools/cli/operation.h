#pragma once

#include "http_client.h"
#include "request_options.h"

#include <functional>

namespace tamsel::cli {

// Runs one operation on a fresh client set up from the options. The output text goes to stdout
// byte for byte, also after a failure; a failure goes to stderr and makes the exit code 1.
int runOperation(const RequestOptions& options, const std::function<void(net::HttpClient&, std::string&)>& operation);

}  // namespace tamsel::cli
