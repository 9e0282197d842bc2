// The findings through KW_Scan.exe itself: the demo machine with a mixed CAD update and a missing PLM
// database yields those findings beside the ones the demo and the prefix cause anyway; "check" tells by its
// exit code; an opened package shows them first, and a double click leads to the source topic.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <set>

#include "platform/Cabinet.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "results/RichTextPlain.h"
#include "tests/TempFolder.h"
#include "tests/e2e/RunningProgram.h"
#include "viewer/ViewerIds.h"

namespace kw {
namespace {

const std::string kMirtalExe = "C:\\Program Files\\TAVIR\\MIRTAL-3D v21\\Bin\\MIRTAL.Exe";
const std::string kPtMdb = "C:\\TAVIR Data\\COD\\Settings\\PT\\PT.mdb";

// The two problems, planted for one run and taken out again whatever the test met: the CAD program file
// replaced by a program of another version (an update that stopped halfway), the technologist's database
// moved away. Both originals wait beside their places under ".kw", so that a test run killed halfway
// leaves nothing the next one cannot put right.
class PlantedProblems {
  public:
    PlantedProblems() {
        putBack();
        std::string self = windowsFileSystem().programPath();
        std::string other =
            test::readFileBytes(self.substr(0, self.rfind('\\') + 1) + "kw_fixture_versioned.exe");
        planted_ = !other.empty() &&
                   CopyFileW(toWide(kMirtalExe).c_str(), aside(kMirtalExe).c_str(), FALSE) &&
                   MoveFileW(toWide(kPtMdb).c_str(), aside(kPtMdb).c_str());
        if (planted_)
            test::writeFileBytes(kMirtalExe, other);
    }
    ~PlantedProblems() { putBack(); }
    bool planted() const { return planted_; }

  private:
    static std::wstring aside(const std::string& path) { return toWide(path + ".kw"); }
    static void putBack() {
        for (const std::string& path : {kMirtalExe, kPtMdb})
            if (GetFileAttributesW(aside(path).c_str()) != INVALID_FILE_ATTRIBUTES)
                MoveFileExW(aside(path).c_str(), toWide(path).c_str(), MOVEFILE_REPLACE_EXISTING);
    }

