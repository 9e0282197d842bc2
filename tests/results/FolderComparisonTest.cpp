// Two whole results compared topic by topic, in real folders of the test's own temporary directory; the
// reports and the rich-text reading they rely on.
#include "results/FolderComparison.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "platform/Text.h"
#include "platform/WinHandle.h"
#include "results/ComparisonReport.h"
#include "results/HeldFiles.h"
#include "results/ResultTree.h"
#include "results/RichTextPlain.h"
#include "tests/TempFolder.h"

namespace kw {
namespace {

constexpr const char* kInventoryHeader = "Имя файла:\tБайт:\tДата:\tВерсия:\tmd5\tПуть:\r\n";

class TwoResults {
  public:
    explicit TwoResults(const std::string& name = "result")
        : folder1_(test::tempDir() + name + "1"), folder2_(test::tempDir() + name + "2") {
        files_.createFolder(folder1_);
        files_.createFolder(folder2_);
    }
    // The bytes are stored as given: UTF-8 literals stand for UTF-8 files only where a BOM says so.
    void put(int side, const std::string& file, const std::string& bytes) {
        test::writeFileBytes((side == 1 ? folder1_ : folder2_) + "\\" + file, bytes);
    }
    void putBoth(const std::string& file, const std::string& bytes) {
        put(1, file, bytes);
        put(2, file, bytes);
    }
    std::string path(int side, const std::string& file) const {
        return (side == 1 ? folder1_ : folder2_) + "\\" + file;
    }
    FolderComparison compare(const CompareOptions& o = {},
                             const std::function<bool(int, int)>& progress = {}) {
        return compareFolders(files_, folder1_, folder2_, o, progress);
    }

