// Table views without windows: loading, the colour rules, both sorts, search and copying.
#include "results/TableModel.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "results/LocaleText.h"

namespace kw {
namespace {

std::vector<std::wstring> column(const TableModel& t, int col) {
    std::vector<std::wstring> out;
    for (int r = 1; r < t.rowCount(); ++r)
        out.emplace_back(t.cell(col, r));
    return out;
}

TableModel tableOf(const std::wstring& text) {
    TableModel t;
    t.LoadTableFile(text);
    return t;
}

TEST(TableModelTest, LoadingKeepsSixColumnsAndMarksEmptyFields) {
    TableModel t = tableOf(L"Имя\tБайт\r\na\t\tb\r\n1\t2\t3\t4\t5\t6\t7\t8\r\nx\t\r\n");
    ASSERT_EQ(t.rowCount(), 4);
    EXPECT_EQ(t.row(0), (TableRow{L"Имя", L"Байт", L"", L"", L"", L""}));
    EXPECT_EQ(t.row(1), (TableRow{L"a", L" ", L"b", L"", L"", L""}));
    EXPECT_EQ(t.row(2), (TableRow{L"1", L"2", L"3", L"4", L"5", L"6"}));
    EXPECT_EQ(t.row(3), (TableRow{L"x", L"", L"", L"", L"", L""})); // a trailing tab adds no cell

    // A header line alone: the header and one empty row.
    TableModel h = tableOf(L"Имя файла:\tБайт:");
    ASSERT_EQ(h.rowCount(), 2);
    EXPECT_EQ(h.cell(0, 0), L"Имя файла:");
    EXPECT_EQ(h.row(1), TableRow{});

    // Clearing keeps one header row and one empty row; a narrower table leaves no old cells behind.
    t.ClearTable();
    EXPECT_EQ(t.rowCount(), 2);
    EXPECT_EQ(t.row(0),
              (TableRow{L"Имя", L"Байт", L"", L"", L"", L""})); // the header outlives its file's text
    EXPECT_EQ(t.row(1), TableRow{});
    t.LoadTableFile(L"A\nb\n");
    EXPECT_EQ(t.row(0), (TableRow{L"A", L"", L"", L"", L"", L""}));
    EXPECT_EQ(t.rowCount(), 2);
}

TEST(TableModelTest, LargeTableCutInTwoHalvesGivesEveryRowWhereverTheMiddleFalls) {
    // Lines ending in CR LF, LF and CR by turns, with empty cells, trailing tabs and more than six cells;
    // the first cell's length moves the middle across every kind of place, a CR LF split in two among them.
    bool middleSplitCrLf = false;
    for (int pad = 0; pad < 48; pad += 2) { // the middle moves one unit a step, past a whole line
        std::vector<TableRow> expected;
        std::vector<std::wstring> cells; // what the expected rows point into
        cells.reserve(60000);
        std::wstring text;
        const wchar_t* ends[] = {L"\r\n", L"\n", L"\r"};
        for (int i = 0; i < 6000; ++i) {
            cells.push_back(std::wstring(i == 0 ? static_cast<size_t>(pad) + 1 : 1, L'a') +
                            std::to_wstring(i));
            cells.push_back(std::to_wstring(i * 7));
            const std::wstring& a = cells[cells.size() - 2];
            const std::wstring& b = cells.back();
            switch (i % 4) {
            case 0:
                text += a + L"\t" + b;
                expected.push_back({a, b, L"", L"", L"", L""});
                break;
            case 1:
                text += a + L"\t\t" + b + L"\t";
                expected.push_back({a, L" ", b, L"", L"", L""});
                break;
            case 2:
                text += a + L"\t1\t2\t3\t4\t5\t6";
                expected.push_back({a, L"1", L"2", L"3", L"4", L"5"});
                break;
            default:
                text += a;
                expected.push_back({a, L"", L"", L"", L"", L""});
                break;
            }
            text += ends[i % 3];
        }
        const size_t middle = text.size() / 2;
        middleSplitCrLf |= text[middle - 1] == L'\r' && text[middle] == L'\n';
        TableModel t = tableOf(text);
        ASSERT_EQ(t.rowCount(), static_cast<int>(expected.size())) << "pad " << pad;
        for (size_t r = 0; r < expected.size(); ++r)
            ASSERT_EQ(t.row(static_cast<int>(r)), expected[r]) << "pad " << pad << ", row " << r;
    }
    EXPECT_TRUE(middleSplitCrLf);
}

TEST(TableModelTest, ZebraTintsEvenRowsByTheBrightnessAndTheCurrentRowShowsAsSelected) {
    EXPECT_EQ(LightenColor({192, 192, 192}, 75), (Rgb24{239, 239, 239}));
    EXPECT_EQ(LightenColor({192, 192, 192}, 25), (Rgb24{208, 208, 208}));
    EXPECT_EQ(LightenColor({192, 192, 192}, 95), (Rgb24{252, 252, 252}));
    EXPECT_EQ(LightenColor({0, 255, 1}, 50), (Rgb24{128, 255, 128})); // halves round away from zero

    DrawOptions o;
    using B = CellStyle::Background;
    EXPECT_EQ(cellStyle(0, L"Имя файла:", false, o).background, B::Zebra); // the header is row 0
    EXPECT_EQ(cellStyle(2, L"x", false, o).background, B::Zebra);
    EXPECT_EQ(cellStyle(3, L"x", false, o).background, B::Default);
    EXPECT_EQ(cellStyle(2, L"x", true, o).background, B::Selection);
    EXPECT_FALSE(cellStyle(2, L"a.dll", true, o).text); // no extension colour in the current row
    o.zebra = false;
    EXPECT_EQ(cellStyle(2, L"x", false, o).background, B::Default);
}

TEST(TableModelTest, OnlyFourLastExtensionsAreColoured) {
    EXPECT_EQ(extensionColor(L"SETUP.EXE"), (Rgb24{255, 0, 0}));
    EXPECT_EQ(extensionColor(L"setup.ini"), (Rgb24{0, 0, 255}));
    EXPECT_EQ(extensionColor(L"lib.Dll"), (Rgb24{0, 128, 0}));
    EXPECT_EQ(extensionColor(L"grid.ocx"), (Rgb24{128, 0, 0}));
    EXPECT_FALSE(extensionColor(L"x.dll.old"));
    EXPECT_FALSE(extensionColor(L"dll"));
    EXPECT_FALSE(extensionColor(L".dllx"));
    DrawOptions off;
    off.highlight = false;
    EXPECT_FALSE(cellStyle(1, L"a.exe", false, off).text);
}

TEST(TableModelTest, HeaderClickSortsNumbersByValueAndTextByLowerCase) {
    TableModel sizes = tableOf(L"h\n10\n9\n100\n");
    sizes.SortByColumn(0);
    EXPECT_EQ(column(sizes, 0), (std::vector<std::wstring>{L"9", L"10", L"100"}));
    EXPECT_EQ(sizes.cell(0, 0), L"h");

    TableModel names = tableOf(L"h\nb\t1\nA\t2\nc\t3\n");
    names.SortByColumn(0);
    EXPECT_EQ(column(names, 0), (std::vector<std::wstring>{L"A", L"b", L"c"}));
    EXPECT_EQ(column(names, 1), (std::vector<std::wstring>{L"2", L"1", L"3"})); // whole rows move
    names.SortByColumn(0); // a second click changes nothing
    EXPECT_EQ(column(names, 0), (std::vector<std::wstring>{L"A", L"b", L"c"}));

    TableModel mixed = tableOf(L"h\nabc\n10\n");
    mixed.SortByColumn(0);
    EXPECT_EQ(column(mixed, 0), (std::vector<std::wstring>{L"10", L"abc"})); // compared as text

    // Equal values written otherwise keep their order, as the passes never swap them, beside text too.
    TableModel equal = tableOf(L"h\n7\n007\n+7\n1\n");
    equal.SortByColumn(0);
    EXPECT_EQ(column(equal, 0), (std::vector<std::wstring>{L"1", L"7", L"007", L"+7"}));
    TableModel beside = tableOf(L"h\n7\nx\n007\n+7\n");
    beside.SortByColumn(0);
    EXPECT_EQ(column(beside, 0), (std::vector<std::wstring>{L"7", L"007", L"+7", L"x"}));

    // Character codes of the ANSI code page: "ё" (0xB8) comes before "а" (0xE0), Latin before Cyrillic.
    TableModel cyrillic = tableOf(L"h\nарбуз\nЁлка\nzeta\nЯщик\n");
    cyrillic.SortByColumn(0);
    EXPECT_EQ(column(cyrillic, 0), (std::vector<std::wstring>{L"zeta", L"Ёлка", L"арбуз", L"Ящик"}));

    TableModel one = tableOf(L"h\nz\ty\n");
    one.SortByColumn(1);
    EXPECT_EQ(one.row(1), (TableRow{L"z", L"y", L"", L"", L"", L""}));
}

// A column's keys are converted in one piece and cut back into cells: a cell that does not give one byte
// per character (a character outside the BMP) must not shift its neighbours' keys.
TEST(TableModelTest, HeaderClickKeysStayWithTheirCellsWhateverTheirCharacters) {
    const std::wstring cells[] = {L"Bé", L"\U0001F600x", L"a", L"-", L"Ёж", L"b\U0001F600", L"ab", L"12"};
    std::wstring text = L"h\n";
    for (const auto& c : cells)
        text += c + L"\t" + c + L"\n";
    TableModel t = tableOf(text);
    t.SortByColumn(0);
    std::vector<std::wstring> got = column(t, 0);
    ASSERT_EQ(got.size(), std::size(cells));
    EXPECT_EQ(column(t, 1), got);   // whole rows moved
    std::vector<std::string> texts; // the texts among themselves, by their lowered ANSI codes
    for (const auto& c : got)
        if (!readWholeNumber(c))
            texts.push_back(lowerAnsiText(c));
    EXPECT_TRUE(std::is_sorted(texts.begin(), texts.end()));

    // A large column is converted in pieces: one piece with such a character, the others without.
    std::wstring large = L"h\n";
    for (int i = 0; i < 150000; ++i)
        large += (i == 100000 ? L"\U0001F600" : L"") + std::to_wstring((i * 7919) % 150000) + L"x\n";
    TableModel big = tableOf(large);
    big.SortByColumn(0);
    texts.clear();
    for (const auto& c : column(big, 0))
        texts.push_back(lowerAnsiText(c));
    EXPECT_TRUE(std::is_sorted(texts.begin(), texts.end()));
    EXPECT_EQ(texts.size(), 150000u);
}

// A file in the ANSI code page reads as the system decodes it, byte for byte.
TEST(TableModelTest, AnsiFileDecodesAsTheSystemDoes) {
    std::string bytes;
    for (int b = 1; b < 256; ++b)
        bytes += static_cast<char>(b);
    std::wstring expected(bytes.size(), L'\0');
    expected.resize(
        static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                expected.data(), static_cast<int>(expected.size()))));
    EXPECT_EQ(decodeText(bytes, Encoding::Ansi), expected);
}

