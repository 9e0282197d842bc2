// The two comparison procedures written the plain way (matched lines deleted in place, side 2 rescanned
// from its top for every side-1 line), as the measure for the engine. Slow on purpose: only for tests.
#pragma once
#include <string>
#include <vector>

#include "results/Comparison.h"
#include "results/LocaleText.h"

namespace kw::test {

// A line or row with the index it had before anything was deleted.
template <class Item> struct Indexed {
    Item item;
    size_t index;
};

template <class Item> std::vector<Indexed<Item>> indexed(std::span<const Item> items) {
    std::vector<Indexed<Item>> out;
    for (size_t i = 0; i < items.size(); ++i)
        out.push_back({items[i], i});
    return out;
}

template <class Item> std::vector<size_t> indexesOf(const std::vector<Indexed<Item>>& items) {
    std::vector<size_t> out;
    for (const auto& x : items)
        out.push_back(x.index);
    return out;
}

// `named(a, b)`: the first test a pair must pass; where the last pair that passed it stood on side 2.
template <class Item, class Match, class Named>
Leftovers deleteMatchedPairs(std::span<const Item> side1, std::span<const Item> side2, Match&& match,
                             Named&& named) {
    auto s1 = indexed(side1);
    auto s2 = indexed(side2);
    size_t lastTried = static_cast<size_t>(-1);
    for (size_t i = 0; i < s1.size(); ++i) {
        for (size_t j = 0; j < s2.size() && i < s1.size();) {
            if (named(s1[i].item, s2[j].item))
                lastTried = j;
            if (match(s1[i].item, s2[j].item)) {
                s1.erase(s1.begin() + static_cast<std::ptrdiff_t>(i));
                s2.erase(s2.begin() + static_cast<std::ptrdiff_t>(j));
            } else {
                ++j;
            }
        }
    }
    return {indexesOf(s1), indexesOf(s2), false, lastTried};
}

inline Leftovers oracleCompareLines(std::span<const std::wstring_view> side1,
                                    std::span<const std::wstring_view> side2) {
    return deleteMatchedPairs(
        side1, side2, [](std::wstring_view a, std::wstring_view b) { return a == b; },
        [](std::wstring_view, std::wstring_view) { return false; });
}

inline bool oracleContains(std::wstring_view hay, std::wstring_view needle) {
    return lowerText(hay).find(lowerText(needle)) != std::wstring::npos;
}

inline std::wstring oracleKeptPath(std::wstring_view path) {
    std::wstring p = lowerText(path);
    std::wstring single;
    for (size_t at = 0;;) {
        size_t pair = p.find(L"\\\\", at);
        if (pair == std::wstring::npos) {
            single += p.substr(at);
            break;
        }
        single += p.substr(at, pair - at) + L"\\";
        at = pair + 2;
    }
    size_t pos = single.find(L"\\tavir");
    return pos == std::wstring::npos ? single : single.substr(pos, single.size() - pos - 1);
}

inline bool oracleRowsMatch(const TableRow& a, const TableRow& b, const CompareOptions& o) {
    if (!oracleContains(b[0], a[0]))
        return false;
    if (oracleKeptPath(b[5]).find(oracleKeptPath(a[5])) == std::wstring::npos)
        return false;
    bool size = oracleContains(b[1], a[1]);
    bool date = o.ignoreDate || oracleContains(b[2], a[2]);
    bool version =
        oracleContains(b[3], a[3]) || (a[3] == L" " && b[3] == L"00") || (a[3] == L"00" && b[3] == L" ");
    bool md5 = oracleContains(b[4], a[4]);
    switch (o.md5) {
    case Md5Rule::Include:
        return size && date && version && md5;
    case Md5Rule::Only:
        return md5;
    case Md5Rule::Ignore:
        return size && date && version;
    }
    return false;
}

inline Leftovers oracleCompareTables(std::span<const TableRow> side1, std::span<const TableRow> side2,
                                     const CompareOptions& o) {
    return deleteMatchedPairs(
        side1, side2, [&](const TableRow& a, const TableRow& b) { return oracleRowsMatch(a, b, o); },
        [](const TableRow& a, const TableRow& b) { return oracleContains(b[0], a[0]); });
}

} // namespace kw::test
