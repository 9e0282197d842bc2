#include "core/FileInventory.h"

#include <windows.h>

#include <winioctl.h>

#include <map>

#include "platform/Digest.h"
#include "platform/WinHandle.h"
#include "tests/core/PrimitivesTest.h"

namespace kw {
namespace {

using test::crlfLines;

std::string fixtureProgram() {
    std::string self = windowsFileSystem().programPath();
    return self.substr(0, self.rfind('\\') + 1) + "kw_fixture_versioned.exe";
}

std::vector<std::string> cells(const std::string& row) {
    std::vector<std::string> out(1);
    for (char c : row)
        if (c == '\t')
            out.emplace_back();
        else
            out.back().push_back(c);
    return out;
}

class FileInventoryTest : public test::PrimitivesTest {
  protected:
    std::string tree;
    void SetUp() override {
        PrimitivesTest::SetUp();
        tree = scratch("tree");
    }
    std::vector<std::string> table(const std::string& name) {
        return crlfLines(workText("(" + name + ")Files.csv"));
    }
    std::string date(const std::string& path) {
        LocalTime t = windowsFileSystem().fileDate(path).value();
        return dateTimeText(windowsSystemInfo(), t.year, t.month, t.day, t.hour, t.minute, t.second);
    }
};

TEST_F(FileInventoryTest, EmptyFolderGivesTheHeaderAndStartsThePermissionsDump) {
    FileInventory(run).InventoryFolder(tree, "E");
    EXPECT_EQ(test::readFileBytes(work("(E)Files.csv")), utf8ToAnsi(std::string(kInventoryHeader) + "\r\n"));
    EXPECT_EQ(log(), (std::vector<std::string>{"Список файлов E в папке [" + tree + "] ---> \"(E)Files.csv\"",
                                               "Список безопасности: \"" + tree + "\" > (cmd)(E)cacls.txt"}));
    run.waitForConsoleProcesses();
    EXPECT_TRUE(inWork("(cmd)(E)cacls.txt")); // Wine's cacls prints nothing, but the file is made

    FileInventory(run).InventoryFolder(tree + "missing", "M");
    EXPECT_TRUE(logHas("[-] Не могу получить список файлов M, каталог [" + tree + "missing] не найден."));
    EXPECT_FALSE(inWork("(M)Files.csv"));
}

TEST_F(FileInventoryTest, RowsWithSizesDatesVersionsAndMd5) {
    test::writeFileBytes(tree + "abc.txt", "abc");
    test::writeFileBytes(tree + "empty.dat", "");
    windowsFileSystem().createFolder(tree + "Sub дир");
    test::writeFileBytes(tree + "Sub дир\\x.bin", std::string(300000, 'x'));
    ASSERT_TRUE(CopyFileW(toWide(fixtureProgram()).c_str(), toWide(tree + "Sub дир\\v.exe").c_str(), FALSE));
    options.set(Option::Md5, true);
    std::string noSlash = tree.substr(0, tree.size() - 1);
    FileInventory(run).InventoryFolder(noSlash, "T");

    auto rows = table("T");
    ASSERT_EQ(rows.size(), 5u);
    std::map<std::string, std::vector<std::string>> byName;
    for (size_t i = 1; i < rows.size(); ++i)
        byName[cells(rows[i])[0]] = cells(rows[i]);
    // md5sum of the same bytes
    EXPECT_EQ(byName["abc.txt"], (std::vector<std::string>{"abc.txt", "3", date(tree + "abc.txt"), "",
                                                           "900150983CD24FB0D6963F7D28E17F72", tree}));
    EXPECT_EQ(byName["empty.dat"][4], "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(byName["x.bin"][4], "D408ED46EBCC326F9E7C6BB9C77AF1CD");
    EXPECT_EQ(byName["x.bin"][5], tree + "Sub дир\\");
    EXPECT_EQ(byName["v.exe"][3], "1.2.3.4");
    EXPECT_EQ(FileVersionTextOrZero(windowsFileSystem(), tree + "Sub дир\\v.exe"), "5.6.7.8");
    EXPECT_EQ(FileVersionTextOrZero(windowsFileSystem(), tree + "abc.txt"), "00");

    // The subfolder's rows stand together where the walk met the subfolder.
    size_t sub = 0;
    for (size_t i = 1; i < rows.size(); ++i)
        if (cells(rows[i])[5] != tree)
            sub = sub ? sub : i;
    EXPECT_EQ(cells(rows[sub + 1])[5], tree + "Sub дир\\");

    options.set(Option::Md5, false);
    FileInventory(run).InventoryFolder(noSlash, "T");
    for (size_t i = 1; i < table("T").size(); ++i)
        EXPECT_EQ(cells(table("T")[i])[4], "00");
}

// The row of every file as the table had it when each file was asked apart: its size and date from the
// open file, its version from the version functions (for files that start with "MZ"), its MD5 from the
// system's provider. Program files with and without version resources, one whose resources are too
// large to keep, a damaged one, and files that span several read blocks.
TEST_F(FileInventoryTest, RowsEqualThoseOfFilesAskedOneByOne) {
    FileSystem& files = windowsFileSystem();
    std::string system = files.specialFolder(kCsidlSystem) + "\\";
    for (const char* name : {"kernel32.dll", "shell32.dll", "user32.dll", "msxml3.dll", "notepad.exe"})
        ASSERT_TRUE(CopyFileW(toWide(system + name).c_str(), toWide(tree + name).c_str(), FALSE)) << name;
    ASSERT_TRUE(CopyFileW(toWide(fixtureProgram()).c_str(), toWide(tree + "v.exe").c_str(), FALSE));
    // This test program: built without resources.
    ASSERT_TRUE(CopyFileW(toWide(files.programPath()).c_str(), toWide(tree + "plain.exe").c_str(), FALSE));
    std::string fixture = test::readFileBytes(fixtureProgram());
    test::writeFileBytes(tree + "cut.dll", fixture.substr(0, fixture.size() - 200));
    test::writeFileBytes(tree + "MZ.txt", "MZ is no program");
    std::string big(3 << 20, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 2654435761u >> 13);
    test::writeFileBytes(tree + "big.bin", big);
    test::writeFileBytes(tree + "empty.txt", "");
    options.set(Option::Md5, true);
    FileInventory(run).InventoryFolder(tree, "A");

    auto rows = table("A");
    ASSERT_EQ(rows.size(), 12u);
    for (size_t i = 1; i < rows.size(); ++i) {
        std::string name = cells(rows[i])[0], path = tree + name;
        std::string bytes = test::readFileBytes(path);
        Digest md5(DigestAlgorithm::Md5);
        md5.update(bytes);
        std::array<std::uint8_t, 16> digest{};
        md5.finish(digest.data(), digest.size());
        std::string sum = lowerHex(digest);
        for (char& c : sum)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        bool program = bytes.size() >= 2 && bytes[0] == 'M' && bytes[1] == 'Z';
        std::string version = program ? FileVersionText(files, path) : "";
        EXPECT_EQ(rows[i], name + "\t" + std::to_string(files.fileSize(path)) + "\t" + date(path) + "\t" +
                               version + "\t" + sum + "\t" + tree);
    }
    EXPECT_EQ(FileVersionText(files, tree + "v.exe"), "1.2.3.4");
}

TEST_F(FileInventoryTest, TopLevelThenAppendedSubfolders) {
    test::writeFileBytes(tree + "top.ini", "t");
    windowsFileSystem().createFolder(tree + "A");
    windowsFileSystem().createFolder(tree + "A\\B");
    test::writeFileBytes(tree + "A\\B\\deep.ini", "d");
    FileInventory inv(run);
    inv.InventoryFolderPart(tree, "P", InventoryPart::TopLevel);
    EXPECT_EQ(table("P").size(), 2u);
    EXPECT_TRUE(logHas("Список файлов P в папке [" + tree + "] ---> в файл \"(P)Files.csv\""));
    EXPECT_TRUE(logHas("Список безопасности: \"" + tree + "\" >  (cmd)(P)cacls.txt"));
    inv.InventoryFolderPart(tree + "A", "P", InventoryPart::AppendTree);
    auto rows = table("P");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], kInventoryHeader);
    EXPECT_EQ(cells(rows[1])[0], "top.ini");
    EXPECT_EQ(cells(rows[2])[5], tree + "A\\B\\");
    EXPECT_TRUE(logHas("[++] Список файлов P в папке [" + tree + "A] ---> дополнить файл \"(P)Files.csv\""));

