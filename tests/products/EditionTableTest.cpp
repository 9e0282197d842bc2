// The ELEMLib edition table: the compiled-in data is whole and every row of it can be reached, lookups
// follow table order, and a damaged line costs only itself.
#include "products/EditionTable.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace kw {
namespace {

const std::vector<std::string> kComponents = {
    "ELEMLibClient.dll", "ELEMLibClient64.dll", "ELEMLibServer.dll", "ELEMLibServer64.dll", "ELEMLibBO.dll",
    "ELEMLibBO64.dll",   "elconv.dll",          "ELEMLibClient.exe", "elclient_mirtal.dll", "elIndexer.exe",
    "elImport.exe",      "elExport.exe",        "elutils.dll"};

std::string errorList(const EditionTable& table) {
    std::string text;
    for (const EditionTableError& e : table.errors())
        text += std::to_string(e.line) + ": " + e.message + "\n";
    return text;
}

// The label of a match, so that a missing one fails the comparison instead of the test program.
std::string labelOf(const EditionRow* row) {
    return row ? row->label : "(no row)";
}

std::vector<std::size_t> errorLines(const EditionTable& table) {
    std::vector<std::size_t> lines;
    for (const EditionTableError& e : table.errors())
        lines.push_back(e.line);
    return lines;
}

TEST(EditionTableBuiltIn, HoldsEveryComponentWithoutErrors) {
    const EditionTable& table = EditionTable::builtIn();
    EXPECT_TRUE(table.errors().empty()) << errorList(table);
    EXPECT_EQ(table.componentCount(), 13u);
    EXPECT_GE(table.size(), 200u);
    // Each row sits in the block of its own component: the blocks add up to the whole table.
    std::size_t rows = 0;
    for (const std::string& name : kComponents) {
        auto block = EditionTable::builtIn().rowsOf(name);
        EXPECT_FALSE(block.empty()) << name;
        for (const EditionRow& row : block)
            EXPECT_EQ(row.file, name);
        rows += block.size();
    }
    EXPECT_EQ(rows, table.size());
    EXPECT_EQ(&EditionTable::builtIn(), &table); // parsed once
}

TEST(EditionTableBuiltIn, FindsComponentsWithoutRegardToLetterCase) {
    const EditionTable& table = EditionTable::builtIn();
    auto block = table.rowsOf("ELEMLibClient.exe");
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(table.rowsOf("elemlibclient.exe").data(), block.data());
    EXPECT_EQ(table.rowsOf("ELEMLIBCLIENT.EXE").data(), block.data());
    const EditionRow& last = block.back();
    EXPECT_EQ(table.match("elemlibCLIENT.exe", last.size, last.version), &last);
}

// A row placed behind an earlier one that takes all its files (a "." row before an exact row of the same
// size, or a repeated row) would never be reported.
TEST(EditionTableBuiltIn, EveryRowCanBeReached) {
    const EditionTable& table = EditionTable::builtIn();
    for (const std::string& name : kComponents) {
        for (const EditionRow& row : table.rowsOf(name)) {
            std::string version = row.version == "." ? "" : row.version; // "" : a file without a version
            EXPECT_EQ(table.match(name, row.size, version), &row)
                << name << " " << row.version << " " << row.size;
        }
    }
}

TEST(EditionTableBuiltIn, SixtyFourBitRowsSayX64AndOnlyThey) {
    const EditionTable& table = EditionTable::builtIn();
    for (const std::string& name : kComponents) {
        bool twin = name.ends_with("64.dll");
        for (const EditionRow& row : table.rowsOf(name))
            EXPECT_EQ(row.label.ends_with(" x64"), twin) << name << ": " << row.label;
    }
}

// The table relies on order where one size stands for two editions: the exact version names one, the "."
// row below it catches every other copy of that size.
TEST(EditionTableBuiltIn, ExactRowBeforeAnyVersionRowOfTheSameSizeWins) {
    const EditionTable& table = EditionTable::builtIn();
    int pairs = 0;
    for (const std::string& name : kComponents) {
        auto block = table.rowsOf(name);
        for (std::size_t i = 0; i < block.size(); ++i) {
            if (block[i].version == ".")
                continue;
            for (std::size_t j = i + 1; j < block.size(); ++j) {
                if (block[j].version != "." || block[j].size != block[i].size)
                    continue;
                ++pairs;
                EXPECT_EQ(table.match(name, block[i].size, block[i].version), &block[i]);
                EXPECT_EQ(table.match(name, block[i].size, "1.0.0.1"), &block[j]);
                EXPECT_NE(block[i].label, block[j].label);
            }
        }
    }
    EXPECT_GE(pairs, 1);
}

const char kSmall[] = "# file\tversion\tsize\tlabel\n"
                      "A.dll\t2.3.188.0\t1000\tСИ 2.3 SP1\n"
                      "A.dll\t2.3.214.0\t1200\tСИ 2.3 SP2\n"
                      "A.dll\t.\t1200\tСИ 2.3 SP2, SP3\n"
                      "A.dll\t.\t1500\tСИ 2.4\n"
                      "A.dll\t2.4.300.0\t1500\tСИ 2.4 (never: the row above takes it)\n"
                      "\n"
                      "b.exe\t2.0.52.0\t9223372036854775807\tСИ 2.0\n";

TEST(EditionTableMatch, NeedsTheExactSizeAndVersion) {
    EditionTable table = EditionTable::parse(kSmall);
    ASSERT_TRUE(table.errors().empty()) << errorList(table);
    const EditionRow* row = table.match("A.dll", 1000, "2.3.188.0");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->label, "СИ 2.3 SP1");
    EXPECT_EQ(table.match("A.dll", 999, "2.3.188.0"), nullptr);
    EXPECT_EQ(table.match("A.dll", 1001, "2.3.188.0"), nullptr);
    EXPECT_EQ(table.match("A.dll", 1000, "2.3.188.1"), nullptr);
    EXPECT_EQ(table.match("A.dll", 1000, ""), nullptr);
    EXPECT_EQ(table.match("A.dll", 1000, "."), nullptr); // a file's version is never "any"
    ASSERT_NE(table.match("b.exe", std::numeric_limits<std::int64_t>::max(), "2.0.52.0"), nullptr);
}

