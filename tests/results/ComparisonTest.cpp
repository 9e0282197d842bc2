// The line and table comparisons: the cases the procedures are known by, and the engine against the
// plain procedures on many random sides.
#include "results/Comparison.h"

#include <gtest/gtest.h>

#include <random>

#include "results/CaseMap.h"
#include "results/TextContainment.h"
#include "tests/results/ComparisonOracle.h"

namespace kw {
namespace {

using Lines = std::vector<std::wstring_view>;

std::vector<std::wstring_view> pick(std::span<const std::wstring_view> items, const std::vector<size_t>& at) {
    std::vector<std::wstring_view> out;
    for (size_t i : at)
        out.push_back(items[i]);
    return out;
}

TEST(ComparisonTest, LinesLeaveWhatTheSidesDoNotShareInOrder) {
    struct Case {
        const char* what;
        Lines side1, side2, left1, left2;
    };
    const Case cases[] = {
        {"a partner above the last match stays", {L"A", L"B", L"C"}, {L"B", L"A", L"C"}, {L"B"}, {L"B"}},
        {"identical sides end empty", {L"x", L"", L"y", L"x"}, {L"x", L"", L"y", L"x"}, {}, {}},
        {"letter case counts", {L"Abc", L"abc"}, {L"ABC", L"abc"}, {L"Abc"}, {L"ABC"}},
        {"after a match at the bottom the next line is not looked for",
         {L"A", L"B"},
         {L"B", L"A"},
         {L"B"},
         {L"B"}},
        {"a repeated line takes the first free partner",
         {L"A", L"A", L"B"},
         {L"A", L"B", L"A"},
         {L"B"},
         {L"B"}},
        {"an unmatched line starts the next search at the top",
         {L"Q", L"B", L"A"},
         {L"A", L"B"},
         {L"Q", L"A"},
         {L"A"}},
        {"an empty side 2 leaves side 1 whole", {L"A", L"B"}, {}, {L"A", L"B"}, {}},
        {"an empty side 1 leaves side 2 whole", {}, {L"A"}, {}, {L"A"}},
    };
    for (const Case& c : cases) {
        Leftovers left = CompareLines(c.side1, c.side2);
        EXPECT_EQ(pick(c.side1, left.side1), c.left1) << c.what;
        EXPECT_EQ(pick(c.side2, left.side2), c.left2) << c.what;
        EXPECT_FALSE(left.stopped);
    }
}

TEST(ComparisonTest, TextsSplitAtEveryKindOfLineBreak) {
    EXPECT_EQ(splitLines(L"a\r\nb\rc\nd"), (Lines{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(splitLines(L"a\r\n"), (Lines{L"a"}));
    EXPECT_EQ(splitLines(L""), Lines{});
    EXPECT_EQ(splitLines(L"\r\n"), (Lines{L""}));
    EXPECT_EQ(splitLines(L"a\n\nb"), (Lines{L"a", L"", L"b"}));
    EXPECT_EQ(splitLines(L"a\r\r\n"), (Lines{L"a", L""})); // CR, then CR LF
    EXPECT_EQ(splitLines(L"\n\r"), (Lines{L"", L""}));     // LF CR is two breaks
}

TEST(ComparisonTest, LinesMatchThePlainProcedureOnRandomTexts) {
    const std::wstring_view pool[] = {L"A", L"B", L"C", L"a", L"", L" ", L"[HKEY_LOCAL_MACHINE\\SOFTWARE]"};
    for (unsigned seed = 1; seed <= 600; ++seed) {
        std::mt19937 rng(seed);
        const size_t kinds = 1 + rng() % std::size(pool);
        const size_t longest = seed % 10 ? 40 : 300;
        auto text = [&] {
            Lines t(rng() % longest);
            for (auto& line : t)
                line = pool[rng() % kinds];
            return t;
        };
        Lines side1 = text(), side2 = text();
        // Often the second side is the first one a little changed, as two runs on one machine are.
        if (seed % 2) {
            side2 = side1;
            for (int edits = static_cast<int>(rng() % 4); edits-- > 0 && !side2.empty();)
                side2[rng() % side2.size()] = pool[rng() % kinds];
        }
        Leftovers engine = CompareLines(side1, side2), oracle = test::oracleCompareLines(side1, side2);
        ASSERT_EQ(engine.side1, oracle.side1) << "seed " << seed;
        ASSERT_EQ(engine.side2, oracle.side2) << "seed " << seed;
    }
}

TEST(ComparisonTest, StopEndsTheComparisonWithEverythingUnmatchedLeft) {
    std::vector<std::wstring> texts;
    for (int i = 0; i < 20000; ++i)
        texts.push_back(L"line " + std::to_wstring(i));
    Lines side(texts.begin(), texts.end());

    int polls = 0;
    Leftovers atOnce = CompareLines(side, side, [&] { return ++polls > 0; });
    EXPECT_TRUE(atOnce.stopped);
    EXPECT_EQ(atOnce.side1.size(), side.size());
    EXPECT_EQ(atOnce.side2.size(), side.size());

    polls = 0;
    Leftovers midway = CompareLines(side, side, [&] { return ++polls > 2; });
    EXPECT_TRUE(midway.stopped);
    EXPECT_GT(midway.side1.size(), 0u);
    EXPECT_LT(midway.side1.size(), side.size());
    EXPECT_EQ(midway.side1, midway.side2); // the matched lines are the first ones of both sides

    polls = 0;
    Leftovers whole = CompareLines(side, side, [&] { return ++polls < 0; });
    EXPECT_FALSE(whole.stopped);
    EXPECT_TRUE(whole.side1.empty() && whole.side2.empty());
    EXPECT_GE(polls, 4); // asked now and then, not once

    std::vector<TableRow> rows;
    for (const std::wstring& t : texts)
        rows.push_back({t, L"1", L" ", L"00", L"md5", L"C:\\TAVIR\\X\\"});
    Leftovers table = CompareTables(rows, rows, {}, [] { return true; });
    EXPECT_TRUE(table.stopped);
    EXPECT_EQ(table.side1.size(), rows.size());
}

// An inventory row: name, size, date, version, md5, path.
TableRow row(std::wstring_view name, std::wstring_view path, std::wstring_view md5 = L"d41d8cd9",
             std::wstring_view size = L"1024", std::wstring_view date = L"01.02.2020 10:00:00",
             std::wstring_view version = L"1.0.0.1") {
    return {name, size, date, version, md5, path};
}

TEST(ComparisonTest, TableRowsPairByNamePathAndTheCellsTheOptionsChoose) {
    const CompareOptions only{true, Md5Rule::Only}, all{true, Md5Rule::Include},
        allWithDate{false, Md5Rule::Include}, noMd5{true, Md5Rule::Ignore};
    const std::wstring_view dir = L"C:\\TAVIR\\MIRTAL\\Bin\\";
    struct Case {
        const char* what;
        TableRow a, b;
        CompareOptions options;
        bool match;
    };
    const Case cases[] = {
        {"a side-1 name is found inside a longer side-2 name", row(L"a.dll", dir), row(L"xa.dll", dir), only,
         true},
        {"but not the other way round", row(L"xa.dll", dir), row(L"a.dll", dir), only, false},
        {"names compare without regard to case", row(L"ФАЙЛ.DLL", dir), row(L"файл.dll", dir), only, true},
        {"the maker's folder on other drives", row(L"a.dll", L"C:\\Program Files\\TAVIR\\X\\"),
         row(L"a.dll", L"D:\\TAVIR\\X\\"), only, true},
        {"doubled backslashes count once", row(L"a.dll", L"C:\\\\TAVIR\\\\X\\\\"),
         row(L"a.dll", L"D:\\TAVIR\\X\\"), only, true},
        {"another folder under the maker's", row(L"a.dll", L"C:\\TAVIR\\X\\"),
         row(L"a.dll", L"C:\\TAVIR\\Y\\"), only, false},
        {"a path without the maker's folder is compared whole", row(L"a.dll", L"C:\\Windows\\System32"),
         row(L"a.dll", L"C:\\Windows\\System32\\"), only, true},
        {"and must be held whole", row(L"a.dll", L"C:\\Windows\\System32\\"),
         row(L"a.dll", L"D:\\Windows\\System32\\"), only, false},
        {"md5 decides alone", row(L"a.dll", dir, L"AB12", L"1"), row(L"a.dll", dir, L"ab12", L"2"), only,
         true},
        {"blank md5 cells match", row(L"a.dll", dir, L" "), row(L"a.dll", dir, L" "), only, true},
        {"another md5", row(L"a.dll", dir, L"ab12"), row(L"a.dll", dir, L"ab13"), only, false},
        {"without md5 another md5 does not count", row(L"a.dll", dir, L"ab12"), row(L"a.dll", dir, L"ff"),
         noMd5, true},
        {"without md5 the size does", row(L"a.dll", dir, L"1", L"10"), row(L"a.dll", dir, L"1", L"20"), noMd5,
         false},
        {"a size inside a longer size passes", row(L"a.dll", dir, L"1", L"10"),
         row(L"a.dll", dir, L"1", L"100"), all, true},
        {"the date is not read when off", row(L"a.dll", dir, L"1", L"1", L"01.01.2020"),
         row(L"a.dll", dir, L"1", L"1", L"02.02.2022"), all, true},
        {"the date keeps rows apart when read", row(L"a.dll", dir, L"1", L"1", L"01.01.2020"),
         row(L"a.dll", dir, L"1", L"1", L"02.02.2022"), allWithDate, false},
        {"no version against 00", row(L"a.dll", dir, L"1", L"1", L"d", L" "),
         row(L"a.dll", dir, L"1", L"1", L"d", L"00"), all, true},
        {"00 against no version", row(L"a.dll", dir, L"1", L"1", L"d", L"00"),
         row(L"a.dll", dir, L"1", L"1", L"d", L" "), all, true},
        {"a version against 00", row(L"a.dll", dir, L"1", L"1", L"d", L"1.0"),
         row(L"a.dll", dir, L"1", L"1", L"d", L"00"), all, false},
        {"the version is not read under md5 only", row(L"a.dll", dir, L"d", L"1", L"d", L"1.0"),
         row(L"a.dll", dir, L"d", L"2", L"d", L"2.0"), only, true},
    };
    for (const Case& c : cases) {
        const std::vector<TableRow> a{c.a}, b{c.b};
        Leftovers left = CompareTables(a, b, c.options);
        EXPECT_EQ(left.side1.empty(), c.match) << c.what;
        EXPECT_EQ(left.side2.empty(), c.match) << c.what;
        EXPECT_EQ(test::oracleCompareTables(a, b, c.options).side1.empty(), c.match) << "oracle: " << c.what;
    }
}

TEST(ComparisonTest, ContainmentFindsEveryHaystackHoldingANeedle) {
    const std::vector<std::wstring_view> needles{L"a.dll", L"", L"dll", L"zz", L"aa"};
    const std::vector<std::wstring_view> hays{L"xa.dll", L"b.dll", L"a.dll", L"aaa", L"", L"a.dlla.dll"};
    auto holding = haystacksHolding(needles, hays);
    EXPECT_EQ(holding[0], (std::vector<uint32_t>{0, 2, 5})); // listed once though found twice in 5
    EXPECT_EQ(holding[1], (std::vector<uint32_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(holding[2], (std::vector<uint32_t>{0, 1, 2, 5}));
    EXPECT_TRUE(holding[3].empty());
    EXPECT_EQ(holding[4], (std::vector<uint32_t>{3}));

    // Two letters give many texts that hold one another.
    std::mt19937 rng(7);
    auto word = [&] {
        std::wstring w(rng() % 7, L'a');
        for (auto& ch : w)
            ch = rng() % 2 ? L'a' : L'b';
        return w;
    };
    std::vector<std::wstring> n(300), h(300);
    for (auto& w : n)
        w = word();
    for (auto& w : h)
        w = word() + word();
    std::vector<std::wstring_view> nv(n.begin(), n.end()), hv(h.begin(), h.end());
    auto found = haystacksHolding(nv, hv);
    for (size_t k = 0; k < n.size(); ++k) {
        std::vector<uint32_t> expected;
        for (size_t j = 0; j < h.size(); ++j)
            if (h[j].find(n[k]) != std::wstring::npos)
                expected.push_back(static_cast<uint32_t>(j));
        ASSERT_EQ(found[k], expected) << k;
    }
}

TEST(ComparisonTest, LetterCaseLookedUpIsTheLocales) {
    const LowerCaseMap lowerCase;
    std::wstring every;
    for (unsigned c = 1; c < 0xD800; ++c)
        every += static_cast<wchar_t>(c);
    for (unsigned c = 0xE000; c <= 0xFFFF; ++c)
        every += static_cast<wchar_t>(c);
    EXPECT_EQ(lowerCase.lower(every), lowerText(every));
    // A pair of units that makes one character goes to the locale whole.
    const std::wstring deseret = L"x\U00010400y"; // DESERET CAPITAL LONG I
    EXPECT_EQ(lowerCase.lower(deseret), lowerText(deseret));
    EXPECT_EQ(lowerCase.holds(L"A\U00010400B", lowerText(L"\U00010400b")),
              lowerText(L"A\U00010400B").find(lowerText(L"\U00010400b")) != std::wstring::npos);

    EXPECT_TRUE(lowerCase.holds(L"M3DRES.DLL", L"res.Dll"));
    EXPECT_TRUE(lowerCase.holds(L"Файл.EXE", L"ФАЙЛ"));
    EXPECT_TRUE(lowerCase.holds(L"abc", L""));
    EXPECT_FALSE(lowerCase.holds(L"ab", L"abc"));
    EXPECT_FALSE(lowerCase.holds(L"aab", L"abb"));
}

// Random inventories made of values that trip the tests: names inside names, letter case, blank and
// "00" cells, paths under the maker's folder on other drives and with doubled backslashes.
class RandomInventory {
  public:
    explicit RandomInventory(unsigned seed) : rng_(seed) {}

    std::vector<TableRow> rows(size_t count) {
        std::vector<TableRow> out(count);
        for (TableRow& r : out)
            r = {any(kNames), any(kSizes), any(kDates), any(kVersions), any(kMd5s), any(kPaths)};
        return out;
    }
    // A copy with a few cells changed, rows dropped or swapped.
    std::vector<TableRow> changed(std::vector<TableRow> rows) {
        for (int edits = static_cast<int>(rng_() % 6); edits-- > 0 && !rows.empty();) {
            size_t at = rng_() % rows.size();
            switch (rng_() % 4) {
            case 0:
                rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(at));
                break;
            case 1:
                std::swap(rows[at], rows[rng_() % rows.size()]);
                break;
            default:
                rows[at][rng_() % kTableColumns] = any(kAnyCell);
            }
        }
        return rows;
    }
    std::mt19937& rng() { return rng_; }

  private:
    template <size_t N> std::wstring_view any(const std::wstring_view (&pool)[N]) { return pool[rng_() % N]; }
    static constexpr std::wstring_view kNames[] = {L"a.dll",   L"xa.dll",    L"A.DLL",    L"res.dll",
                                                   L"Res.dll", L"myres.dll", L"файл.exe", L"ФАЙЛ.exe",
                                                   L" ",       L"a"};
    static constexpr std::wstring_view kSizes[] = {L"1", L"10", L"100", L" "};
    static constexpr std::wstring_view kDates[] = {L"01.01.2020 10:00", L"01.01.2020", L" "};
    static constexpr std::wstring_view kVersions[] = {L" ", L"00", L"1.0", L"1.0.0", L"0"};
    static constexpr std::wstring_view kMd5s[] = {L" ", L"ab", L"AB", L"abc", L"0f"};
    static constexpr std::wstring_view kPaths[] = {L"C:\\Program Files\\TAVIR\\X\\",
                                                   L"D:\\TAVIR\\X\\",
                                                   L"C:\\\\TAVIR\\\\X\\\\",
                                                   L"C:\\TAVIR\\X\\ru\\",
                                                   L"C:\\TAVIR\\Y\\",
                                                   L"C:\\Windows\\",
                                                   L"C:\\Windows",
                                                   L"\\\\\\tavir\\x\\",
                                                   L"E:\\tavir",
                                                   L"c:\\tavirx\\"};
    static constexpr std::wstring_view kAnyCell[] = {L"a.dll",          L"1", L"00", L" ", L"ab",
                                                     L"D:\\TAVIR\\X\\", L""};
    std::mt19937 rng_;
};

TEST(ComparisonTest, TablesMatchThePlainProcedureOnRandomInventories) {
    const CompareOptions optionSets[] = {{true, Md5Rule::Include}, {false, Md5Rule::Include},
                                         {true, Md5Rule::Only},    {false, Md5Rule::Only},
                                         {true, Md5Rule::Ignore},  {false, Md5Rule::Ignore}};
    for (unsigned seed = 1; seed <= 300; ++seed) {
        RandomInventory inventory(seed);
        const size_t longest = seed % 10 ? 30 : 150;
        std::vector<TableRow> side1 = inventory.rows(inventory.rng()() % longest);
        std::vector<TableRow> side2 =
            seed % 3 ? inventory.changed(side1) : inventory.rows(inventory.rng()() % longest);
        for (const CompareOptions& o : optionSets) {
            Leftovers engine = CompareTables(side1, side2, o),
                      oracle = test::oracleCompareTables(side1, side2, o);
            ASSERT_EQ(engine.side1, oracle.side1)
                << "seed " << seed << " md5 rule " << static_cast<int>(o.md5);
            ASSERT_EQ(engine.side2, oracle.side2)
                << "seed " << seed << " md5 rule " << static_cast<int>(o.md5);
            ASSERT_EQ(engine.lastTried2, oracle.lastTried2) << "seed " << seed; // side 2's current row
        }
    }
}

TEST(ComparisonTest, OptionsComeFromTheComparisonGroup) {
    OptionSet options;
    CompareOptions o = compareOptionsOf(options);
    EXPECT_TRUE(o.ignoreDate);
    EXPECT_EQ(o.md5, Md5Rule::Only);
    options.set(Option::CompareNoDate, false);
    options.set(Option::CompareMd5, true);
    o = compareOptionsOf(options);
    EXPECT_FALSE(o.ignoreDate);
    EXPECT_EQ(o.md5, Md5Rule::Include);
    options.set(Option::CompareNoMd5, true);
    EXPECT_EQ(compareOptionsOf(options).md5, Md5Rule::Ignore);
    options.assign(Option::CompareNoMd5, false); // a settings file may leave no button on
    EXPECT_EQ(compareOptionsOf(options).md5, Md5Rule::Only);
}

} // namespace
} // namespace kw
