// The support library on both engines: packages indexed whole or refused whole, found by what the
// engineer asks, names and paths of any kind kept intact, and a known installation stored once. The ODBC
// cases run where the tests' fixture has started a PostgreSQL server (its connection string is in the
// build folder's postgres\connection.txt).
#include <gtest/gtest.h>
#include <map>
#include <thread>
#include <windows.h>

#include "library/PackageIntake.h"
#include "library/PackageLibrary.h"
#include "platform/Text.h"
#include "tests/library/LibraryTestPackages.h"

namespace kw {
namespace {

std::int64_t countOf(PackageLibrary& library, const std::string& table) {
    std::int64_t n = 0;
    library.connection().execute("SELECT COUNT(*) FROM " + table, {},
                                 [&](const SqlRow& r) { n = std::stoll(r[0].value_or("0")); });
    return n;
}

// Facts as a package would give them, without a cabinet.
PackageFacts factsOf(const std::string& id, const std::string& computer, const std::string& day,
                     std::vector<InventoryFact> inventory) {
    PackageFacts f;
    f.id = id;
    f.fileName = computer + "_" + day + ".cab";
    f.computer = computer;
    f.user = "Иван O'Brien \"; DROP TABLE packages; --";
    f.collected = day + ".12.2026 10:00:00";
    f.collectedOrder = sortableDate(f.collected);
    f.programVersion = "19.11.01k (01.11.2019)";
    f.windows = "Windows 7";
    f.products = {{"MIRTAL", "22.0.1", "C:\\Program Files\\TAVIR\\MIRTAL\\"}};
    f.findings = {{.code = "C02", .importance = Importance::Warning, .problem = "устарел", .source = "x"}};
    f.members = {{"software.txt", 10, std::string(64, 'a'), ""}};
    f.inventory = std::move(inventory);
    return f;
}

std::vector<InventoryFact> installation(int files, const std::string& changed = {}) {
    std::vector<InventoryFact> rows;
    for (int i = 0; i < files; ++i)
        rows.push_back({.tag = "MIRTAL_Bin",
                        .folder = "\\Bin\\Sub" + std::to_string(i % 20) + "\\",
                        .name = "Part_" + std::to_string(i) + ".dll",
                        .size = 1000 + i,
                        .date = "01.01.2020",
                        .version = "22.0.1." + std::to_string(i),
                        .md5 = i == 7 && !changed.empty() ? changed : "md5_" + std::to_string(i)});
    return rows;
}

class LibraryEngines : public testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        if (GetParam() == "odbc") {
            // The build folder's "postgres\connection.txt", beside "bin" where the tests are.
            std::string self = windowsFileSystem().programPath();
            std::string build = self.substr(0, self.rfind('\\', self.rfind('\\') - 1));
            std::string odbc =
                windowsFileSystem().readFile(build + "\\postgres\\connection.txt").value_or("");
            while (!odbc.empty() && (odbc.back() == '\n' || odbc.back() == '\r'))
                odbc.pop_back();
            if (odbc.empty())
                GTEST_SKIP() << "no PostgreSQL server started for this run (postgres\\connection.txt)";
            place = LibraryPlace{"odbc:" + odbc};
            // A fresh schema for every test: the server's database outlives the process.
            PackageLibrary library(place);
            for (const char* table :
                 {"package_groups", "file_groups", "files", "package_member_groups", "member_groups",
                  "member_rows", "members", "findings", "products", "packages", "kw_schema"})
                library.connection().execute(std::string("DROP TABLE IF EXISTS ") + table);
        } else {
            place = LibraryPlace{test::tempDir() + "Библиотека с пробелом\\KW_Library.sqlite"};
            windowsFileSystem().createFolder(test::tempDir() + "Библиотека с пробелом");
        }
    }
    LibraryPlace place;
};

