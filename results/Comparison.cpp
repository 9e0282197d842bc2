// The comparison's options, the lines of a text, and the comparison of two texts.
#include "results/Comparison.h"

#include <unordered_map>

#include "results/ComparisonWalk.h"

namespace kw {

CompareOptions compareOptionsOf(const OptionSet& options) {
    CompareOptions o;
    o.ignoreDate = options.get(Option::CompareNoDate);
    // The radio buttons keep one another exclusive; a settings file could still leave none on, and then
    // the form's default holds.
    if (options.get(Option::CompareMd5))
        o.md5 = Md5Rule::Include;
    else if (options.get(Option::CompareNoMd5))
        o.md5 = Md5Rule::Ignore;
    else
        o.md5 = Md5Rule::Only;
    return o;
}

std::vector<std::wstring_view> splitLines(std::wstring_view text) {
    std::vector<std::wstring_view> lines;
    const wchar_t* p = text.data();
    const wchar_t* const end = p + text.size();
    while (p < end) {
        const wchar_t* eol = p;
        while (eol < end && *eol != L'\r' && *eol != L'\n')
            ++eol;
        lines.emplace_back(p, static_cast<size_t>(eol - p));
        if (eol == end)
            break;
        p = eol + (*eol == L'\r' && eol + 1 < end && eol[1] == L'\n' ? 2 : 1);
    }
    return lines;
}

Leftovers CompareLines(std::span<const std::wstring_view> side1, std::span<const std::wstring_view> side2,
                       const StopPoll& stop) {
    // Side 2's lines by their text: a side-1 line can only partner an equal one.
    std::unordered_map<std::wstring_view, uint32_t> textIds;
    textIds.reserve(side2.size());
    std::vector<PartnerList> sameText;
    for (size_t j = 0; j < side2.size(); ++j) {
        auto [at, added] = textIds.try_emplace(side2[j], static_cast<uint32_t>(sameText.size()));
        if (added)
            sameText.emplace_back();
        sameText[at->second].add(static_cast<uint32_t>(j));
    }
    auto anyLine = [](size_t) { return true; };
    return walkSides(side1.size(), side2.size(), stop,
                     [&](size_t i, size_t from, const std::vector<char>& taken, StopCheck& check, size_t&) {
                         auto at = textIds.find(side1[i]);
                         if (at == textIds.end())
                             return kNoPartner;
                         return sameText[at->second].firstPartner(from, taken, check, anyLine);
                     });
}

} // namespace kw
