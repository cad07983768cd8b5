#include "axis_scale.h"

#include <algorithm>

namespace tamsel {

int32_t RoundStep(double span, int maxIntervals)
{
    const double wanted = span / std::max(maxIntervals, 1);
    for (int32_t power = 1; power <= 100'000'000; power *= 10) {
        for (const int32_t mantissa : {1, 2, 5}) {
            if (mantissa * power >= wanted)
                return mantissa * power;
        }
    }
    return 1'000'000'000;  // an axis zoomed out that far has nothing left to read
}

AxisScale FittedScale(int32_t largest, int maxIntervals)
{
    const int32_t step = RoundStep(largest, maxIntervals);
    const int64_t ticks = (static_cast<int64_t>(std::max(largest, 0)) + step - 1) / step;
    return {static_cast<int32_t>(std::max<int64_t>(ticks, 1) * step), step};
}

}  // namespace tamsel
