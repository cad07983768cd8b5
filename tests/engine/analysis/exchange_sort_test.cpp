#include "exchange_sort.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <string>
#include <utility>

using namespace tamsel;

namespace {

// The sort as its double loop, keys swapped one by one.
std::vector<size_t> plainExchangeSort(std::vector<double> keys)
{
    std::vector<size_t> order(keys.size());
    std::iota(order.begin(), order.end(), size_t{0});
    for (size_t i = 0; i < keys.size(); ++i) {
        for (size_t j = i + 1; j < keys.size(); ++j) {
            if (keys[j] > keys[i]) {
                std::swap(keys[i], keys[j]);
                std::swap(order[i], order[j]);
            }
        }
    }
    return order;
}

struct Shape {
    const char* name;
    double (*key)(std::mt19937& random, size_t place, size_t count);
};

const Shape shapes[] = {
    {"few values", [](std::mt19937& random, size_t, size_t) { return double(random() % 5); }},
    {"zero of both signs", [](std::mt19937& random, size_t, size_t) { return random() % 2 ? 0.0 : -0.0; }},
    {"fractions", [](std::mt19937& random, size_t, size_t) { return double(random() % 9) / 4 - 1; }},
    {"many values", [](std::mt19937& random, size_t, size_t) { return double(random() % 1000) - 500; }},
    {"rising", [](std::mt19937&, size_t place, size_t) { return double(place / 3); }},
    {"falling", [](std::mt19937&, size_t place, size_t count) { return double(count - place / 2); }},
    {"all equal", [](std::mt19937&, size_t, size_t) { return 7.0; }},
    {"falling with noise", [](std::mt19937& random, size_t place, size_t count) {
         return double(count - place) + double(random() % 40);
     }},
};

}  // namespace

// Every shape at several sizes: the same order as the double loop, equal keys included.
TEST(ExchangeSortOrder, LeavesTheOrderOfTheDoubleLoop)
{
    std::mt19937 random(5);
    for (const size_t count : {0, 1, 2, 3, 10, 64, 517}) {
        for (const Shape& shape : shapes) {
            std::vector<double> keys;
            for (size_t place = 0; place < count; ++place)
                keys.push_back(shape.key(random, place, count));
            SCOPED_TRACE(std::string(shape.name) + ", " + std::to_string(count) + " keys");
            EXPECT_EQ(ExchangeSortOrder(keys), plainExchangeSort(keys));
        }
    }
}
