#include "request_options.h"

#include <charconv>
#include <iostream>

namespace tamsel::cli {

std::optional<RequestOptions> parseRequestOptions(const std::vector<std::string>& args)
{
    RequestOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--no-redirects") {
            options.followRedirects = false;
        } else if (arg == "--user-agent" && hasValue) {
            options.userAgent = args[++i];
        } else if (arg == "--timeout" && hasValue) {
            const std::string& value = args[++i];
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), options.timeoutMs);
            if (error != std::errc() || end != value.data() + value.size() || options.timeoutMs < 0) {
                std::cerr << "error: --timeout takes milliseconds, not '" << value << "'\n";
                return std::nullopt;
            }
        } else if (arg.starts_with("--")) {
            std::cerr << "error: unknown or incomplete option " << arg << "\n";
            return std::nullopt;
        } else {
            options.operands.push_back(arg);
        }
    }
    return options;
}

}  // namespace tamsel::cli