    bool planted_ = false;
};

struct Row {
    std::string code, importance, source;
};

std::vector<Row> readFindings(const std::string& path, std::string& header) {
    std::vector<Row> rows;
    for (const std::string& line : test::linesOf(ansiToUtf8(test::readFileBytes(path)))) {
        if (header.empty()) {
            header = line;
            continue;
        }
        std::vector<std::string> cells;
        size_t from = 0;
        for (size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
            cells.push_back(line.substr(from, tab - from));
        cells.push_back(line.substr(from));
        if (cells.size() == 5)
            rows.push_back({cells[0], cells[1], cells[4]});
    }
    return rows;
}

TEST(FindingsEndToEndTest, PlantedProblemsAreFoundCheckedAndShownFirst) {
    copyDemoTempFiles();
    std::string packages = test::tempDir() + "packages";
    {
        PlantedProblems problems;
        ASSERT_TRUE(problems.planted());
        ASSERT_EQ(runToEnd("fullin \"" + packages + "\""), 0u);
    }
    std::string package = onlyPackageIn(packages);
    ASSERT_FALSE(package.empty());
    // The run wrote its findings before the package was made, and told them in the event log.
    std::string unpacked = test::tempDir() + "unpacked";
    windowsFileSystem().createFolder(unpacked);
    ExtractedCabinet members;
    ASSERT_FALSE(extractCabinet(package, unpacked, {}, members));
    std::string inPackage;
    EXPECT_FALSE(readFindings(unpacked + "\\KW_Findings.csv", inPackage).empty());
    std::string log = toUtf8(richTextToPlain(test::readFileBytes(unpacked + "\\KW_Scan!.rtf")));
    EXPECT_NE(log.find("Найденные проблемы ("), std::string::npos);
    EXPECT_NE(log.find("    P01 ошибка: "), std::string::npos);

    // "check" writes the same table the run put into the package.
    std::string report = test::tempDir() + "находки.txt";
    EXPECT_EQ(runToEnd("check \"" + package + "\" \"" + report + "\""), 1u);
    std::string header;
    std::vector<Row> rows = readFindings(report, header);
    EXPECT_EQ(header, "Код:\tВажность:\tПроблема:\tЧто сделать:\tИсточник:");
    // The system rules depend on the prefix (its disks, memory, rights); of the products' rules exactly these
    // speak: the two planted problems, the viewer the demo machine left registered without its folder, and
    // (where the demo has it: on 64-bit Windows) its standard-parts library that misses its edition by a
    // byte.
    std::set<std::string> products,
        expected{"C01 (REG)HKLM_MIRTAL-3D_Viewer.txt", "C02 (MIRTAL_Bin)Files.csv", "P01 (REG)Peltrand.txt"};
    if (sixtyFourBitWindows())
        expected.insert("E01 (ELEMLib_Clients)Files.csv");
    for (const Row& r : rows)
        if (r.code[0] != 'S')
            products.insert(r.code + " " + r.source);
    EXPECT_EQ(products, expected);
    auto rank = [](const std::string& importance) {
        return importance == "ошибка" ? 0 : importance == "предупреждение" ? 1 : 2;
    };
    for (size_t i = 1; i < rows.size(); ++i) // the most important first
        EXPECT_LE(rank(rows[i - 1].importance), rank(rows[i].importance)) << rows[i].code;

    // A package cut off in its middle cannot be read: exit code 2, and no report.
    std::string bytes = test::readFileBytes(package);
    ASSERT_GT(bytes.size(), 4096u);
    bytes.resize(bytes.size() / 2);
    std::string damaged = test::tempDir() + "damaged.cab", damagedReport = test::tempDir() + "damaged.txt";
    test::writeFileBytes(damaged, bytes);
    EXPECT_EQ(runToEnd("check \"" + damaged + "\" \"" + damagedReport + "\""), 2u);
    EXPECT_FALSE(test::fileExists(damagedReport));
    // A sound cabinet of another program is no package either.
    std::string readme = test::tempDir() + "readme.txt", foreign = test::tempDir() + "foreign.cab";
    test::writeFileBytes(readme, "not a run");
    ASSERT_FALSE(writeCabinet(foreign, {{readme, "readme.txt"}}, "X"));
    EXPECT_EQ(runToEnd("check \"" + foreign + "\" \"" + damagedReport + "\""), 2u);
    EXPECT_FALSE(test::fileExists(damagedReport));

    // Opened into side 1: the first node shows the findings as a table, and a double click on the first row
    // selects its source topic.
    Child c = start("\"" + package + "\"");
    ASSERT_TRUE(c.process);
    HWND w = nullptr, tree = nullptr;
    ASSERT_TRUE(waitFor(
        [&] {
            w = mainWindowOf(c.id);
            HWND caption = w ? descendant(w, viewer_id::kCaption1) : nullptr;
            tree = w ? descendant(w, viewer_id::kTree) : nullptr;
            return caption && IsWindowVisible(caption) &&
                   test::fileExists(test::tempDir() + "KW_Temp\\KW_Findings.csv");
        },
        60000));
    std::string opened;
    EXPECT_EQ(readFindings(test::tempDir() + "KW_Temp\\KW_Findings.csv", opened).size(), rows.size());
    HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(root));
    HWND grid = descendant(w, viewer_id::kTable1), text = descendant(w, viewer_id::kText1);
    EXPECT_TRUE(IsWindowVisible(grid));
    SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 25)); // the first data row
    SendMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(10, 25));
    SendMessageW(grid, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 25));
    EXPECT_NE(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0), reinterpret_cast<LRESULT>(root));
    // The source of the first row: a table shows in the grid, any other file in the text view.
    ASSERT_FALSE(rows.empty());
    const std::string& source = rows[0].source;
    if (source.ends_with(".csv")) {
        EXPECT_TRUE(IsWindowVisible(grid)) << source;
    } else {
        EXPECT_TRUE(IsWindowVisible(text)) << source;
        EXPECT_EQ(windowText(text).find("не найден"), std::string::npos) << source;
    }
    PostMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(c.process.get(), 30000), WAIT_OBJECT_0);
}

} // namespace
} // namespace kw