TEST_P(LibraryEngines, PackagesAreFoundByWhatTheEngineerAsksAndKeptIntact) {
    PackageLibrary library(place);
    std::string longName;
    for (int i = 0; i < 300; ++i)
        longName += "Ж";
    PackageFacts first = factsOf(std::string(64, '1'), "ПК-Бухгалтерия 'O\"Neil'", "01", installation(60));
    first.inventory.push_back({.tag = "MIRTAL_Bin",
                               .folder = "\\" + longName + "\\",
                               .name = longName + ".dll",
                               .size = 5,
                               .date = "01.01.2020",
                               .version = "1.0",
                               .md5 = "ffee"});
    first.windows = "Windows\t7 \\ x\\t\\"; // what the list keeps in one value of the row
    PackageFacts second =
        factsOf(std::string(64, '2'), "пк-бухгалтерия 'o\"neil'", "05", installation(60, "new7"));
    second.findings.clear();
    PackageFacts other = factsOf(std::string(64, '3'), "SRV", "03", installation(3));
    other.products = {{"Peltrand", "12.0", "C:\\PLM\\"}};
    EXPECT_EQ(library.add(first, "C:\\Пакеты\\a.cab", "now"), AddState::Added);
    EXPECT_EQ(library.add(second, "C:\\Пакеты\\b.cab", "now"), AddState::Added);
    EXPECT_EQ(library.add(other, "C:\\Пакеты\\c.cab", "now"), AddState::Added);
    EXPECT_EQ(library.add(first, "D:\\moved\\a.cab", "later"), AddState::AlreadyThere);
    EXPECT_EQ(library.packageCount(), 3);

    auto ids = [](const std::vector<LibraryPackage>& found) {
        std::vector<std::string> out;
        for (const LibraryPackage& p : found)
            out.push_back(p.id.substr(0, 1));
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(ids(library.find({.computer = "ПК-БУХГАЛТЕРИЯ 'O\"NEIL'"})), (V{"1", "2"})); // by date
    EXPECT_EQ(ids(library.find({.product = "mirtal", .version = "22.0"})), (V{"1", "2"}));
    EXPECT_EQ(ids(library.find({.product = "mirtal", .version = "22.1"})), V{});
    EXPECT_EQ(ids(library.find({.version = "22%"})), V{}); // a typed "%" is a character
    EXPECT_EQ(ids(library.find({.computer = "srv", .finding = "c02"})), V{"3"});
    EXPECT_EQ(ids(library.find({.file = "PART_59.DLL"})), (V{"1", "2"}));
    EXPECT_EQ(ids(library.find({.hash = "NEW7"})), V{"2"});
    EXPECT_EQ(ids(library.find({.hash = std::string(64, 'A')})), (V{"3", "1", "2"})); // a contents list's
    EXPECT_EQ(ids(library.find({.file = "'; DROP TABLE files; --"})), V{});
    EXPECT_EQ(ids(library.find({})), (V{"3", "1", "2"}));

    std::optional<LibraryPackage> back = library.package(std::string(64, '1'));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->computer, "ПК-Бухгалтерия 'O\"Neil'");
    EXPECT_EQ(back->user, "Иван O'Brien \"; DROP TABLE packages; --");
    EXPECT_EQ(back->sourcePath, "D:\\moved\\a.cab");
    EXPECT_EQ(back->windows, first.windows);
    EXPECT_EQ(back->findingCodes, V{"C02"});
    EXPECT_EQ(ids(library.find({.file = longName + ".dll"})), V{"1"});
    // A long value amid short ones, in rows read in blocks, comes whole and leaves its neighbours so.
    std::map<std::string, std::string> folders;
    library.connection().execute("SELECT name, folder FROM files", {},
                                 [&](const SqlRow& r) { folders[r[0].value_or("")] = r[1].value_or(""); });
    EXPECT_EQ(folders.size(), 61u); // Part_7.dll twice, in two versions
    EXPECT_EQ(folders[longName + ".dll"], "\\" + longName + "\\");
    EXPECT_EQ(folders["Part_59.dll"], "\\Bin\\Sub19\\");

    std::optional<LibraryPackage> latest = library.package(std::string(64, '2'));
    ASSERT_TRUE(latest);
    std::optional<LibraryPackage> before = library.previous(*latest);
    ASSERT_TRUE(before);
    EXPECT_EQ(before->id, std::string(64, '1'));
    EXPECT_FALSE(library.previous(*before));
}

// A thousand packages of one installation cost little more than their differences: a second package of
// it adds no inventory row, one with a changed file only that folder's group.
TEST_P(LibraryEngines, AKnownInstallationIsStoredOnce) {
    PackageLibrary library(place);
    library.add(factsOf(std::string(64, 'a'), "PC", "01", installation(400)), "a.cab", "now");
    const std::int64_t files = countOf(library, "files"), rows = countOf(library, "file_groups");
    EXPECT_EQ(files, 400);
    library.add(factsOf(std::string(64, 'b'), "PC", "02", installation(400)), "b.cab", "now");
    EXPECT_EQ(countOf(library, "files"), files);
    EXPECT_EQ(countOf(library, "file_groups"), rows);
    library.add(factsOf(std::string(64, 'c'), "PC", "03", installation(400, "changed")), "c.cab", "now");
    EXPECT_EQ(countOf(library, "files"), files + 1);
    EXPECT_EQ(countOf(library, "file_groups"), rows + 20); // the one folder of twenty files again
}

