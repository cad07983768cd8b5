#pragma once

#include <cstddef>
#include <vector>

namespace tamsel {

// The order the exchange sort leaves keys in when a strictly greater key takes the place of a
// smaller one: for each place i in turn, every later key j greater than the key then at i swaps
// places with it. Returns the keys' first places, by final place. No key is NaN.
//
// The sort's swaps grow with the square of the count; its result does not need them. The keys
// come out greatest first, and how the keys of one value end up among themselves depends only
// on where the greater keys lie between them: a sweep carries the first key it meets of a value
// past that value's next keys to the place of the first greater key after them. So the keys of
// each value, taken in the order they stand, rotate by one for every greater key in between.
std::vector<size_t> ExchangeSortOrder(const std::vector<double>& keys);

}  // namespace tamsel
