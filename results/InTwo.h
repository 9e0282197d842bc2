// Two pieces of work at once: the large tables are cut and sorted in halves on the two cores a customer's
// machine has at least.
#pragma once
#include <system_error>
#include <thread>

namespace kw {

// Runs `first` on a thread of its own and `second` on this one, and returns when both are done; one after
// the other where no thread can be had.
template <class First, class Second> void inTwo(First first, Second second) {
    std::thread other;
    try {
        other = std::thread(first);
    } catch (const std::system_error&) {
        first();
    }
    second();
    if (other.joinable())
        other.join();
}

} // namespace kw
