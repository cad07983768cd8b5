#pragma once

#include "http_client.h"
#include "request_options.h"

#include <functional>

namespace tamsel::cli {

// Runs one operation on a fresh client set up from the options. The body goes to stdout byte
// for byte as it arrives, so after a failure stdout holds what arrived; the failure goes to
// stderr and makes the exit code 1.
int runOperation(const RequestOptions& options,
                 const std::function<void(net::HttpClient&, const net::BodyConsumer&)>& operation);

}  // namespace tamsel::cli