TEST(TableModelTest, HeaderClickOnNumbersMixedWithTextIsOneOrderWhateverTheInputOrder) {
    TableModel names = tableOf(L"h\n9a\n10\n9\n");
    names.SortByColumn(0);
    EXPECT_EQ(column(names, 0), (std::vector<std::wstring>{L"9", L"10", L"9a"}));

    std::mt19937 rng(7);
    const std::wstring pool[] = {L"9", L"10", L"100", L"5a", L"abc", L" ", L"-3", L"007", L"7", L"1b"};
    for (int round = 0; round < 200; ++round) {
        std::vector<std::wstring> cells;
        for (int i = 0; i < 2 + static_cast<int>(rng() % 12); ++i)
            cells.push_back(pool[rng() % std::size(pool)]);
        auto sorted = [](const std::vector<std::wstring>& v) {
            std::wstring text = L"h\n";
            for (const auto& c : v)
                text += c + L"\n";
            TableModel t = tableOf(text);
            t.SortByColumn(0);
            return column(t, 0);
        };
        // Equal numbers written otherwise ("7", "007") keep their own order: compared by value here.
        auto values = [](std::vector<std::wstring> v) {
            for (std::wstring& c : v)
                if (auto n = readWholeNumber(c))
                    c = std::to_wstring(*n);
            return v;
        };
        std::vector<std::wstring> once = sorted(cells);
        std::shuffle(cells.begin(), cells.end(), rng);
        ASSERT_EQ(values(sorted(cells)), values(once)) << round;
        ASSERT_EQ(sorted(once), once) << round; // a second click changes nothing
        // Numbers by value among themselves, texts as text among themselves.
        for (size_t a = 0; a < once.size(); ++a)
            for (size_t b = a + 1; b < once.size(); ++b) {
                auto x = readWholeNumber(once[a]), y = readWholeNumber(once[b]);
                if (x && y) {
                    ASSERT_LE(*x, *y) << round;
                } else if (!x && !y) {
                    ASSERT_LE(once[a], once[b]) << round; // lower case only in this data
                }
            }
    }
    EXPECT_EQ(readWholeNumber(L"  -12"), -12);
    EXPECT_FALSE(readWholeNumber(L"12 "));
    EXPECT_FALSE(readWholeNumber(L"99999999999999999999"));
}