    inv.InventoryFolderPart(tree + "A", "Q", InventoryPart::AppendTree);
    EXPECT_FALSE(inWork("(Q)Files.csv"));
    EXPECT_TRUE(logHas("[-] Списком файлов Q в папке [" + tree +
                       "A] ---> не удалось дополнить файл \"(Q)Files.csv\", "
                       "т.к. файл не найден"));
}

TEST_F(FileInventoryTest, HotfixRowsAccumulate) {
    test::writeFileBytes(tree + "a.dll", "1");
    FileInventory inv(run);
    inv.AddHotfixRow("a.dll", tree, "SP1");
    inv.AddHotfixRow("a.dll", tree, "SP2");
    auto rows = crlfLines(workText(kHotfixTable));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], kHotfixHeader);
    EXPECT_EQ(rows[2], tree + "\ta.dll\tSP2\t\t1\t" + date(tree + "a.dll"));
}

TEST_F(FileInventoryTest, FilesOf2GiBAndMoreHaveTheirRealSize) {
    {
        FileHandle f(CreateFileW(toWide(tree + "huge.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 0, nullptr));
        ASSERT_TRUE(f);
        DWORD ignored = 0;
        DeviceIoControl(f.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
        LARGE_INTEGER end;
        end.QuadPart = 2684354560LL; // 2.5 GiB
        ASSERT_TRUE(SetFilePointerEx(f.get(), end, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(f.get()));
    }
    FileInventory(run).InventoryFolder(tree, "H");
    EXPECT_EQ(cells(table("H").at(1))[1], "2684354560");
    DeleteFileW(toWide(tree + "huge.bin").c_str());
}

// The demo machine holds a folder with a link back to its parent: the walk must not follow it.
TEST_F(FileInventoryTest, LinkLoopIsNotEntered) {
    FileInventory(run).InventoryFolder("C:\\TAVIR Data\\Loop", "Loop");
    auto rows = table("Loop");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(cells(rows[1])[0], "inside.txt");
}

TEST_F(FileInventoryTest, StopDuringAWalkKeepsTheRowsAndStillSavesAndDumps) {
    for (int d = 0; d < 3; ++d) {
        std::string sub = tree + "d" + std::to_string(d) + "\\";
        windowsFileSystem().createFolder(sub);
        for (int f = 0; f < 5; ++f)
            test::writeFileBytes(sub + "f" + std::to_string(f) + ".txt", "x");
    }
    options.set(Option::SelectAll, true);
    options.set(Option::SelectAll, false);
    options.set(Option::SystemInfo, true);
    int seen = 0;
    run.setListedFileHook([&](const std::string&, const std::string&) {
        if (++seen == 4)
            run.requestStop();
    });
    run.addTopic(StepPlace::SystemStep, {.gate = Option::SystemInfo, .caption = "Информация о системе"},
                 [&] { FileInventory(run).InventoryFolder(tree, "S"); });
    run.ToolButton30Click();
    EXPECT_TRUE(run.stopFlag());
    auto rows = table("S");
    EXPECT_GE(rows.size(), 5u);  // the header and the rows met before Stop
    EXPECT_LT(rows.size(), 16u); // not the whole tree
    EXPECT_TRUE(logHas("Список безопасности: \"" + tree + "\" > (cmd)(S)cacls.txt"));
}

} // namespace
} // namespace kw
