// Every piece of each haystack whose length some needle has is looked up by its rolling hash in a table
// of the needles, and a hit is confirmed character by character: exact, and linear in the haystacks'
// length times the number of needle lengths (file names are short).
#include "results/TextContainment.h"

#include <algorithm>

namespace kw {
namespace {

constexpr uint64_t kBase = 0x100000001B3ull; // odd, so that no power of it is 0 modulo 2^64
constexpr uint32_t kEmptySlot = UINT32_MAX;

uint64_t hashOf(std::wstring_view text) {
    uint64_t h = 0;
    for (wchar_t c : text)
        h = h * kBase + static_cast<uint16_t>(c);
    return h;
}

// The needles by hash: open addressing, linear probing. A bit per pair of first and last character
// turns most pieces away before their hash is looked up.
class NeedleTable {
  public:
    explicit NeedleTable(std::span<const std::wstring_view> needles)
        : needles_(needles), ends_(kEndBits / 64) {
        for (std::wstring_view n : needles)
            if (!n.empty()) {
                size_t bit = endBit(n.front(), n.back());
                ends_[bit / 64] |= uint64_t{1} << (bit % 64);
            }
        while ((size_t{1} << bits_) < needles.size() * 2 + 1)
            ++bits_;
        slots_.assign(size_t{1} << bits_, kEmptySlot);
        hashes_.resize(needles.size());
        for (size_t k = 0; k < needles.size(); ++k) {
            hashes_[k] = hashOf(needles[k]);
            size_t s = slotOf(hashes_[k]);
            while (slots_[s] != kEmptySlot)
                s = (s + 1) & mask();
            slots_[s] = static_cast<uint32_t>(k);
        }
    }

    bool mayHold(wchar_t first, wchar_t last) const {
        size_t bit = endBit(first, last);
        return (ends_[bit / 64] >> (bit % 64)) & 1;
    }

    // Calls found(k) for every needle k equal to `piece`, whose hash is `hash`.
    template <class Found> void lookUp(std::wstring_view piece, uint64_t hash, Found&& found) const {
        for (size_t s = slotOf(hash); slots_[s] != kEmptySlot; s = (s + 1) & mask()) {
            uint32_t k = slots_[s];
            if (hashes_[k] == hash && needles_[k] == piece)
                found(k);
        }
    }

  private:
    size_t mask() const { return (size_t{1} << bits_) - 1; }
    size_t slotOf(uint64_t hash) const {
        return static_cast<size_t>((hash * 0x9E3779B97F4A7C15ull) >> (64 - bits_));
    }

    static constexpr size_t kEndBits = 65536;
    static size_t endBit(wchar_t first, wchar_t last) {
        return (static_cast<size_t>(static_cast<uint16_t>(first)) * 40503u ^ static_cast<uint16_t>(last)) %
               kEndBits;
    }

    std::span<const std::wstring_view> needles_;
    std::vector<uint64_t> ends_;
    unsigned bits_ = 1;
    std::vector<uint32_t> slots_;
    std::vector<uint64_t> hashes_;
};

} // namespace

std::vector<std::vector<uint32_t>> haystacksHolding(std::span<const std::wstring_view> needles,
                                                    std::span<const std::wstring_view> haystacks) {
    std::vector<std::vector<uint32_t>> holding(needles.size());
    std::vector<size_t> lengths;
    for (size_t k = 0; k < needles.size(); ++k) {
        if (needles[k].empty()) {
            for (size_t j = 0; j < haystacks.size(); ++j)
                holding[k].push_back(static_cast<uint32_t>(j));
        } else {
            lengths.push_back(needles[k].size());
        }
    }
    if (lengths.empty())
        return holding;
    std::sort(lengths.begin(), lengths.end());
    lengths.erase(std::unique(lengths.begin(), lengths.end()), lengths.end());

    size_t longest = 0;
    for (std::wstring_view h : haystacks)
        longest = std::max(longest, h.size());
    std::vector<uint64_t> powers(std::max(longest, lengths.back()) + 1, 1);
    for (size_t p = 1; p < powers.size(); ++p)
        powers[p] = powers[p - 1] * kBase;

    NeedleTable table(needles);
    std::vector<uint32_t> lastHaystack(needles.size(), kEmptySlot);
    std::vector<uint64_t> prefix;
    for (size_t j = 0; j < haystacks.size(); ++j) {
        std::wstring_view hay = haystacks[j];
        prefix.assign(1, 0);
        for (wchar_t c : hay)
            prefix.push_back(prefix.back() * kBase + static_cast<uint16_t>(c));
        for (size_t length : lengths) {
            if (length > hay.size())
                break;
            for (size_t at = 0; at + length <= hay.size(); ++at) {
                if (!table.mayHold(hay[at], hay[at + length - 1]))
                    continue;
                uint64_t hash = prefix[at + length] - prefix[at] * powers[length];
                table.lookUp(hay.substr(at, length), hash, [&](uint32_t k) {
                    // A needle found twice in one haystack is listed once.
                    if (lastHaystack[k] != j) {
                        lastHaystack[k] = static_cast<uint32_t>(j);
                        holding[k].push_back(static_cast<uint32_t>(j));
                    }
                });
            }
        }
    }
    return holding;
}

bool holds(std::wstring_view hay, std::wstring_view needle) {
    if (needle.size() > hay.size())
        return false;
    if (needle.empty())
        return true;
    // A plain loop: the library's search calls into the C runtime for every character.
    const size_t last = hay.size() - needle.size();
    const wchar_t first = needle[0];
    for (size_t at = 0; at <= last; ++at) {
        if (hay[at] != first)
            continue;
        size_t k = 1;
        while (k < needle.size() && hay[at + k] == needle[k])
            ++k;
        if (k == needle.size())
            return true;
    }
    return false;
}

} // namespace kw
