// "KW_Scan.exe library" on packages the program itself saved: added, refused, found and compared with the
// computer's previous package; an add that is killed half-way and two adds at once leave every package
// in the library whole.
#include <gtest/gtest.h>
#include <windows.h>

#include "library/PackageLibrary.h"
#include "platform/Text.h"
#include "tests/e2e/RunningProgram.h"
#include "tests/library/LibraryTestPackages.h"

namespace kw {
namespace {

// `count` packages of `computer`, one a day from `firstDay`, in `folder` as pkg_N.cab.
void makePackages(const std::string& folder, const std::string& computer, int firstDay, int count) {
    FileSystem& files = windowsFileSystem();
    files.createFolder(folder);
    for (int i = 0; i < count; ++i) {
        std::string day = std::to_string(firstDay + i);
        std::string bin = "MIRTAL.exe\t100\t01.01.2020\t21.0." + day + ".0\taa" + day +
                          "\tC:\\Program Files\\TAVIR\\MIRTAL-3D v21\\Bin\\\r\n";
        std::string saved = test::savePackage(test::runFiles(computer, "ivan", firstDay + i, bin),
                                              test::tempDir() + "made" + std::to_string(i), computer);
        ASSERT_FALSE(saved.empty());
        ASSERT_FALSE(
            files.moveFile(saved, folder + "\\" + computer + "_" + std::to_string(firstDay + i) + ".cab"));
    }
}

std::string db() {
    return "\"" + test::tempDir() + "lib.sqlite\"";
}

// Every package in the library is whole: its members, products and the groups of its inventory.
void expectEveryPackageWhole(std::int64_t expected) {
    PackageLibrary library({test::tempDir() + "lib.sqlite"});
    std::string integrity;
    library.connection().execute("PRAGMA integrity_check", {},
                                 [&](const SqlRow& r) { integrity = r[0].value_or(""); });
    EXPECT_EQ(integrity, "ok");
    EXPECT_EQ(library.packageCount(), expected);
    std::int64_t half = -1;
    library.connection().execute(
        "SELECT COUNT(*) FROM packages p WHERE NOT EXISTS (SELECT 1 FROM package_member_groups m WHERE "
        "m.package_id = p.id) OR "
        "NOT EXISTS (SELECT 1 FROM products x WHERE x.package_id = p.id) OR NOT EXISTS (SELECT 1 FROM "
        "package_groups g WHERE g.package_id = p.id)",
        {}, [&](const SqlRow& r) { half = std::stoll(r[0].value_or("-1")); });
    EXPECT_EQ(half, 0) << "a package is in the library without all of its rows";
}

TEST(LibraryEndToEndTest, AddFindAndChangesSinceThePreviousPackage) {
    const std::string in = test::tempDir() + "Пакеты СТП";
    windowsFileSystem().createFolder(in);
    makePackages(in + "\\PC-1", "PC-1", 1, 2);
    makePackages(in, "SRV", 3, 1);
    std::string readme = test::tempDir() + "readme.txt";
    test::writeFileBytes(readme, "x");
    ASSERT_FALSE(writeCabinet(in + "\\чужой.cab", {{readme, "readme.txt"}}, "X"));

    EXPECT_EQ(runToEnd("library add /db " + db() + " \"" + in + "\""), 1u);       // the foreign cabinet
    EXPECT_EQ(runToEnd("library add /db " + db() + " \"" + in + "\\PC-1\""), 0u); // there already

    const std::string report = test::tempDir() + "найдено.tsv";
    EXPECT_EQ(runToEnd("library find /db " + db() + " /computer pc-1 \"" + report + "\""), 0u);
    std::vector<std::string> lines = test::linesOf(ansiToUtf8(test::readFileBytes(report)));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0],
              "Пакет:\tКомпьютер:\tПользователь:\tДата сбора:\tВерсия KW_Scan!:\tНайденные проблемы:");
    EXPECT_EQ(lines[1].substr(0, 11), "PC-1_1.cab\t");
    EXPECT_EQ(lines[2].substr(0, 11), "PC-1_2.cab\t");
    EXPECT_EQ(runToEnd("library find /db " + db() + " /file nothing.dll \"" + report + "\""), 1u);
    EXPECT_EQ(runToEnd("library find /db " + db() + " /product MIRTAL /version 21.0 /finding X99 \"" +
                       report + "\""),
              1u);

    // The second package against the first: its inventory row changed.
    const std::string page = test::tempDir() + "изменения.html";
    EXPECT_EQ(runToEnd("library changes /db " + db() + " \"" + in + "\\PC-1\\PC-1_2.cab\" \"" + page + "\""),
              1u);
    EXPECT_NE(ansiToUtf8(test::readFileBytes(page)).find("21.0.2.0"), std::string::npos);
    // The first has none before it.
    EXPECT_EQ(runToEnd("library changes /db " + db() + " \"" + in + "\\PC-1\\PC-1_1.cab\" \"" + page + "\""),
              2u);
    EXPECT_EQ(runToEnd("library find /db \"odbc:Driver={no such driver}\" \"" + report + "\""), 2u);
    expectEveryPackageWhole(3);
}

TEST(LibraryEndToEndTest, AKilledAddAndTwoAddsAtOnceLeaveEveryPackageWhole) {
    const std::string a = test::tempDir() + "a", b = test::tempDir() + "b";
    // Many more than a batch written in one transaction, so that the kill comes amid them.
    makePackages(a, "PC-A", 1, 80);
    makePackages(b, "PC-B", 1, 12);
    // Killed while it adds: what it added is whole, the batch it was at is not there at all.
    Child add = start("library add /db " + db() + " \"" + a + "\"");
    ASSERT_TRUE(add.process);
    for (int i = 0; i < 400; ++i) {
        Sleep(25);
        PackageLibrary probe({test::tempDir() + "lib.sqlite"});
        if (probe.packageCount() >= 3)
            break;
    }
    TerminateProcess(add.process.get(), 9);
    WaitForSingleObject(add.process.get(), 30000);
    {
        PackageLibrary library({test::tempDir() + "lib.sqlite"});
        std::int64_t left = library.packageCount();
        EXPECT_LT(left, 80) << "the add ended before it was killed";
        expectEveryPackageWhole(left);
    }
    // Two at once on one file: both finish, and everything is there once.
    Child first = start("library add /db " + db() + " \"" + a + "\" \"" + b + "\"");
    Child second = start("library add /db " + db() + " \"" + b + "\" \"" + a + "\"");
    EXPECT_EQ(exitCodeAfter(first, 240000), 0u);
    EXPECT_EQ(exitCodeAfter(second, 240000), 0u);
    expectEveryPackageWhole(92);
}

} // namespace
} // namespace kw