  private:
    FileSystem& files_ = windowsFileSystem();
    std::string folder1_, folder2_;
};

const TopicComparison& rowOf(const FolderComparison& c, std::string_view file) {
    for (const TopicComparison& r : c.rows)
        if (r.file.rfind(file, 0) == 0)
            return r;
    throw std::runtime_error("no row for " + std::string(file));
}

std::string ansi(const std::string& utf8) {
    return utf8ToAnsi(utf8);
}

TEST(FolderComparisonTest, TopicsOnOneSideOnlyCountTheirLinesAndAnEmptyFileIsStillThere) {
    TwoResults r;
    r.put(1, "software.txt", ansi("Windows 7\r\nДомен: WORKGROUP\r\nАдминистратор\r\n"));
    r.put(2, "hardware.txt", "");
    r.put(2, "(MIRTAL_Bin)Files.csv", ansi(kInventoryHeader) + "a.dll\t1\t \t00\tab\tC:\\TAVIR\\X\\\r\n");
    FolderComparison c = r.compare();
    ASSERT_EQ(c.rows.size(), 3u);
    EXPECT_FALSE(c.stopped);

    const TopicComparison& software = rowOf(c, "software.txt");
    EXPECT_EQ(software.state, TopicState::OnlyIn1);
    EXPECT_EQ(software.left1, 3u);
    EXPECT_EQ(software.path, "Параметры программного обеспечения");
    EXPECT_EQ(resultTree()[static_cast<size_t>(software.node)].file, "software.txt");

    const TopicComparison& hardware = rowOf(c, "hardware.txt");
    EXPECT_EQ(hardware.state, TopicState::OnlyIn2);
    EXPECT_EQ(hardware.left2, 0u);

    const TopicComparison& inventory = rowOf(c, "(MIRTAL_Bin)Files.csv");
    EXPECT_EQ(inventory.state, TopicState::OnlyIn2);
    EXPECT_EQ(inventory.left2, 1u); // the header is no row
    EXPECT_EQ(inventory.path, "МИРТАЛ-3D > МИРТАЛ-3D MCAD/AEC > Список файлов [MIRTAL-3D Vxx\\Bin]");
}

TEST(FolderComparisonTest, IdenticalFoldersAreTheSameInEveryTopic) {
    TwoResults r;
    r.putBoth("software.txt", ansi("Windows 7\r\nДомен: WORKGROUP\r\n"));
    r.putBoth("(REG)HKLM_TAVIR.txt", std::string("\xFF\xFE"
                                                 "[\0H\0]\0\r\0\n\0",
                                                 10)); // a UTF-16 export
    r.putBoth("(cmd)ipconfig_all.txt", "\x80\xa4\xa0\xaf\xe2\xa5\xe0\r\n");
    r.putBoth("(MIRTAL_Bin)Files.csv", ansi(kInventoryHeader) + "a.dll\t1\t \t00\tab\tC:\\TAVIR\\X\\\r\n");
    r.putBoth("TAVIR_Sync.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}}\\f0 Sync\\par}");
    r.putBoth("KW_Scan!.txt", "");
    FolderComparison c = r.compare();
    ASSERT_EQ(c.rows.size(), 6u);
    for (const TopicComparison& row : c.rows) {
        EXPECT_EQ(row.state, TopicState::Same) << row.file;
        EXPECT_EQ(stateText(row.state), "совпадают");
        EXPECT_EQ(row.left1 + row.left2, 0u);
    }
    // In tree order.
    for (size_t i = 1; i < c.rows.size(); ++i)
        EXPECT_LT(c.rows[i - 1].node, c.rows[i].node);
}

TEST(FolderComparisonTest, ChangedTopicsComeFirstWithWhatIsLeftOfEachSide) {
    TwoResults r;
    r.putBoth("software.txt", "same\r\n");
    r.put(1, "(REG)HKLM_TAVIR.txt", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR]\r\n\"Path\"=\"C:\\\\TAVIR\"\r\n");
    r.put(2, "(REG)HKLM_TAVIR.txt", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR]\r\n\"Path\"=\"D:\\\\TAVIR\"\r\n");
    r.putBoth("PCrypt.ini", "[Main]\r\nKey=1\r\n");
    const std::string header = ansi(kInventoryHeader);
    r.put(1, "(MIRTAL_Bin)Files.csv",
          header + "a.dll\t100\t \t1.0\taa11\tC:\\TAVIR\\MIRTAL\\Bin\\\r\n"
                   "b.dll\t200\t \t1.0\tbb22\tC:\\TAVIR\\MIRTAL\\Bin\\\r\n");
    r.put(2, "(MIRTAL_Bin)Files.csv",
          header + "a.dll\t100\t \t1.0\taa11\tD:\\TAVIR\\MIRTAL\\Bin\\\r\n"
                   "b.dll\t200\t \t1.0\tbb23\tD:\\TAVIR\\MIRTAL\\Bin\\\r\n"
                   "c.dll\t300\t \t1.0\tcc33\tD:\\TAVIR\\MIRTAL\\Bin\\\r\n");
    FolderComparison c = r.compare();
    ASSERT_EQ(c.rows.size(), 4u);
    EXPECT_EQ(c.rows[0].file, "(REG)HKLM_TAVIR.txt");
    EXPECT_EQ(c.rows[0].state, TopicState::Different);
    EXPECT_EQ(c.rows[0].left1, 1u);
    EXPECT_EQ(c.rows[0].left2, 1u);
    EXPECT_EQ(c.rows[1].file, "(MIRTAL_Bin)Files.csv");
    EXPECT_EQ(c.rows[1].state, TopicState::Different);
    EXPECT_EQ(c.rows[1].left1, 1u);
    EXPECT_EQ(c.rows[1].left2, 2u);
    EXPECT_EQ(c.rows[2].file, "software.txt");
    EXPECT_EQ(c.rows[3].file, "PCrypt.ini");
    EXPECT_EQ(c.rows[3].state, TopicState::Same);

    // Without md5 the changed sum no longer counts.
    FolderComparison noMd5 = r.compare({true, Md5Rule::Ignore});
    EXPECT_EQ(rowOf(noMd5, "(MIRTAL_Bin)Files.csv").left1, 0u);
    EXPECT_EQ(rowOf(noMd5, "(MIRTAL_Bin)Files.csv").left2, 1u);
}

TEST(FolderComparisonTest, ATableTopicIsReadAsATableWhateverTheFileHolds) {
    TwoResults r;
    r.put(1, "(COD)Files.csv",
          ansi(kInventoryHeader) +
              "a.dll\t1\t \t00\tab\tC:\\TAVIR\\X\\\r\nb.dll\t1\t \t00\tab\tC:\\TAVIR\\X\\\r\n");
    r.put(2, "(COD)Files.csv", ansi("Не таблица, одна строка текста\r\n"));
    const TopicComparison& row = rowOf(r.compare(), "(COD)Files.csv");
    EXPECT_EQ(row.state, TopicState::Different);
    EXPECT_EQ(row.left1, 2u);
    EXPECT_EQ(row.left2, 0u); // a single line is the header
}

