// The walk that both comparisons share. Deleting matched lines and rescanning side 2 from its top for
// every side-1 line costs the product of the two lengths; the same result comes from marking matched
// side-2 entries as taken and, for each side-1 entry, looking only at the side-2 entries that could be
// its partner, in position order, from where the search begins.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "results/Comparison.h"

namespace kw {

inline constexpr size_t kNoPartner = static_cast<size_t>(-1);

// Counts the steps of a comparison and asks the stop poll at the first one and every few thousand
// after; once it has said stop, every further step says so too.
class StopCheck {
  public:
    explicit StopCheck(const StopPoll& poll) : poll_(poll) {}
    bool step() {
        if (!stopped_ && steps_++ % kStepsPerPoll == 0 && poll_)
            stopped_ = poll_();
        return stopped_;
    }
    bool stopped() const { return stopped_; }

  private:
    static constexpr size_t kStepsPerPoll = 4096;
    const StopPoll& poll_;
    size_t steps_ = 0;
    bool stopped_ = false;
};

// The side-2 positions (ascending) that may partner some side-1 entries, with a skip over the ones
// taken meanwhile, so that a taken run is crossed once, not at every search.
class PartnerList {
  public:
    void add(uint32_t position) {
        positions_.push_back(position);
        skip_.push_back(static_cast<uint32_t>(skip_.size()));
    }
    const std::vector<uint32_t>& positions() const { return positions_; }

    // The first position at or after `from`, not taken, that `accepts`; kNoPartner when there is
    // none or when the comparison was stopped on the way.
    // `seen` gets the last position tried.
    template <class Accepts>
    size_t firstPartner(size_t from, const std::vector<char>& taken, StopCheck& check, Accepts&& accepts,
                        size_t* seen = nullptr) {
        size_t k = static_cast<size_t>(std::lower_bound(positions_.begin(), positions_.end(), from) -
                                       positions_.begin());
        for (k = untakenFrom(k, taken); k < positions_.size(); k = untakenFrom(k + 1, taken)) {
            if (check.step())
                return kNoPartner;
            if (seen)
                *seen = positions_[k];
            if (accepts(positions_[k]))
                return positions_[k];
        }
        return kNoPartner;
    }

  private:
    // skip_[k] > k says that every entry from k up to skip_[k] is taken.
    size_t untakenFrom(size_t k, const std::vector<char>& taken) {
        size_t end = k;
        while (end < positions_.size() && taken[positions_[end]])
            end = std::max<size_t>(skip_[end], end + 1);
        for (size_t at = k; at < end && at < positions_.size();) {
            size_t next = std::max<size_t>(skip_[at], at + 1);
            skip_[at] = static_cast<uint32_t>(end);
            at = next;
        }
        return end;
    }

    std::vector<uint32_t> positions_;
    std::vector<uint32_t> skip_;
};

// Side-1 entries in order, each given the first partner `findPartner(i, from, taken2, check, tried)`
// finds from position `from` of side 2 (`tried`: the last side-2 position it looked at, if any). The
// search begins at side 2's top, but right after a match only below the matched entry: an entry whose
// partner lies above it stays.
template <class FindPartner>
Leftovers walkSides(size_t count1, size_t count2, const StopPoll& stop, FindPartner&& findPartner) {
    StopCheck check(stop);
    std::vector<char> taken1(count1), taken2(count2);
    // When each side-2 entry was taken (the number of matches then), for where the last one looked at
    // stood among the entries left at that moment.
    std::vector<uint32_t> takenAt(count2);
    uint32_t matches = 0, matchesThen = 0;
    size_t lastTried = kNoPartner;
    size_t from = 0;
    for (size_t i = 0; i < count1; ++i) {
        if (check.step())
            break;
        size_t tried = kNoPartner;
        size_t partner = findPartner(i, from, static_cast<const std::vector<char>&>(taken2), check, tried);
        if (check.stopped())
            break;
        if (tried != kNoPartner)
            lastTried = tried, matchesThen = matches;
        if (partner == kNoPartner) {
            from = 0;
            continue;
        }
        taken1[i] = taken2[partner] = 1;
        takenAt[partner] = ++matches;
        from = partner + 1;
    }
    Leftovers left;
    left.stopped = check.stopped();
    if (lastTried != kNoPartner) {
        size_t above = 0;
        for (size_t j = 0; j < lastTried; ++j)
            above += takenAt[j] != 0 && takenAt[j] <= matchesThen;
        left.lastTried2 = lastTried - above;
    }
    for (size_t i = 0; i < count1; ++i)
        if (!taken1[i])
            left.side1.push_back(i);
    for (size_t j = 0; j < count2; ++j)
        if (!taken2[j])
            left.side2.push_back(j);
    return left;
}

} // namespace kw
