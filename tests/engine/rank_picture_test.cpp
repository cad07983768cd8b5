#include "axis_scale.h"

#include <gtest/gtest.h>

using namespace tamsel;

TEST(RoundStep, IsOneTwoOrFiveTimesAPowerOfTenAndNeverBelowOne)
{
    struct Case {
        double span;
        int32_t step;
    };
    const Case cases[] = {{130, 20}, {200, 20}, {201, 50}, {1500, 200}, {4800, 500}, {4801, 500},
                          {10, 1},   {11, 2},   {37, 5},   {3.5, 1},    {0, 1},      {1e12, 1'000'000'000}};
    for (const Case& c : cases)
        EXPECT_EQ(RoundStep(c.span, 10), c.step) << c.span;
}

TEST(FittedScale, EndsOnTheFirstTickAtOrPastTheLargest)
{
    struct Case {
        int32_t largest;
        int32_t end;
        int32_t step;
    };
    const Case cases[] = {{130, 140, 20},   {200, 200, 20}, {201, 250, 50}, {1500, 1600, 200},
                          {4800, 5000, 500}, {10, 10, 1},    {11, 12, 2},    {0, 1, 1}};
    for (const Case& c : cases) {
        const AxisScale scale = FittedScale(c.largest, 10);
        EXPECT_EQ(scale.end, c.end) << c.largest;
        EXPECT_EQ(scale.step, c.step) << c.largest;
    }
}