TEST(TableModelTest, FirstColumnSortOrdersByTheWholeRowAndKeepsAtSigns) {
    TableModel t = tableOf(L"Имя\tБайт\nb@x\t2\na\t9\nA\t1\nb@x\t1\n");
    t.SortByFirstColumn();
    EXPECT_EQ(t.cell(0, 0), L"Имя");
    EXPECT_EQ(column(t, 0), (std::vector<std::wstring>{L"A", L"a", L"b@x", L"b@x"}));
    EXPECT_EQ(column(t, 1), (std::vector<std::wstring>{L"1", L"9", L"1", L"2"}));
}

TEST(TableModelTest, FirstColumnSortFollowsTheLocaleComparison) {
    // The sort keys must order rows exactly as the locale's comparison does.
    const wchar_t* firsts[] = {L"Ёлка", L"елка", L"Елка", L"яблоко", L"Zeta", L"alpha", L"co-op",
                               L"coop", L"1",    L"10",   L"2",      L"_x",   L"ж",     L"Ж",
                               L"e",    L"é",    L"@",    L"a b",    L"ab"};
    std::wstring text = L"h\n";
    for (auto* f : firsts)
        (text += f) += L"\tv\n";
    TableModel t = tableOf(text);
    t.SortByFirstColumn();
    std::vector<std::wstring> got = column(t, 0);
    for (size_t i = 1; i < got.size(); ++i) {
        std::wstring a = got[i - 1] + L"@" + got[i - 1] + L"\r\nv\r\n\r\n\r\n\r\n\r\n";
        std::wstring b = got[i] + L"@" + got[i] + L"\r\nv\r\n\r\n\r\n\r\n\r\n";
        EXPECT_LE(compareNoCase(a, b), 0) << i;
    }
}

