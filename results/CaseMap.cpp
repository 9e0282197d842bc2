// The locale lowers a text one unit at a time, except perhaps where two units make one character
// (a surrogate pair): texts with those are handed to it whole.
#include "results/CaseMap.h"

#include <algorithm>
#include <numeric>

#include "results/LocaleText.h"

namespace kw {
namespace {

bool isSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}
bool hasSurrogates(std::wstring_view t) {
    return std::any_of(t.begin(), t.end(), isSurrogate);
}

} // namespace

LowerCaseMap::LowerCaseMap() {
    std::wstring every(65536, L'\0');
    std::iota(every.begin(), every.end(), L'\0');
    // Units that only stand in pairs are never looked up; apart, they cannot pair with one another.
    std::fill(every.begin() + 0xD800, every.begin() + 0xE000, L' ');
    std::wstring lower = lowerText(every);
    map_.assign(lower.begin(), lower.end());
}

std::wstring LowerCaseMap::lower(std::wstring_view text) const {
    if (hasSurrogates(text))
        return lowerText(text);
    std::wstring out(text.size(), L'\0');
    std::transform(text.begin(), text.end(), out.begin(), [this](wchar_t c) { return at(c); });
    return out;
}

bool LowerCaseMap::holds(std::wstring_view hay, std::wstring_view needle) const {
    if (needle.size() > hay.size())
        return false;
    if (needle.empty())
        return true;
    if (hasSurrogates(hay) || hasSurrogates(needle))
        return lowerText(hay).find(lowerText(needle)) != std::wstring::npos;
    const size_t last = hay.size() - needle.size();
    const wchar_t first = at(needle[0]);
    for (size_t from = 0; from <= last; ++from) {
        if (at(hay[from]) != first)
            continue;
        size_t k = 1;
        while (k < needle.size() && at(hay[from + k]) == at(needle[k]))
            ++k;
        if (k == needle.size())
            return true;
    }
    return false;
}

} // namespace kw