TEST(FolderComparisonTest, ConsoleOutputIsComparedAfterTheOemConversion) {
    TwoResults r;
    // "Адаптер" as ipconfig writes it (code page 866) and as a UTF-8 file: the same once converted.
    r.put(1, "(cmd)ipconfig_all.txt", "\x80\xa4\xa0\xaf\xe2\xa5\xe0\r\n");
    r.put(2, "(cmd)ipconfig_all.txt",
          "\xEF\xBB\xBF"
          "Адаптер\r\n");
    // The same bytes in a text topic are read in the ANSI code page, where they say something else.
    r.put(1, "software.txt", "\x80\xa4\xa0\xaf\xe2\xa5\xe0\r\n");
    r.put(2, "software.txt",
          "\xEF\xBB\xBF"
          "Адаптер\r\n");
    FolderComparison c = r.compare();
    EXPECT_EQ(rowOf(c, "(cmd)ipconfig_all.txt").state, TopicState::Same);
    EXPECT_EQ(rowOf(c, "software.txt").state, TopicState::Different);
}

TEST(FolderComparisonTest, RichTextIsComparedByItsText) {
    TwoResults r;
    // The same two lines, once in colour and bold with a Unicode escape, once plain.
    r.put(1, "TAVIR_Sync.rtf",
          "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset204 Tahoma;}}{\\colortbl "
          ";\\red0\\green0\\blue255;}\r\n"
          "\\cf1\\b \\'cf\\'f0\\'e8\\'eb\\'ee\\'e6\\'e5\\'ed\\'e8\\'e5\\b0\\par\r\nSync\\par\r\n}");
    r.put(2, "TAVIR_Sync.rtf",
          "{\\rtf1\\ansi{\\*\\generator Msftedit;}\\uc1\\u1055?\\u1088?\\u1080?"
          "\\u1083?\\u1086?\\u1078?\\u1077?\\u1085?\\u1080?\\u1077?\\par Sync\\par}");
    r.put(1, "TAVIR_BPM.rtf", "{\\rtf1 One\\par Two\\par}");
    r.put(2, "TAVIR_BPM.rtf", "{\\rtf1 One\\par Three\\par}");
    FolderComparison c = r.compare();
    EXPECT_EQ(rowOf(c, "TAVIR_Sync.rtf").state, TopicState::Same);
    const TopicComparison& bpm = rowOf(c, "TAVIR_BPM.rtf");
    EXPECT_EQ(bpm.state, TopicState::Different);
    EXPECT_EQ(bpm.left1, 1u);
    EXPECT_EQ(bpm.left2, 1u);
}

TEST(FolderComparisonTest, RichTextReaderKeepsTheTextAndDropsTheRest) {
    EXPECT_EQ(richTextToPlain("{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}}{\\colortbl ;\\red0\\green0\\blue0;}"
                              "{\\*\\generator Riched20;}\\pard a\\tab b\\par\r\nc\\line d}"),
              L"a\tb\r\nc\r\nd");
    EXPECT_EQ(richTextToPlain("{\\rtf1 \\{x\\}\\\\ {\\b bold} \\'e0\\'e1}"), L"{x}\\ bold аб");
    // \ucN: how many fallback characters follow each \uN; \uN below zero is a unit above 32767.
    EXPECT_EQ(richTextToPlain("{\\rtf1 \\uc2\\u8364 EU x\\uc0\\u-3 y}"), L"\u20AC x\uFFFDy");
    EXPECT_EQ(richTextToPlain("{\\rtf1 {\\pict\\pngblip 89504e47}after\\bin3 {}}z}"), L"afterz");
    EXPECT_EQ(richTextToPlain(""), L"");
}

