#include "body_sink.h"

#include "http_error.h"

#include <algorithm>

namespace tamsel::net {

namespace {

constexpr std::size_t ReserveLimit = std::size_t{1} << 20;

}  // namespace

void BodySink::append(std::string_view bytes)
{
    if (bytes.size() > MaxBodySize - taken_)
        throw HttpError(BodyTooLarge);
    taken_ += bytes.size();
    if (text_)
        text_->append(bytes);
    else
        (*consumer_)(bytes);
}

void BodySink::expect(std::size_t size)
{
    if (text_)
        text_->reserve(text_->size() + std::min(size, ReserveLimit));
}

}  // namespace tamsel::net
