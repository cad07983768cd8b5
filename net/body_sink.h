#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tamsel::net {

// A server is untrusted: no answer body may make the client take more than this.
inline constexpr std::size_t MaxBodySize = std::size_t{64} << 20;
inline constexpr const char* BodyTooLarge = "Response body larger than 64 MiB.";

using BodyConsumer = std::function<void(std::string_view bytes)>;

// Where the bytes of a body go: appended to a text, or handed on piece by piece as they
// arrive. Fails with BodyTooLarge, taking nothing of the piece, once the body would pass
// MaxBodySize.
class BodySink {
public:
    explicit BodySink(std::string& text) : text_(&text) {}
    explicit BodySink(const BodyConsumer& consumer) : consumer_(&consumer) {}

    void append(std::string_view bytes);
    // Room for a body of the announced size, up to a modest amount: the announcement may lie.
    void expect(std::size_t size);
    // Bytes taken so far.
    std::size_t size() const { return taken_; }

private:
    std::string* text_ = nullptr;
    const BodyConsumer* consumer_ = nullptr;
    std::size_t taken_ = 0;
};

}  // namespace tamsel::net