TEST(EditionTableMatch, AnyVersionRowTakesEveryVersionOfItsSize) {
    EditionTable table = EditionTable::parse(kSmall);
    for (const char* version : {"2.3.226.0", "", "0.0.0.0"}) {
        const EditionRow* row = table.match("a.DLL", 1200, version);
        ASSERT_NE(row, nullptr) << version;
        EXPECT_EQ(row->label, "СИ 2.3 SP2, SP3");
    }
    EXPECT_EQ(table.match("A.dll", 1201, "2.3.226.0"), nullptr);
}

TEST(EditionTableMatch, FirstMatchingRowInTableOrderWins) {
    EditionTable table = EditionTable::parse(kSmall);
    EXPECT_EQ(labelOf(table.match("A.dll", 1200, "2.3.214.0")), "СИ 2.3 SP2"); // exact above "."
    EXPECT_EQ(labelOf(table.match("A.dll", 1500, "2.4.300.0")), "СИ 2.4");     // "." above exact
    EXPECT_EQ(table.match("A.dll", 1500, "2.4.300.0"), &table.rowsOf("A.dll")[3]);
}

TEST(EditionTableMatch, OtherNamesFindNothing) {
    EditionTable table = EditionTable::parse(kSmall);
    for (const char* name : {"", "A", "A.dl", "A.dll.bak", "xA.dll", "A.dll ", "c.exe"}) {
        EXPECT_TRUE(table.rowsOf(name).empty()) << name;
        EXPECT_EQ(table.match(name, 1000, "2.3.188.0"), nullptr) << name;
    }
    EXPECT_TRUE(EditionTable::builtIn().rowsOf("ELEMLib.dll").empty());
    EXPECT_EQ(EditionTable::builtIn().match("notepad.exe", 1000, "."), nullptr);
}

