// The comparison of two inventory tables. Names and paths are put in lower case once (each path cut to its
// part from the maker's folder), and a side-1 row looks only at the side-2 rows whose names hold its name.
#include <algorithm>
#include <memory>
#include <unordered_map>

#include "results/CaseMap.h"
#include "results/Comparison.h"
#include "results/ComparisonWalk.h"
#include "results/TextContainment.h"

namespace kw {
namespace {

enum Column : size_t { kName = 0, kSize = 1, kDate = 2, kVersion = 3, kMd5 = 4, kPath = 5 };

// The distinct values of one column of a side in lower case, and each row's value among them. The
// values point into the text the object holds, so it is built in place and never moved.
class DistinctLower {
  public:
    DistinctLower(std::span<const TableRow> rows, size_t col, const LowerCaseMap& lowerCase) {
        // Equal cells are lowered once; cells that differ only in letter case become one value.
        std::unordered_map<std::wstring_view, uint32_t> rawIds;
        std::vector<std::wstring_view> raw;
        std::vector<uint32_t> rawOfRow(rows.size());
        for (size_t r = 0; r < rows.size(); ++r) {
            auto [at, added] = rawIds.try_emplace(rows[r][col], static_cast<uint32_t>(raw.size()));
            if (added)
                raw.push_back(rows[r][col]);
            rawOfRow[r] = at->second;
        }
        std::vector<size_t> starts;
        for (std::wstring_view v : raw) {
            starts.push_back(text_.size());
            text_ += lowerCase.lower(v);
        }
        starts.push_back(text_.size());

        std::unordered_map<std::wstring_view, uint32_t> lowerIds;
        std::vector<uint32_t> lowerOfRaw(raw.size());
        for (size_t k = 0; k < raw.size(); ++k) {
            std::wstring_view lower = std::wstring_view(text_).substr(starts[k], starts[k + 1] - starts[k]);
            auto [at, added] = lowerIds.try_emplace(lower, static_cast<uint32_t>(values_.size()));
            if (added)
                values_.push_back(lower);
            lowerOfRaw[k] = at->second;
        }
        ofRow_.resize(rows.size());
        for (size_t r = 0; r < rows.size(); ++r)
            ofRow_[r] = lowerOfRaw[rawOfRow[r]];
    }
    DistinctLower(const DistinctLower&) = delete;
    DistinctLower& operator=(const DistinctLower&) = delete;

    const std::vector<std::wstring_view>& values() const { return values_; }
    uint32_t ofRow(size_t row) const { return ofRow_[row]; }
    size_t rowCount() const { return ofRow_.size(); }

  private:
    std::wstring text_;
    std::vector<std::wstring_view> values_;
    std::vector<uint32_t> ofRow_;
};

// The part of a lower-case path the path test compares: double backslashes made single (left to right,
// without overlap), then from the first "\tavir" up to but not including the last character, so that
// the same product in another drive or parent folder compares equal. Without "\tavir" the whole path.
std::wstring comparedPath(std::wstring_view lowerPath) {
    std::wstring single;
    single.reserve(lowerPath.size());
    for (size_t i = 0; i < lowerPath.size(); ++i) {
        single += lowerPath[i];
        if (lowerPath[i] == L'\\' && i + 1 < lowerPath.size() && lowerPath[i + 1] == L'\\')
            ++i;
    }
    size_t maker = single.find(L"\\tavir");
    if (maker == std::wstring::npos)
        return single;
    return single.substr(maker, single.size() - 1 - maker);
}

// One side as the tests read it: names and paths in lower case, the other cells as they are.
struct ComparedSide {
    std::span<const TableRow> rows;
    DistinctLower names;
    std::vector<std::wstring> paths; // by distinct path
    std::vector<uint32_t> pathOfRow;