TEST(TableModelTest, QuickKeyComparisonAgreesWithTheLocale) {
    // Keys of the kind an inventory holds: Latin and Cyrillic letters, digits, dots, hyphens, blanks, "@".
    const std::wstring alphabet = L"aAbBcCzZ019.-_ \\@'ёжЖяé";
    std::mt19937 random(7);
    auto word = [&] {
        std::wstring w;
        std::size_t n = random() % 8;
        for (std::size_t i = 0; i < n; ++i)
            w += alphabet[random() % alphabet.size()];
        return w;
    };
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (int i = 0; i < 5000; ++i) {
        std::wstring common = word() + word(), a = common + word(), b = common + word();
        EXPECT_EQ(sign(compareSortKeys(a, b)), sign(compareNoCase(a, b))) << i;
    }
}

TEST(TableModelTest, FirstColumnSortOfRandomRowsIsTheLocaleOrderOfTheirKeys) {
    const std::wstring alphabet = L"aAbB019.-_ \\@'ёЖя";
    std::mt19937 random(11);
    auto cell = [&] {
        std::wstring w;
        for (std::size_t i = 0, n = random() % 5; i < n; ++i)
            w += alphabet[random() % alphabet.size()];
        return w;
    };
    std::wstring text = L"h\n";
    for (int r = 0; r < 400; ++r)
        text += L"Part" + cell() + L"\t" + cell() + L"\t" + cell() + L"\n";
    TableModel t = tableOf(text);
    t.SortByFirstColumn();
    auto key = [&](int r) {
        std::wstring k = std::wstring(t.cell(0, r)) + L"@";
        for (int c = 0; c < 6; ++c)
            (k += t.cell(c, r)) += L"\r\n";
        return k;
    };
    for (int r = 2; r < t.rowCount(); ++r)
        EXPECT_LE(compareNoCase(key(r - 1), key(r)), 0) << r;
}