// Packages written in one transaction: one that fails half-way is undone alone, the others are kept;
// over ODBC it spoils the transaction, which then keeps nothing.
TEST_P(LibraryEngines, APackageThatFailsInABatchIsUndoneAlone) {
    PackageLibrary library(place);
    PackageFacts broken = factsOf(std::string(64, 'b'), "PC", "02", installation(30, "only-b"));
    PackageFacts plain = factsOf(std::string(64, 'c'), "PC", "03", installation(30));
    plain.findings.clear();
    {
        SqlTransaction batch(library.connection());
        library.add(factsOf(std::string(64, 'a'), "PC", "01", installation(30)), "a.cab", "now");
        // Its findings have nowhere to go once its row and its products are written.
        library.connection().execute("DROP TABLE findings");
        EXPECT_THROW(library.add(broken, "b.cab", "now"), SqlError);
        library.add(plain, "c.cab", "now");
        if (!library.connection().savepoints()) { // then the failure spoils the whole batch
            EXPECT_THROW(batch.commit(), SqlError);
            return;
        }
        batch.commit();
    }
    EXPECT_EQ(library.packageCount(), 2);
    EXPECT_FALSE(library.has(broken.id));
    EXPECT_EQ(countOf(library, "products"), 2);
    EXPECT_EQ(countOf(library, "files"), 30); // nor any row of its own
}

// Two writers at once, each on a connection of its own, adding packages of one installation in opposite
// orders: neither waits for ever or fails, and each package is there once.
TEST_P(LibraryEngines, TwoWritersAtOnceBothFinish) {
    std::vector<PackageFacts> packages;
    for (int i = 10; i < 22; ++i)
        packages.push_back(factsOf(std::string(62, 'f') + std::to_string(i), "PC-" + std::to_string(i % 4),
                                   std::to_string(i),
                                   installation(200, i % 3 ? "" : "new" + std::to_string(i))));
    auto write = [&](bool backwards, int& failures) {
        PackageLibrary library(place);
        for (size_t k = 0; k < packages.size(); ++k) {
            const PackageFacts& p = packages[backwards ? packages.size() - 1 - k : k];
            try {
                library.add(p, p.fileName, "now");
            } catch (const SqlError&) {
                ++failures;
            }
        }
    };
    int failures[2] = {0, 0};
    {
        PackageLibrary created(place); // the schema made before either starts
        std::jthread forwards(write, false, std::ref(failures[0]));
        std::jthread backwards(write, true, std::ref(failures[1]));
    }
    EXPECT_EQ(failures[0] + failures[1], 0);
    PackageLibrary library(place);
    EXPECT_EQ(library.packageCount(), 12);
    EXPECT_EQ(countOf(library, "files"), 204);
}

// A library of the first version keeps its packages: their members move into groups and are found.
TEST_P(LibraryEngines, ALibraryOfTheFirstVersionIsUpgradedWithItsMembersAndListings) {
    const std::string id(64, 'd'), sha(64, 'e');
    {
        PackageLibrary library(place);
        library.add(factsOf(id, "PC", "04", installation(3)), "d.cab", "now");
        // Back to the first version as it stood: the members in a table of their own.
        SqlConnection& db = library.connection();
        for (const char* table : {"package_member_groups", "member_groups", "member_rows"})
            db.execute(std::string("DROP TABLE ") + table);
        db.execute("ALTER TABLE packages DROP COLUMN listing");
        db.execute(
            "CREATE TABLE members (package_id TEXT NOT NULL, name TEXT NOT NULL, size BIGINT NOT NULL, "
            "sha256 TEXT NOT NULL, PRIMARY KEY (package_id, name))");
        for (const char* name : {"(MIRTAL)Files.csv", "(MIRTAL)MIRTAL.ini", "software.txt"})
            db.execute("INSERT INTO members (package_id, name, size, sha256) VALUES (?, ?, ?, ?)",
                       std::vector<SqlValue>{id, std::string(name), std::int64_t{10}, sha});
        db.execute("UPDATE kw_schema SET version = 1");
    }
    PackageLibrary upgraded(place);
    EXPECT_EQ(upgraded.find({.hash = sha}).size(), 1u);
    EXPECT_EQ(countOf(upgraded, "member_rows"), 3);
    EXPECT_EQ(countOf(upgraded, "package_member_groups"), 2); // MIRTAL's, and software.txt's own
    EXPECT_THROW(countOf(upgraded, "members"), SqlError);
    std::optional<LibraryPackage> back = upgraded.package(id);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->findingCodes, std::vector<std::string>{"C02"});
}