    ComparedSide(std::span<const TableRow> r, const LowerCaseMap& lowerCase)
        : rows(r), names(r, kName, lowerCase) {
        DistinctLower lowerPaths(r, kPath, lowerCase);
        for (std::wstring_view p : lowerPaths.values())
            paths.push_back(comparedPath(p));
        pathOfRow.resize(r.size());
        for (size_t k = 0; k < r.size(); ++k)
            pathOfRow[k] = lowerPaths.ofRow(k);
    }
    const std::wstring& path(size_t row) const { return paths[pathOfRow[row]]; }
    std::wstring_view cell(size_t row, Column col) const { return rows[row][col]; }
};

// The tests after the name test: the path, then the cells the md5 option lets decide.
class RowTests {
  public:
    RowTests(const ComparedSide& a, const ComparedSide& b, const CompareOptions& o,
             const LowerCaseMap& lowerCase)
        : a_(a), b_(b), o_(o), lowerCase_(lowerCase) {}

    bool agree(size_t r1, size_t r2) const {
        if (!holds(b_.path(r2), a_.path(r1)))
            return false;
        if (o_.md5 != Md5Rule::Only) {
            if (!cellPasses(r1, r2, kSize))
                return false;
            if (!o_.ignoreDate && !cellPasses(r1, r2, kDate))
                return false;
            if (!versionsAgree(a_.cell(r1, kVersion), b_.cell(r2, kVersion)))
                return false;
        }
        return o_.md5 == Md5Rule::Ignore || cellPasses(r1, r2, kMd5);
    }

  private:
    bool cellPasses(size_t r1, size_t r2, Column col) const {
        return lowerCase_.holds(b_.cell(r2, col), a_.cell(r1, col));
    }
    // A file without version information carries "00", an empty field a single blank: the two say the same.
    bool versionsAgree(std::wstring_view v1, std::wstring_view v2) const {
        return lowerCase_.holds(v2, v1) || (v1 == L" " && v2 == L"00") || (v1 == L"00" && v2 == L" ");
    }

    const ComparedSide &a_, &b_;
    const CompareOptions& o_;
    const LowerCaseMap& lowerCase_;
};

// The side-2 rows whose name holds a side-1 name, for each distinct side-1 name. Where only one side-2
// name holds it (the usual case) that name's own list serves; the union of several is built when
// first asked for.
class CandidateRows {
  public:
    CandidateRows(const DistinctLower& names1, const DistinctLower& names2)
        : holders_(haystacksHolding(names1.values(), names2.values())), byName2_(names2.values().size()),
          unions_(names1.values().size()) {
        for (size_t r = 0; r < names2.rowCount(); ++r)
            byName2_[names2.ofRow(r)].add(static_cast<uint32_t>(r));
    }

    // Nothing when no side-2 name holds the name.
    PartnerList* forName(uint32_t name1) {
        const std::vector<uint32_t>& holders = holders_[name1];
        if (holders.empty())
            return nullptr;
        if (holders.size() == 1)
            return &byName2_[holders[0]];
        std::unique_ptr<PartnerList>& u = unions_[name1];
        if (!u) {
            // Each side-2 row has one name, so the lists never share a row.
            std::vector<uint32_t> rows;
            for (uint32_t name2 : holders) {
                const std::vector<uint32_t>& more = byName2_[name2].positions();
                rows.insert(rows.end(), more.begin(), more.end());
            }
            std::sort(rows.begin(), rows.end());
            u = std::make_unique<PartnerList>();
            for (uint32_t r : rows)
                u->add(r);
        }
        return u.get();
    }

  private:
    std::vector<std::vector<uint32_t>> holders_;
    std::vector<PartnerList> byName2_;
    std::vector<std::unique_ptr<PartnerList>> unions_;
};

} // namespace

Leftovers CompareTables(std::span<const TableRow> side1, std::span<const TableRow> side2,
                        const CompareOptions& options, const StopPoll& stop) {
    const LowerCaseMap lowerCase;
    const ComparedSide a(side1, lowerCase), b(side2, lowerCase);
    const RowTests tests(a, b, options, lowerCase);
    CandidateRows candidates(a.names, b.names);
    return walkSides(
        side1.size(), side2.size(), stop,
        [&](size_t r1, size_t from, const std::vector<char>& taken, StopCheck& check, size_t& tried) {
            PartnerList* rows = candidates.forName(a.names.ofRow(r1));
            if (!rows)
                return kNoPartner;
            return rows->firstPartner(
                from, taken, check, [&](size_t r2) { return tests.agree(r1, r2); }, &tried);
        });
}

} // namespace kw