// Both sorts against their plain definitions on a table large enough to be sorted in two halves: cells
// with long shared starts, equal keys in other cases, numbers ("7", "007", "-3") among texts, Cyrillic.
// The last column numbers the rows, so that the order of equal keys is checked too.
TEST(TableModelTest, SortsGiveTheOrderOfTheirPlainDefinitionsWithEqualKeysAsTheyStood) {
    std::mt19937 random(5);
    const std::wstring pieces[] = {L"C:\\Program Files\\Lib\\",
                                   L"part_",
                                   L"Part_",
                                   L"ЁЛКА",
                                   L"ёлка",
                                   L"а",
                                   L"Z",
                                   L"z",
                                   L"9",
                                   L"10",
                                   L"007",
                                   L"7",
                                   L"-3",
                                   L" 5",
                                   L".dll",
                                   L"@",
                                   L""};
    auto cell = [&] {
        std::wstring c;
        for (std::size_t i = 0, n = random() % 4; i < n; ++i)
            c += pieces[random() % std::size(pieces)];
        return c;
    };
    std::wstring text = L"h\n";
    // The second column's cells share a long start but for a few rows, the third's all of them.
    for (int r = 0; r < 21000; ++r)
        text += cell() + L"\t" + (r % 997 == 5 ? L"" : L"C:\\Program Files\\Lib\\") + cell() + L"\tPart_" +
                cell() + L"\tx\tx\t" + std::to_wstring(r) + L"\n";
    const TableModel original = tableOf(text);
    const std::span<const TableRow> rows = original.dataRows();
    auto orderOf = [](const TableModel& t) { return column(t, 5); };
    auto namesOf = [&](const std::vector<size_t>& order) {
        std::vector<std::wstring> names;
        for (size_t i : order)
            names.emplace_back(rows[i][5]);
        return names;
    };

    for (int col : {0, 1, 2}) {
        // All rows by lowered ANSI text, equal texts as they stood; then the numbers by value into the
        // places the numbers took.
        std::vector<size_t> order(rows.size());
        std::iota(order.begin(), order.end(), 0);
        std::vector<std::string> lowered;
        for (const TableRow& r : rows)
            lowered.push_back(lowerAnsiText(r[static_cast<size_t>(col)]));
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return lowered[a] < lowered[b]; });
        std::vector<size_t> places, numbers;
        for (size_t k = 0; k < order.size(); ++k)
            if (readWholeNumber(rows[order[k]][static_cast<size_t>(col)])) {
                places.push_back(k);
                numbers.push_back(order[k]);
            }
        // Equal values as they stood in the table.
        std::stable_sort(numbers.begin(), numbers.end(), [&](size_t a, size_t b) {
            long long x = *readWholeNumber(rows[a][static_cast<size_t>(col)]),
                      y = *readWholeNumber(rows[b][static_cast<size_t>(col)]);
            return x != y ? x < y : a < b;
        });
        for (size_t k = 0; k < places.size(); ++k)
            order[places[k]] = numbers[k];
        TableModel t = tableOf(text);
        t.SortByColumn(col);
        EXPECT_EQ(orderOf(t), namesOf(order)) << col;
    }
    {
        // A column of numbers only, equal values among them.
        std::wstring numbers = L"h\n";
        const std::wstring pool[] = {L"7", L"007", L"+7", L"-3", L" 5", L"10", L"0", L"-0"};
        for (int r = 0; r < 21000; ++r)
            numbers += pool[random() % std::size(pool)] + L"\t" + std::to_wstring(r) + L"\n";
        TableModel t = tableOf(numbers);
        t.SortByColumn(0);
        std::vector<std::pair<long long, int>> seen; // equal values, written alike or not, as they stood
        for (int r = 1; r < t.rowCount(); ++r)
            seen.emplace_back(*readWholeNumber(t.cell(0, r)), std::stoi(std::wstring(t.cell(1, r))));
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    }
    {
        // The first-column sort: the locale's order of the keys, case ignored, equal keys as they stood.
        // The row numbers are in the keys, so equal keys come from rows that differ only in case.
        std::wstring cased = L"h\n";
        for (int r = 0; r < 21000; ++r) {
            std::wstring first = cell(), second = cell();
            cased += first + L"\t" + second + L"\n";
        }
        const TableModel plain = tableOf(cased);
        const std::span<const TableRow> all = plain.dataRows();
        std::vector<std::wstring> keys;
        for (const TableRow& r : all) {
            std::wstring k = std::wstring(r[0]) + L"@";
            for (const auto& c : r)
                (k += c) += L"\r\n";
            keys.push_back(k);
        }
        std::vector<size_t> order(all.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return compareNoCase(keys[a], keys[b]) < 0; });
        std::vector<std::wstring> expected;
        for (size_t i : order)
            expected.push_back(std::wstring(all[i][0]) + L"\t" + std::wstring(all[i][1]));
        TableModel t = tableOf(cased);
        t.SortByFirstColumn();
        std::vector<std::wstring> got;
        for (int r = 1; r < t.rowCount(); ++r)
            got.push_back(std::wstring(t.cell(0, r)) + L"\t" + std::wstring(t.cell(1, r)));
        EXPECT_EQ(got, expected);
    }
}

