#pragma once

#include <cstdint>

namespace tamsel {

// An axis of whole numbers from 0 to `end`, a tick at every multiple of `step`.
struct AxisScale {
    int32_t end = 0;
    int32_t step = 1;
};

// The smallest of 1, 2, 5, 10, 20, 50, ... that cuts `span` into at most `maxIntervals` pieces:
// ticks on such steps read as round numbers. Never below 1, as ranks are whole.
int32_t RoundStep(double span, int maxIntervals);

// An axis from 0 that reaches `largest` and ends on a tick, with at most `maxIntervals` ticks' spaces.
AxisScale FittedScale(int32_t largest, int maxIntervals);

}  // namespace tamsel