TEST(EditionTableParse, ReportsEachBadLineAndKeepsTheGoodRows) {
    const char text[] = "# header\n"                                         // 1
                        "a.dll\t2.0.52.0\t100\tСИ 2.0\n"                     // 2
                        "a.dll\t2.0.61.0\t110\n"                             // 3  three columns
                        "a.dll\t2.0.61.0\t110\tСИ 2.0 SP1\textra\n"          // 4  five columns
                        "a.dll\t2.0.61.0\t-110\tСИ 2.0 SP1\n"                // 5
                        "a.dll\t2.0.61.0\t+110\tСИ 2.0 SP1\n"                // 6
                        "a.dll\t2.0.61.0\t110 KB\tСИ 2.0 SP1\n"              // 7
                        "a.dll\t2.0.61.0\t9223372036854775808\tСИ 2.0 SP1\n" // 8  one past the 64-bit range
                        "a.dll\t2.0.61.0\t\tСИ 2.0 SP1\n"                    // 9
                        "\t2.0.61.0\t110\tСИ 2.0 SP1\n"                      // 10
                        "a.dll\t2.0.61.0\t110\t \n"                          // 11
                        "a.dll\t2.0.61\t110\tСИ 2.0 SP1\n"                   // 12
                        "a.dll\t2.0.61.0.1\t110\tСИ 2.0 SP1\n"               // 13
                        "a.dll\t2.0.061.0\t110\tСИ 2.0 SP1\n"    // 14 never equals a written version
                        "a.dll\t2.0.65536.0\t110\tСИ 2.0 SP1\n"  // 15
                        "a.dll\t2..61.0\t110\tСИ 2.0 SP1\n"      // 16
                        "a.dll\t*\t110\tСИ 2.0 SP1\n"            // 17
                        "a.dll\t\t110\tСИ 2.0 SP1\n"             // 18
                        "a.dll\t2.0.61.0\t110\tСИ 2.0 SP1\n"     // 19
                        "just words\n"                           // 20
                        "a.dll\t65535.0.0.0\t120\tСИ 2.0 SP2\n"; // 21
    EditionTable table = EditionTable::parse(text);
    EXPECT_EQ(errorLines(table),
              (std::vector<std::size_t>{3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 20}))
        << errorList(table);
    for (const EditionTableError& e : table.errors())
        EXPECT_FALSE(e.message.empty());
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table.componentCount(), 1u);
    auto rows = table.rowsOf("a.dll");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].version, "2.0.61.0");
    EXPECT_EQ(rows[1].size, 110);
    EXPECT_EQ(rows[1].label, "СИ 2.0 SP1");
}

TEST(EditionTableParse, ComponentRowsMustStayTogether) {
    const char text[] = "a.dll\t2.0.52.0\t100\tСИ 2.0\n"     // 1
                        "# a comment inside a block\n"       // 2
                        "\n"                                 // 3
                        "A.DLL\t2.0.61.0\t110\tСИ 2.0 SP1\n" // 4  same component, other case
                        "b.dll\t2.0.52.0\t200\tСИ 2.0\n"     // 5
                        "a.dll\t2.0.74.0\t120\tСИ 2.0 SP2\n" // 6  apart from its block
                        "a.dll\t2.1.90.0\t130\tСИ 2.1\n"     // 7  still apart
                        "b.dll\t2.0.61.0\t210\tСИ 2.0 SP1\n" // 8  b's block goes on
                        "c.dll\t2.0.52.0\t300\tСИ 2.0\n";    // 9
    EditionTable table = EditionTable::parse(text);
    EXPECT_EQ(errorLines(table), (std::vector<std::size_t>{6, 7})) << errorList(table);
    EXPECT_NE(table.errors().at(0).message.find("line 4"), std::string::npos) << errorList(table);
    EXPECT_EQ(table.componentCount(), 3u);
    EXPECT_EQ(table.size(), 5u);
    EXPECT_EQ(table.rowsOf("a.dll").size(), 2u);
    EXPECT_EQ(table.rowsOf("b.dll").size(), 2u);
    EXPECT_EQ(table.match("a.dll", 120, "2.0.74.0"), nullptr);
    EXPECT_EQ(labelOf(table.match("b.dll", 210, "2.0.61.0")), "СИ 2.0 SP1");
}

// A table saved by a Windows editor: byte-order mark, CR LF, stray spaces around columns, no final line
// break. None of it may reach a label or a version.
TEST(EditionTableParse, ReadsWindowsEditorText) {
    EditionTable table = EditionTable::parse("\xEF\xBB\xBF# header\r\n"
                                             "ELEMLibBO.dll\t2.2.118.0\t4773480\tСИ 2.2 x86\r\n"
                                             "\r\n"
                                             "ELEMLibBO.dll \t 2.2.131.0\t4868744 \tСИ 2.2 SP1 x86 \r\n"
                                             "elconv.dll\t.\t906000\tСИ 2.2");
    ASSERT_TRUE(table.errors().empty()) << errorList(table);
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(labelOf(table.match("ELEMLibBO.dll", 4773480, "2.2.118.0")), "СИ 2.2 x86");
    const EditionRow* second = table.match("elemlibbo.dll", 4868744, "2.2.131.0");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->file, "ELEMLibBO.dll");
    EXPECT_EQ(second->label, "СИ 2.2 SP1 x86");
    EXPECT_EQ(labelOf(table.match("elconv.dll", 906000, "2.2.118.0")), "СИ 2.2");
}

} // namespace
} // namespace kw