TEST(FolderComparisonTest, AFileThatCannotBeReadIsDifferentAndSaysWhere) {
    TwoResults r;
    r.putBoth("PCrypt.ini", "[Main]\r\n");
    r.put(1, "MasterCache.ini", "[Cache]\r\n");
    // Held open by another program that shares nothing.
    FileHandle held(CreateFileW(toWide(r.path(1, "PCrypt.ini")).c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    FileHandle held1(CreateFileW(toWide(r.path(1, "MasterCache.ini")).c_str(), GENERIC_READ, 0, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held && held1);
    FolderComparison c = r.compare();
    const TopicComparison& locked = rowOf(c, "PCrypt.ini");
    EXPECT_EQ(locked.state, TopicState::Different);
    EXPECT_EQ(locked.file, "PCrypt.ini (не удалось прочитать в (1))");
    EXPECT_EQ(locked.left1, 0u);
    EXPECT_EQ(locked.left2, 1u);
    const TopicComparison& lockedAlone = rowOf(c, "MasterCache.ini");
    EXPECT_EQ(lockedAlone.state, TopicState::OnlyIn1);
    EXPECT_EQ(lockedAlone.left1, 0u);
}

// A file too large to hold (a package's gigabytes of zeros, say) is compared piece by piece: the same
// bytes are the same topic, other bytes a differing one that says why it shows no lines.
TEST(FolderComparisonTest, AFileTooLargeToHoldIsComparedByItsBytes) {
    TwoResults r("large");
    std::string big(static_cast<size_t>(kHeldTextBytes) + 1, 'a');
    r.putBoth("(cmd)set.txt", big);
    big.back() = 'b';
    r.put(1, "(cmd)systeminfo.txt", big);
    big.back() = 'c';
    r.put(2, "(cmd)systeminfo.txt", big);
    big.clear();
    FolderComparison c = r.compare();
    EXPECT_EQ(rowOf(c, "(cmd)set.txt").state, TopicState::Same);
    const TopicComparison& changed = rowOf(c, "(cmd)systeminfo.txt");
    EXPECT_EQ(changed.state, TopicState::Different);
    EXPECT_NE(changed.file.find("слишком велик для построчного сравнения: 65 МБ в (1), 65 МБ в (2)"),
              std::string::npos)
        << changed.file;
}

TEST(FolderComparisonTest, StopEndsBetweenTopicsAndInsideABigTable) {
    TwoResults r;
    r.putBoth("software.txt", "a\r\n");
    r.putBoth("hardware.txt", "b\r\n");
    r.putBoth("(REG)BIOS.txt", "c\r\n");
    const auto topics = std::count_if(resultTree().begin(), resultTree().end(),
                                      [](const ResultNode& n) { return n.kind != ViewKind::Category; });
    int lastTotal = 0;
    FolderComparison between = r.compare({}, [&](int done, int total) {
        lastTotal = total;
        return done < 150; // the first three topics of the tree with files lie well before it
    });
    EXPECT_TRUE(between.stopped);
    EXPECT_EQ(between.rows.size(), 3u);
    EXPECT_EQ(lastTotal, topics);

    // The first topic, the findings, is in neither folder; software.txt comes second.
    FolderComparison early = r.compare({}, [](int done, int) { return done < 2; });
    EXPECT_TRUE(early.stopped);
    ASSERT_EQ(early.rows.size(), 1u);
    EXPECT_EQ(early.rows[0].file, "software.txt");

    std::string table = ansi(kInventoryHeader);
    for (int i = 0; i < 20000; ++i)
        ((table += 'f') += std::to_string(i)) += ".dll\t1\t \t00\tab\tC:\\TAVIR\\X\\\r\n";
    TwoResults big("big");
    big.putBoth("(MIRTAL_Bin)Files.csv", table);
    int calls = 0, callsWhenStopped = 0;
    FolderComparison inside = big.compare({}, [&](int, int) {
        if (++calls < 4)
            return true;
        callsWhenStopped = calls;
        return false;
    });
    EXPECT_TRUE(inside.stopped);
    EXPECT_TRUE(inside.rows.empty()); // the topic it was stopped in is not reported half done
    EXPECT_EQ(callsWhenStopped, calls);
}

TEST(FolderComparisonTest, ReportsListTheRowsInTheAnsiCodePage) {
    FolderComparison c;
    c.rows.push_back({3, "Параметры > BIOS", "(REG)BIOS.txt", TopicState::Different, 2, 1});
    c.rows.push_back({0, "Параметры программного обеспечения", "software.txt", TopicState::OnlyIn2, 0, 12});
    const std::string tsv = comparisonReportTsv(c);
    EXPECT_EQ(tsv, "\xd0\xe0\xe7\xe4\xe5\xeb\t\xd4\xe0\xe9\xeb\t\xd1\xee\xf1\xf2\xee\xff\xed\xe8\xe5\t"
                   "\xce\xf1\xf2\xe0\xeb\xee\xf1\xfc \xe2 (1)\t\xce\xf1\xf2\xe0\xeb\xee\xf1\xfc \xe2 (2)\r\n"
                   "\xcf\xe0\xf0\xe0\xec\xe5\xf2\xf0\xfb > BIOS\t(REG)BIOS.txt\t"
                   "\xf0\xe0\xe7\xeb\xe8\xf7\xe0\xfe\xf2\xf1\xff\t2\t1\r\n"
                   "\xcf\xe0\xf0\xe0\xec\xe5\xf2\xf0\xfb \xef\xf0\xee\xe3\xf0\xe0\xec\xec\xed\xee\xe3\xee "
                   "\xee\xe1\xe5\xf1\xef\xe5\xf7\xe5\xed\xe8\xff\tsoftware.txt\t\xf2\xee\xeb\xfc\xea\xee "
                   "\xe2 (2)\t0\t12\r\n");
    // The rich text holds the same lines.
    const std::string rtf = comparisonReportRtf(c);
    EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
    EXPECT_EQ(richTextToPlain(rtf), toWide(ansiToUtf8(tsv)));
}

} // namespace
} // namespace kw