INSTANTIATE_TEST_SUITE_P(Engines, LibraryEngines, testing::Values("sqlite", "odbc"));

// Packages come in through the same checks as an opened one; what fails them is refused whole.
TEST(PackageIntakeTest, SoundPackagesAreAddedAndTheOthersRefusedWithTheirReason) {
    FileSystem& files = windowsFileSystem();
    const std::string dir = test::tempDir();
    PackageLibrary library({dir + "lib.sqlite"});
    PackageIntake intake(files, library, dir + "staging", nullptr);

    std::string good = test::savePackage(test::runFiles("PC-1", "ivan", 1), dir + "in");
    ASSERT_FALSE(good.empty());
    IntakeOutcome added = intake.add(good, "now");
    EXPECT_EQ(intakeText(added), "добавлен");
    EXPECT_EQ(intakeText(intake.add(good, "now")), "уже есть");
    std::optional<LibraryPackage> p = library.package(added.id);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->computer, "PC-1");
    EXPECT_EQ(p->user, "ivan");
    EXPECT_EQ(p->collectedOrder, "2026-12-01 10:00:00");
    EXPECT_EQ(p->programVersion, "19.11.01k (01.11.2019)");
    EXPECT_EQ(p->windows, "Windows 7 Professional Service Pack 1");
    EXPECT_EQ(library.find({.product = "MIRTAL", .version = "21"}).size(), 1u);
    // The inventory row lies within the product's install folder.
    std::string folder;
    library.connection().execute("SELECT folder FROM files", {},
                                 [&](const SqlRow& r) { folder = r[0].value_or(""); });
    EXPECT_EQ(folder, "\\Bin\\");
    EXPECT_FALSE(files.folderExists(dir + "staging"));

    // Altered after it was made: a member's bytes are not those of its contents list.
    std::string bytes = test::readFileBytes(good);
    std::string altered = dir + "altered.cab";
    {
        std::string unpackedDir = dir + "alter";
        files.createFolder(unpackedDir);
        ExtractedCabinet m;
        ASSERT_FALSE(extractCabinet(good, unpackedDir, {}, m));
        test::writeFileBytes(unpackedDir + "\\software.txt", "Имя компьютера: другой\r\n");
        std::vector<CabinetSource> sources;
        for (const std::string& name : m.written)
            sources.push_back({unpackedDir + "\\" + name, name});
        ASSERT_FALSE(writeCabinet(altered, sources, "KW"));
    }
    EXPECT_EQ(intakeText(intake.add(altered, "now")).rfind("отклонён: пакет изменён после сборки", 0), 0u);
    // Cut off, and a cabinet of another program.
    test::writeFileBytes(dir + "cut.cab", bytes.substr(0, bytes.size() / 2));
    EXPECT_EQ(intake.add(dir + "cut.cab", "now").state, IntakeState::Refused);
    std::string readme = dir + "readme.txt";
    test::writeFileBytes(readme, "x");
    ASSERT_FALSE(writeCabinet(dir + "foreign.cab", {{readme, "readme.txt"}}, "X"));
    EXPECT_EQ(intakeText(intake.add(dir + "foreign.cab", "now")),
              "отклонён: в пакете нет состава KW_Manifest.csv");
    EXPECT_EQ(library.packageCount(), 1);

    // Folders are searched through for packages, their sub-folders too.
    std::vector<std::string> missing;
    std::vector<std::string> found = packagesUnder(files, {dir + "in", dir + "нет такого"}, missing);
    EXPECT_EQ(found, std::vector<std::string>{good});
    EXPECT_EQ(missing, std::vector<std::string>{dir + "нет такого"});
}

