// What a customer's broken computer does to a collection: files that vanish, grow or are locked while
// they are listed and hashed, folders that may not be listed, loops, crowds, giants and long or foreign
// names; strange registry values; console tools that never return or flood their capture; temporary
// folders whose names the shell would read as syntax. Each ends in a finished step and a clear log line.
#include <gtest/gtest.h>
#include <windows.h>

#include <winioctl.h>

#include <cstdlib>
#include <set>

#include "core/ConsoleCapture.h"
#include "core/FileCapture.h"
#include "core/FileInventory.h"
#include "core/RegistryExport.h"
#include "core/RegistryReaders.h"
#include "platform/WinHandle.h"
#include "tests/ForwardingFileSystem.h"
#include "tests/core/PrimitivesTest.h"

namespace kw {
namespace {

using test::crlfLines;

std::string fixtureProgram() {
    std::string self = windowsFileSystem().programPath();
    return self.substr(0, self.rfind('\\') + 1) + "kw_fixture_versioned.exe";
}

// The file system with the failures Wine cannot be made to show.
struct FaultyFiles final : test::ForwardingFileSystem {
    std::string gone;       // listed, but gone when it is opened
    std::string deniedList; // a folder that may not be listed
    std::function<void()> afterOpen;

    std::optional<FileError> listFolder(const std::string& f,
                                        const std::function<bool(const FolderEntry&)>& visit) override {
        if (!deniedList.empty() && f == deniedList)
            return FileError{ERROR_ACCESS_DENIED, "Отказано в доступе."};
        return real().listFolder(f, visit);
    }
    std::unique_ptr<FileReader> openRead(const std::string& p, FileError& e) override {
        if (!gone.empty() && p == gone) {
            e = {ERROR_FILE_NOT_FOUND, "Не удается найти указанный файл."};
            return nullptr;
        }
        auto in = real().openRead(p, e);
        if (afterOpen)
            std::exchange(afterOpen, nullptr)();
        return in;
    }
};

class CollectionFaultsTest : public test::PrimitivesTest {
  protected:
    std::vector<std::vector<std::string>> rows(const std::string& name) {
        std::vector<std::vector<std::string>> out;
        for (const std::string& line : crlfLines(workText("(" + name + ")Files.csv"))) {
            out.emplace_back(1);
            for (char c : line)
                if (c == '\t')
                    out.back().emplace_back();
                else
                    out.back().back().push_back(c);
        }
        return out;
    }
    const std::vector<std::string>* rowOf(const std::vector<std::vector<std::string>>& table,
                                          const std::string& file) {
        for (const auto& row : table)
            if (row[0] == file)
                return &row;
        return nullptr;
    }
};

class FaultyFilesTest : public CollectionFaultsTest {
  protected:
    FaultyFiles files;
    CollectionRun faulty{
        {files, windowsSystemInfo(), windowsDesktop(), windowsProcesses()}, options, settings};
    void SetUp() override {
        CollectionFaultsTest::SetUp();
        faulty.folders().CreateWorkFolder(kWorkFolder);
    }
};

TEST_F(FaultyFilesTest, FileGoneBetweenListingAndHashingKeepsItsRowAndTheOthers) {
    std::string tree = scratch("gone");
    test::writeFileBytes(tree + "gone.txt", "soon gone");
    test::writeFileBytes(tree + "stays.txt", "stays");
    files.gone = tree + "gone.txt";
    FileInventory(faulty).InventoryFolder(tree, "G");
    auto table = rows("G");
    ASSERT_EQ(table.size(), 3u);
    ASSERT_TRUE(rowOf(table, "gone.txt"));
    EXPECT_EQ((*rowOf(table, "gone.txt"))[4], "-1"); // no sum for what could not be read
    EXPECT_EQ((*rowOf(table, "stays.txt"))[1], "5");
}

TEST_F(FaultyFilesTest, FileThatGrowsWhileItIsHashedEndsTheWalk) {
    std::string tree = scratch("growing");
    std::string log = tree + "service.log";
    test::writeFileBytes(log, std::string(200000, 'a'));
    files.afterOpen = [&] {
        FileHandle out(CreateFileW(toWide(log).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
        std::string more(3000000, 'b');
        DWORD put = 0;
        WriteFile(out.get(), more.data(), static_cast<DWORD>(more.size()), &put, nullptr);
    };
    FileInventory(faulty).InventoryFolder(tree, "W");
    auto table = rows("W");
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[1][4].size(), 32u); // a sum of what was there while it was read
}

TEST_F(FaultyFilesTest, FolderThatMayNotBeListedIsALogLineAndTheRestIsListed) {
    std::string tree = scratch("denied");
    windowsFileSystem().createFolder(tree + "secret");
    test::writeFileBytes(tree + "secret\\inside.txt", "x");
    test::writeFileBytes(tree + "open.txt", "x");
    files.deniedList = tree + "secret\\";
    FileInventory(faulty).InventoryFolder(tree, "D");
    auto table = rows("D");
    EXPECT_TRUE(rowOf(table, "open.txt"));
    EXPECT_FALSE(rowOf(table, "inside.txt"));
    auto lines = faulty.eventLog().texts();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "[!!] [Получить список файлов не удалось] [\"" + tree +
                            "secret\\\"] - EOSError ошибка, с сообщением: Отказано в доступе."),
              lines.end());
}

TEST_F(CollectionFaultsTest, FileLockedByAnotherHolderIsListedWithoutItsSum) {
    std::string tree = scratch("locked");
    test::writeFileBytes(tree + "locked.mdb", "database");
    FileHandle lock(CreateFileW(toWide(tree + "locked.mdb").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    FileInventory(run).InventoryFolder(tree, "L");
    auto table = rows("L");
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[1][0], "locked.mdb");
    EXPECT_EQ(table[1][4], "-1");
}

// The demo machine holds a folder with a link back to its parent.
TEST_F(CollectionFaultsTest, FolderLoopThroughALinkIsNotFollowed) {
    FileInventory(run).InventoryFolder("C:\\TAVIR Data\\Loop", "Loop");
    EXPECT_EQ(rows("Loop").size(), 2u);
}

// Wine makes and removes files one by one in time that grows with the folder: the suite's script makes
// the crowd from outside and names it in KW_CROWD_FOLDER.
TEST_F(CollectionFaultsTest, ThirtyThousandFilesInOneFolder) {
    const char* crowd = std::getenv("KW_CROWD_FOLDER");
    if (!crowd)
        GTEST_SKIP() << "the suite's script makes the folder";
    FileInventory(run).InventoryFolder(crowd, "C");
    EXPECT_EQ(rows("C").size(), 30001u);
}

TEST_F(CollectionFaultsTest, SparseFileOfFiveGigabytesHasItsSizeAndSum) {
    std::string tree = scratch("giant");
    {
        FileHandle f(CreateFileW(toWide(tree + "archive.bak").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 0, nullptr));
        DWORD got = 0;
        DeviceIoControl(f.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &got, nullptr);
        LARGE_INTEGER end;
        end.QuadPart = 5LL << 30;
        ASSERT_TRUE(SetFilePointerEx(f.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(f.get()));
    }
    options.set(Option::Md5, true);
    FileInventory(run).InventoryFolder(tree, "B");
    auto table = rows("B");
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[1][1], "5368709120");
    EXPECT_EQ(table[1][4].size(), 32u);
}

TEST_F(CollectionFaultsTest, PathOfThreeHundredCharacters) {
    std::string tree = scratch("deep");
    std::string folder = tree;
    while (folder.size() < 300) {
        folder += std::string(40, 'd') + "\\";
        ASSERT_TRUE(windowsFileSystem().createFolder(folder)) << folder.size();
    }
    test::writeFileBytes(folder + "deep.txt", "bottom");
    FileInventory(run).InventoryFolder(tree, "P");
    auto table = rows("P");
    ASSERT_TRUE(rowOf(table, "deep.txt"));
    EXPECT_EQ((*rowOf(table, "deep.txt"))[1], "6");
}

// The program removes its work folders with everything in them: a path past MAX_PATH inside, a read-only
// file or a link must not make it remove anything else, least of all the current folder.
TEST_F(CollectionFaultsTest, DeletingADeepTreeLeavesTheCurrentFolderAlone) {
    std::string here = scratch("current");
    test::writeFileBytes(here + "keep.txt", "keep");
    std::string tree = scratch("doomed");
    std::string deep = tree;
    while (deep.size() < 400) {
        deep += std::string(50, 'd') + "\\";
        ASSERT_TRUE(windowsFileSystem().createFolder(deep));
    }
    test::writeFileBytes(deep + "bottom.txt", "x");
    test::writeFileBytes(tree + "readonly.txt", "x");
    SetFileAttributesW(toWide(tree + "readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    wchar_t before[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, before);
    SetCurrentDirectoryW(toWide(here).c_str());
    bool removed = windowsFileSystem().deleteFolderTree(tree.substr(0, tree.size() - 1));
    bool refused =
        !windowsFileSystem().deleteFolderTree("") && !windowsFileSystem().deleteFolderTree("current");
    SetCurrentDirectoryW(before);
    EXPECT_TRUE(removed);
    EXPECT_FALSE(windowsFileSystem().folderExists(tree));
    EXPECT_TRUE(refused);
    EXPECT_EQ(test::readFileBytes(here + "keep.txt"), "keep");
}

// The tables are ANSI and show such names with "?"; the rich-text log keeps them as they are.
TEST_F(CollectionFaultsTest, NamesOutsideTheAnsiCodePageReachTheLogAsTheyAre) {
    std::string tree = scratch("Ελένη 東京");
    test::writeFileBytes(tree + "Ελένη.txt", "x");
    FileInventory(run).InventoryFolder(tree, "U");
    EXPECT_EQ(rows("U").size(), 2u);
    std::string rtf = run.eventLog().toRtf();
    EXPECT_NE(rtf.find("\\u917?\\u955?\\u941?\\u957?\\u951?"), std::string::npos); // Ελένη
    EXPECT_NE(rtf.find("\\u26481?\\u20140?"), std::string::npos);                  // 東京
}

TEST_F(CollectionFaultsTest, RegistryValuesOfEveryTypeWhereStringsAreExpected) {
    const std::wstring key = L"Software\\KW_Faults_" + std::to_wstring(GetCurrentProcessId());
    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw,
                              nullptr),
              ERROR_SUCCESS);
    UniqueHandle<RegKeyTraits> k(raw);
    auto set = [&](const wchar_t* name, DWORD type, const void* data, DWORD size) {
        RegSetValueExW(k.get(), name, 0, type, static_cast<const BYTE*>(data), size);
    };
    const BYTE binary[] = {1, 2, 3};
    const wchar_t multi[] = L"a\0b\0";
    const wchar_t expand[] = L"%TEMP%\\x";
    DWORD dword = 42;
    unsigned long long qword = 1ULL << 40;
    std::wstring huge(50000, L'z');
    set(L"Binary", REG_BINARY, binary, sizeof binary);
    set(L"Multi", REG_MULTI_SZ, multi, sizeof multi);
    set(L"Expand", REG_EXPAND_SZ, expand, sizeof expand);
    set(L"Dword", REG_DWORD, &dword, sizeof dword);
    set(L"Qword", REG_QWORD, &qword, sizeof qword);
    set(L"None", REG_NONE, nullptr, 0);
    set(L"", REG_SZ, L"", sizeof(wchar_t));
    set(L"Huge", REG_SZ, huge.c_str(), static_cast<DWORD>((huge.size() + 1) * sizeof(wchar_t)));

    const std::string path = toUtf8(key);
    RegistryReader reader(run);
    for (const char* name : {"Binary", "Multi", "Dword", "Qword", "None", ""})
        EXPECT_EQ(reader.ReadRegistryString(RegistryRoot::CurrentUser, path, "", name), "") << name;
    EXPECT_EQ(reader.ReadRegistryString(RegistryRoot::CurrentUser, path, "", "Huge").size(), 50000u);
    EXPECT_NE(reader.ReadRegistryString(RegistryRoot::CurrentUser, path, "", "Expand"), "");
    RegistryExporter(run).ExportRegistryBranch(RegistryRoot::CurrentUser, path, "(REG)Faults.txt");
    std::string exported = workText("(REG)Faults.txt");
    for (const char* line :
         {"\"Binary\"=hex:01,02,03", "\"Dword\"=dword:0000002A", "\"None\"=hex(0):", "@=\"\""})
        EXPECT_NE(exported.find(line), std::string::npos) << line;
    EXPECT_NE(exported.find(std::string(50000, 'z')), std::string::npos);
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
}

// Wine opens every key; the interface refuses one as Windows does for a key of another account.
struct DenyingRegistry final : Registry {
    std::string denied;
    std::optional<std::string> readString(RegistryRoot r, const std::string& k, const std::string& v,
                                          RegistryView view) override {
        return k.starts_with(denied) ? std::nullopt : windowsRegistry().readString(r, k, v, view);
    }
    std::optional<RegistryKeyContents> readKey(RegistryRoot r, const std::string& k,
                                               RegistryView view) override {
        return k.starts_with(denied) ? std::nullopt : windowsRegistry().readKey(r, k, view);
    }
    RegistryRead readValue(RegistryRoot r, const std::string& k, const std::string& v,
                           RegistryView view) override {
        if (k.starts_with(denied))
            return {RegistryStatus::Failed, {}, ERROR_ACCESS_DENIED};
        return windowsRegistry().readValue(r, k, v, view);
    }
    bool isWow64() override { return windowsRegistry().isWow64(); }
};

TEST_F(CollectionFaultsTest, KeyTheUserMayNotOpen) {
    DenyingRegistry registry;
    registry.denied = "SOFTWARE\\TAVIR\\Samples\\Export\\Child";
    CollectionRun denied{
        {windowsFileSystem(), windowsSystemInfo(), windowsDesktop(), windowsProcesses(), registry},
        options,
        settings};
    denied.folders().CreateWorkFolder(kWorkFolder);
    EXPECT_EQ(
        RegistryReader(denied).ReadRegistryString(RegistryRoot::LocalMachine, registry.denied, "", "Leaf"),
        "");
    RegistryExporter(denied).ExportRegistryBranch(RegistryRoot::LocalMachine,
                                                  "SOFTWARE\\TAVIR\\Samples\\Export", "(REG)Denied.txt");
    std::string exported = workText("(REG)Denied.txt");
    EXPECT_NE(exported.find("\"View\"=\"32\""), std::string::npos); // the readable part is there
}

TEST_F(CollectionFaultsTest, ConsoleToolThatNeverEndsIsEndedAndKeepsWhatItWrote) {
    run.consoleProcesses().setTimeouts(1500, 3000);
    ConsoleCapture console(run);
    ASSERT_TRUE(
        console.startProgram(quoteArgument(fixtureProgram()) + " --write 5000 600000", "(cmd)hung.txt"));
    run.waitForConsoleProcesses();
    ASSERT_FALSE(log().empty());
    EXPECT_EQ(log().back().rfind("[!!] Не дождались завершения команды", 0), 0u);
    EXPECT_GE(test::readFileBytes(work("(cmd)hung.txt")).size(), 5000u);
    // Ended: its capture is no longer held open.
    EXPECT_TRUE(DeleteFileW(toWide(work("(cmd)hung.txt")).c_str()));
}

TEST_F(CollectionFaultsTest, ConsoleToolThatWritesTwoHundredMegabytes) {
    ConsoleCapture console(run);
    ASSERT_TRUE(
        console.startProgram(quoteArgument(fixtureProgram()) + " --write 209715200 0", "(cmd)flood.txt"));
    run.waitForConsoleProcesses();
    EXPECT_GE(windowsFileSystem().fileSize(work("(cmd)flood.txt")), 209715200);
}

TEST_F(CollectionFaultsTest, TemporaryFoldersWithBlanksShellCharactersAndForeignNames) {
    for (const char* name : {"with blanks", "a&b", "100%PATH%", "up^down", "Ελένη 東京 & 50%"}) {
        std::string temp = scratch(name);
        std::wstring variable = toWide(temp.substr(0, temp.size() - 1)); // as Windows keeps it
        SetEnvironmentVariableW(L"TEMP", variable.c_str());
        SetEnvironmentVariableW(L"TMP", variable.c_str());
        CollectionRun inside{{windowsFileSystem(), windowsSystemInfo(), windowsDesktop(), windowsProcesses()},
                             options,
                             settings};
        inside.folders().CreateWorkFolder(kWorkFolder);
        ASSERT_TRUE(windowsFileSystem().folderExists(temp + "KW_Temp")) << name;
        ConsoleCapture(inside).StartConsoleCapture("", "echo captured", "echo");
        inside.waitForConsoleProcesses();
        EXPECT_EQ(test::readFileBytes(inside.folders().workPath("(cmd)echo.txt")), "captured\r\n") << name;
        test::writeFileBytes(temp + "service.ini", "[Main]\r\n");
        FileCapture(inside).CaptureFile(temp.substr(0, temp.size() - 1), "", "", "service.ini");
        EXPECT_TRUE(test::fileExists(inside.folders().workPath("service.ini"))) << name;
    }
}

} // namespace
} // namespace kw
