#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamsel::fuzz {

// The fuzz input as a few leading bytes of choices followed by texts cut at a separator.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

    // The next byte, 0 once the input is used up.
    std::uint8_t byte()
    {
        if (rest_.empty())
            return 0;
        const auto value = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return value;
    }

    std::uint16_t twoBytes() { return static_cast<std::uint16_t>(byte() << 8 | byte()); }

    // What is left, cut at every `separator` (at most `most` texts; the last one takes the rest).
    std::vector<std::string> texts(std::string_view separator, std::size_t most)
    {
        std::vector<std::string> found;
        while (found.size() + 1 < most) {
            const std::size_t at = rest_.find(separator);
            if (at == std::string_view::npos)
                break;
            found.emplace_back(rest_.substr(0, at));
            rest_.remove_prefix(at + separator.size());
        }
        found.emplace_back(rest_);
        rest_ = {};
        return found;
    }

private:
    std::string_view rest_;
};

// A property the code under test promised and broke: abort so the fuzzer keeps the input.
inline void require(bool holds)
{
    if (!holds)
        __builtin_trap();
}

}  // namespace tamsel::fuzz
