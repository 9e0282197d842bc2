// Sorts a table's packed sort keys and hands them on in order: a large table is sorted in two halves
// at once (one on a second thread) and merged on the way out.
#pragma once
#include <algorithm>
#include <cstddef>
#include <system_error>
#include <thread>
#include <vector>

namespace kw {

// Sorts `items` (by a total order) and hands them to `emit` in that order.
template <class T, class Less, class Emit> void sortAndEmit(std::vector<T>& items, Less less, Emit emit) {
    auto mid = items.begin() + static_cast<std::ptrdiff_t>(items.size() / 2);
    bool halves = false;
    if (items.size() >= 20000) {
        try {
            std::thread half([&] { std::sort(items.begin(), mid, less); });
            std::sort(mid, items.end(), less);
            half.join();
            halves = true;
        } catch (const std::system_error&) {
            // no second thread: sorted whole below
        }
    }
    if (!halves) {
        std::sort(items.begin(), items.end(), less);
        for (const T& item : items)
            emit(item);
        return;
    }
    auto a = items.begin(), b = mid;
    while (a != mid && b != items.end())
        emit(less(*b, *a) ? *b++ : *a++);
    for (; a != mid; ++a)
        emit(*a);
    for (; b != items.end(); ++b)
        emit(*b);
}

} // namespace kw
