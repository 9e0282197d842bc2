#include "core/WorkFolders.h"

#include <gtest/gtest.h>

#include "tests/TempFolder.h"

namespace kw {
namespace {

TEST(WorkFoldersTest, CreationMessageCollapsesDoubledSeparatorsButKeepsANetworkPrefix) {
    EXPECT_EQ(collapseSeparators("C:\\Temp\\\\KW_Temp"), "C:\\Temp\\KW_Temp");
    EXPECT_EQ(collapseSeparators("\\\\server\\share\\Temp\\\\KW_Temp"), "\\\\server\\share\\Temp\\KW_Temp");
}

TEST(WorkFoldersTest, CreateLogsCreatedThenExistingAndPathsKeepTheDoubledSeparator) {
    EventLog log;
    WorkFolders folders(windowsFileSystem(), log);
    folders.CreateWorkFolder(kWorkFolder);
    folders.CreateWorkFolder(kWorkFolder);
    std::string temp = test::tempDir();
    std::vector<std::string> expected = {"", "создан временный каталог: " + temp + "KW_Temp", "",
                                         "временный каталог уже существует: " + temp + "KW_Temp"};
    EXPECT_EQ(log.texts(), expected);
    EXPECT_EQ(folders.workPath("a.txt"), temp + "\\KW_Temp\\a.txt");
    test::writeFileBytes(folders.workPath("a.txt"), "abc");
    EXPECT_EQ(folders.FileSizeOf(folders.workPath("a.txt")), 3);
    EXPECT_EQ(folders.FileSizeOf(folders.workPath("missing.txt")), -1);
    EXPECT_TRUE(folders.FileDateOf(folders.workPath("a.txt")).has_value());
    EXPECT_TRUE(folders.DeleteFolderTree(folders.folderPath(kWorkFolder)));
    EXPECT_FALSE(windowsFileSystem().folderExists(temp + "KW_Temp"));
}

TEST(WorkFoldersTest, FailedCreationIsOnlyLogged) {
    EventLog log;
    WorkFolders folders(windowsFileSystem(), log);
    folders.CreateWorkFolder("\\no such parent\\KW_Temp");
    EXPECT_EQ(log.texts().back().rfind("!!! не удалось создать временный каталог: ", 0), 0u);
}

} // namespace
} // namespace kw
