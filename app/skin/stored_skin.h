#pragma once

#include <cstddef>

namespace tamsel::app {

// The skin compiled into the program: one zlib stream (see skin_pack.cpp for the container).
extern const unsigned char storedSkin[];
extern const std::size_t storedSkinSize;

}  // namespace tamsel::app
