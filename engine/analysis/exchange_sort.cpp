#include "exchange_sort.h"

#include <algorithm>
#include <numeric>

namespace tamsel {
namespace {

// Counts of marked places, by ranges of places.
class PlaceCounts {
public:
    explicit PlaceCounts(size_t count) : tree_(count + 1, 0) {}

    void mark(size_t place)
    {
        for (size_t node = place + 1; node < tree_.size(); node += node & (~node + 1))
            ++tree_[node];
    }

    // Marked places in [from, to).
    size_t between(size_t from, size_t to) const { return before(to) - before(from); }

private:
    size_t before(size_t end) const
    {
        size_t count = 0;
        for (size_t node = end; node > 0; node -= node & (~node + 1))
            count += tree_[node];
        return count;
    }

    std::vector<size_t> tree_;
};

}  // namespace

std::vector<size_t> ExchangeSortOrder(const std::vector<double>& keys)
{
    const size_t count = keys.size();
    std::vector<size_t> byValue(count);
    std::iota(byValue.begin(), byValue.end(), size_t{0});
    std::stable_sort(byValue.begin(), byValue.end(), [&keys](size_t a, size_t b) { return keys[a] > keys[b]; });

    std::vector<size_t> order;
    order.reserve(count);
    PlaceCounts greater(count);  // the places of the values done so far, all greater
    std::vector<size_t> sameValue;
    for (size_t first = 0; first < count;) {
        size_t end = first;
        while (end < count && keys[byValue[end]] == keys[byValue[first]])
            ++end;
        // The places of this value in order; each greater key before the next one rotates those
        // gathered so far by one.
        sameValue.clear();
        size_t from = 0;
        const auto rotateBy = [&sameValue](size_t steps) {
            if (!sameValue.empty())
                std::rotate(sameValue.begin(), sameValue.begin() + static_cast<std::ptrdiff_t>(steps % sameValue.size()),
                            sameValue.end());
        };
        for (size_t k = first; k < end; ++k) {
            const size_t place = byValue[k];
            rotateBy(greater.between(from, place));
            sameValue.push_back(place);
            from = place + 1;
        }
        rotateBy(greater.between(from, count));
        order.insert(order.end(), sameValue.begin(), sameValue.end());
        for (size_t k = first; k < end; ++k)
            greater.mark(byValue[k]);
        first = end;
    }
    return order;
}

}  // namespace tamsel