// Read ahead while the one before is written, and written in batches: each package gets the outcome a
// single add gives it, in order, and a stop leaves the packages after its batch untouched.
TEST(PackageIntakeTest, PackagesAddedInARowKeepTheirOwnOutcomesAndStopWhenAsked) {
    FileSystem& files = windowsFileSystem();
    const std::string dir = test::tempDir();
    std::string a = test::savePackage(test::runFiles("PC-1", "ivan", 1), dir + "a");
    std::string b = test::savePackage(test::runFiles("PC-2", "olga", 2), dir + "b");
    ASSERT_FALSE(a.empty() || b.empty());
    test::writeFileBytes(dir + "cut.cab", test::readFileBytes(a).substr(0, 200));
    PackageLibrary library({dir + "lib.sqlite"});
    PackageIntake intake(files, library, dir + "staging", nullptr);
    ASSERT_EQ(intake.add(a, "now").state, IntakeState::Added);
    std::vector<std::string> told;
    intake.addAll(
        {b, a, dir + "cut.cab", b}, [] { return std::string("now"); },
        [&](const std::string&, const IntakeOutcome& o) {
            told.push_back(intakeText(o).substr(0, 16));
            return true;
        });
    EXPECT_EQ(told, (std::vector<std::string>{"добавлен", "уже есть", "отклонён", "уже есть"}));
    EXPECT_EQ(library.packageCount(), 2);
    EXPECT_EQ(library.find({.computer = "pc-2"}).size(), 1u);

    PackageLibrary other({dir + "other.sqlite"});
    PackageIntake stopped(files, other, dir + "staging2", nullptr);
    // Stopped at the first: the rest of its batch is told, and kept; nothing after it is written.
    std::vector<std::string> many(40, b);
    many.front() = a;
    int calls = 0;
    stopped.addAll(
        many, [] { return std::string("now"); },
        [&](const std::string&, const IntakeOutcome&) { return ++calls, false; });
    EXPECT_LT(calls, 40);
    EXPECT_EQ(other.packageCount(), calls > 1 ? 2 : 1);
    EXPECT_FALSE(files.folderExists(dir + "staging2"));
}

// A package too large to unpack in memory goes through the staging folder, and is indexed the same.
TEST(PackageIntakeTest, ThroughMemoryOrTheStagingFolderAPackageGivesTheSameRows) {
    FileSystem& files = windowsFileSystem();
    const std::string dir = test::tempDir();
    std::string package = test::savePackage(test::runFiles("PC-2", "ivan", 2), dir + "in");
    ASSERT_FALSE(package.empty());
    PackageLibrary inMemory({dir + "memory.sqlite"}), staged({dir + "staged.sqlite"});
    PackageIntake fromMemory(files, inMemory, dir + "staging1", nullptr);
    PackageIntake fromFolder(files, staged, dir + "staging2", nullptr);
    fromFolder.setMemoryLimit(0);
    ASSERT_EQ(fromMemory.add(package, "now").state, IntakeState::Added);
    ASSERT_EQ(fromFolder.add(package, "now").state, IntakeState::Added);
    EXPECT_FALSE(files.folderExists(dir + "staging1"));
    EXPECT_FALSE(files.folderExists(dir + "staging2"));
    for (const char* table :
         {"packages", "products", "member_rows", "package_member_groups", "files", "package_groups"}) {
        EXPECT_GT(countOf(inMemory, table), 0) << table;
        EXPECT_EQ(countOf(inMemory, table), countOf(staged, table)) << table;
    }
    auto rows = [](PackageLibrary& library) {
        std::string all;
        library.connection().execute(
            "SELECT p.computer, p.user_name, p.collected, p.windows, x.tag, x.version, m.name, m.sha256 FROM "
            "packages p JOIN products x ON x.package_id = p.id JOIN package_member_groups u ON u.package_id "
            "= "
            "p.id JOIN member_groups g ON g.group_id = u.group_id JOIN member_rows m ON m.id = g.member_id "
            "ORDER BY x.tag, m.name",
            {}, [&](const SqlRow& r) {
                for (const auto& v : r)
                    all += v.value_or("-") + "\t";
            });
        return all;
    };
    EXPECT_EQ(rows(inMemory), rows(staged));
}

TEST(LibraryPlaceTest, ThePasswordNeverShowsAndBracesKeepItWhole) {
    LibraryPlace place{"odbc:Driver={PostgreSQL Unicode};Server=db;Pwd={a;b}}c};Uid=kw"};
    EXPECT_TRUE(place.odbc());
    EXPECT_EQ(place.shown(), "odbc:Driver={PostgreSQL Unicode};Server=db;Pwd=********;Uid=kw");
    EXPECT_EQ(connectionParts("A=1;;B={x;y}"), (std::vector<std::string>{"A=1", "B={x;y}"}));
    EXPECT_EQ(connectionValue("a;b}c"), "{a;b}}c}");
    EXPECT_EQ(connectionValue("plain"), "plain");
    EXPECT_EQ(sortableDate("9.12.2026 8:05"), "2026-12-09 08:05:00");
    EXPECT_EQ(sortableDate("не дата"), "");
}

} // namespace
} // namespace kw