TEST(TableModelTest, SearchStartsAtTheCurrentCellAndContinuesAtTheNextRow) {
    TableModel t = tableOf(L"key\tkey\nx\tKEY1\tkey2\nfoo\tbar\nlast key\n");
    EXPECT_EQ(t.FindInTable(L"key", {0, 0}, false), (CellPos{1, 1})); // the header is never searched
    EXPECT_EQ(t.FindInTable(L"key", {1, 1}, false),
              (CellPos{1, 1}));                                      // a new search includes the current cell
    EXPECT_EQ(t.FindInTable(L"key", {1, 1}, true), (CellPos{0, 3})); // skips "key2" further right
    EXPECT_FALSE(t.FindInTable(L"key", {0, 3}, true));               // no wrap-around
    EXPECT_EQ(t.FindInTable(L"БАР", {0, 1}, false), std::nullopt);
    TableModel c = tableOf(L"h\nПуть\n");
    EXPECT_EQ(c.FindInTable(L"пУТЬ", {0, 0}, false), (CellPos{0, 1}));
}

TEST(TableModelTest, CopyingThreeRowsGivesThreeTabSeparatedLines) {
    TableModel t = tableOf(L"h\na\t1\nb\t\tc\nd\ne\n");
    EXPECT_EQ(t.copyRows(1, 3), L"a\t1\t\t\t\t\r\nb\t \tc\t\t\t\r\nd\t\t\t\t\t\r\n");
    std::vector<int> advances;
    auto fitted = t.autoSizeWidths(2, advances, [](wchar_t ch) { return ch == L'a' ? 9 : 7; });
    EXPECT_EQ(fitted, (std::array<int, 6>{9 + 4, 7 + 4, 0, 0, 0, 0})); // "a", then " " (an empty field)
}

TEST(TableModelTest, ComparisonSeesDataRowsAndKeepsTheUnmatchedOnes) {
    // The placeholder row of a header-only file or a cleared table is no data.
    EXPECT_TRUE(tableOf(L"Имя файла:\tБайт:").dataRows().empty());
    TableModel cleared = tableOf(L"h\na\n");
    cleared.ClearTable();
    EXPECT_TRUE(cleared.dataRows().empty());
    // A data row with something in it is data, even a single blank.
    EXPECT_EQ(tableOf(L"h\n\t\n").dataRows().size(), 1u);

    TableModel t = tableOf(L"h\na\nb\nc\nd\n");
    ASSERT_EQ(t.dataRows().size(), 4u);
    EXPECT_EQ(t.dataRows()[0][0], L"a");
    t.keepDataRows({1, 3});
    EXPECT_EQ(column(t, 0), (std::vector<std::wstring>{L"b", L"d"}));
    EXPECT_EQ(t.cell(0, 0), L"h");
    // Nothing kept: the header row alone.
    t.keepDataRows({});
    ASSERT_EQ(t.rowCount(), 1);
    EXPECT_EQ(t.cell(0, 0), L"h");
    EXPECT_TRUE(t.dataRows().empty());
}

} // namespace
} // namespace kw
