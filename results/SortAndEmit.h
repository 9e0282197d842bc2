// Sorts a table's packed sort keys and hands them on in order: a large table is sorted in two halves
// at once (one on a second thread) and merged on the way out.
#pragma once
#include <algorithm>
#include <cstddef>
#include <vector>

#include "results/InTwo.h"

namespace kw {

// Sorts `items` (by a total order) and hands them to `emit` in that order.
template <class T, class Less, class Emit> void sortAndEmit(std::vector<T>& items, Less less, Emit emit) {
    if (items.size() < 20000) {
        std::sort(items.begin(), items.end(), less);
        for (const T& item : items)
            emit(item);
        return;
    }
    auto mid = items.begin() + static_cast<std::ptrdiff_t>(items.size() / 2);
    inTwo([&] { std::sort(items.begin(), mid, less); }, [&] { std::sort(mid, items.end(), less); });
    auto a = items.begin(), b = mid;
    while (a != mid && b != items.end())
        emit(less(*b, *a) ? *b++ : *a++);
    for (; a != mid; ++a)
        emit(*a);
    for (; b != items.end(); ++b)
        emit(*b);
}

} // namespace kw
