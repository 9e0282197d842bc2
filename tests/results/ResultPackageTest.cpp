// Saving a work folder as a package and opening packages again, on real folders of the test's own
// temporary directory; the clock and the computer name are the test's.
#include "results/ResultPackage.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "platform/Cabinet.h"
#include "platform/Text.h"
#include "tests/TempFolder.h"
#include "tests/core/FakeProcesses.h"
#include "tests/core/FakeSystem.h"

namespace kw {
namespace {

struct StatusObserver : RunObserver {
    std::vector<std::string> topics;
    std::vector<int> progress;
    void topicChanged(const std::string& t) override { topics.push_back(t); }
    void progressChanged(int v) override { progress.push_back(v); }
};

// A clock whose short date uses another separator, as some locales do.
struct SlashDateSystem : test::FakeSystem {
    std::string shortDate(const LocalTime&) override { return "08/12/2026"; }
    std::string longTime(const LocalTime&) override { return "10:00:00"; }
};

class ResultPackageTest : public testing::Test {
  protected:
    SlashDateSystem clock;
    test::RecordingProcesses processes;
    OptionSet options;
    Settings settings;
    CollectionRun run{{windowsFileSystem(), clock, windowsDesktop(), processes}, options, settings};
    StatusObserver observer;
    ResultPackages packages{run, observer};
    FileSystem& files = windowsFileSystem();

    void SetUp() override {
        run.folders().CreateWorkFolder(kWorkFolder);
        run.folders().CreateWorkFolder(kCompareFolder);
        files.createFolder(out());
    }
    std::string work(const std::string& name) { return run.folders().workPath(name); }
    std::string compare(const std::string& name) { return run.folders().comparePath(name); }
    std::string out() { return test::tempDir() + "out"; }
    std::string expectedPackage() { return out() + "\\TESTPC_08122026_100000.cab"; }
    bool logHas(const std::string& line) {
        auto t = run.eventLog().texts();
        return std::find(t.begin(), t.end(), line) != t.end();
    }
    std::vector<std::string> folderNames(const std::string& folder) {
        std::vector<std::string> names;
        files.listFolder(folder + "\\", [&](const FolderEntry& e) {
            names.push_back(e.name + (e.folder ? "\\" : ""));
            return true;
        });
        std::sort(names.begin(), names.end());
        return names;
    }
    // A cabinet holding the given members, names written as they are.
    std::string cabinetOf(const std::vector<std::pair<std::string, std::string>>& members,
                          const std::string& name) {
        std::string src = test::tempDir() + "src_" + name;
        files.createFolder(src);
        std::vector<CabinetSource> sources;
        int i = 0;
        for (const auto& [member, bytes] : members) {
            std::string path = src + "\\" + std::to_string(i++);
            files.writeFile(path, bytes);
            sources.push_back({path, member});
        }
        std::string cab = test::tempDir() + name;
        EXPECT_FALSE(writeCabinet(cab, sources, "KW_Archive"));
        return cab;
    }
};

TEST(ResultPackageNames, DirectiveFileAndPackageName) {
    EXPECT_EQ(
        directiveText({"KW_Scan!.rtf", "(REG)HKLM_TAVIR.txt"}),
        "; Установка различных переменных MakeCab\r\n.Set Cabinet=On\r\n.Set CabinetName1=KWScan.CAB\r\n"
        ".Set Compress=on\r\n.Set DiskDirectory1=.\r\n.Set DiskLabel=\"KW_Archive\"\r\n"
        ".Set MaxDiskSize=CDROM\r\n.Set RptFileName=Archive.TXT\r\n; список архивируемых файлов\r\n"
        "\"KW_Scan!.rtf\"\r\n\"(REG)HKLM_TAVIR.txt\"\r\n");
    EXPECT_EQ(packageFileName("WS-01", "08.12.2026", "14:05:09"), "WS-01_08122026_140509.cab");
    // Separators a file name cannot hold are dropped; the others stay.
    EXPECT_EQ(packageFileName("WS-01", "12/8/2026", "2:05:09 PM"), "WS-01_1282026_20509 PM.cab");
    EXPECT_EQ(packageFileName("WS", "2026-12-08", "14.05.09"), "WS_2026-12-08_14.05.09.cab");
    for (const char* name : {"KWScan.DDF", "KWScan.CAB", "Archive.TXT", "setup.inf", "KW_Scan_CAB.txt"})
        EXPECT_TRUE(isPackingByProduct(name)) << name;
    EXPECT_FALSE(isPackingByProduct("kwscan.cab")); // the names are exact
}

TEST(ResultPackageNames, OnlyPlainNamesAreWrittenIntoTheFolder) {
    const std::string folder = "C:\\users\\Иван Петров\\Temp\\KW_Temp";
    for (const char* ok : {"KW_Scan!.rtf", "(REG)(64)HKLM_TAVIR.txt", "Отчёт СТП.txt", "a..b.txt", ".hidden"})
        EXPECT_FALSE(memberRefusal(ok, folder)) << ok;
    for (const char* bad :
         {"",         ".",         "..",           "..\\evil.txt", "../evil.txt", "sub\\a.txt",
          "C:x.txt",  "C:\\x.txt", "a.txt:stream", "CON",          "con.txt",     "Nul",
          "COM1.log", "LPT9",      "x.",           "x ",           "a*b",         "a?b",
          "a|b",      "a\"b",      "a\tb"})
        EXPECT_TRUE(memberRefusal(bad, folder)) << bad;
    EXPECT_FALSE(memberRefusal(std::string(200, 'a'), folder));
    EXPECT_TRUE(memberRefusal(std::string(230, 'a'), folder)); // the whole path would pass MAX_PATH
    EXPECT_TRUE(memberRefusal(std::string(256, 'a'), "C:\\T"));
}

TEST_F(ResultPackageTest, SavedPackageHoldsEveryFileOfTheFolderAndOpensAgain) {
    const std::string binary = [] {
        std::string b(300000, '\0');
        for (size_t i = 0; i < b.size(); ++i)
            b[i] = static_cast<char>((i * 7919) >> 3);
        return b;
    }();
    files.writeFile(work("KW_Scan!.rtf"), "{\\rtf1 log}");
    files.writeFile(work("(cmd)ipconfig_all.txt"), "\x8d\xa0\xe1\xe2\xe0\xae\xa9\xaa\xa0\r\n");
    files.writeFile(work(toUtf8(L"(Peltrand)Отчёт.ini")), "[x]\r\n");
    files.writeFile(work("empty.txt"), "");
    files.writeFile(work("(MIRTAL)Files.csv"), binary);
    files.writeFile(work("Archive.TXT"), "an earlier save's report");
    files.createFolder(work("sub"));
    files.writeFile(work("sub\\inner.txt"), "not packed");

    SaveOutcome saved = packages.SavePackage(out());
    ASSERT_EQ(saved.result, SaveResult::Saved) << saved.reason;
    EXPECT_EQ(saved.package, expectedPackage());
    EXPECT_TRUE(test::fileExists(expectedPackage()));
    // The by-products are gone again; the results are not.
    EXPECT_FALSE(test::fileExists(work("KWScan.CAB")));
    EXPECT_FALSE(test::fileExists(work("KWScan.DDF")));
    EXPECT_FALSE(test::fileExists(work("Archive.TXT")));
    EXPECT_TRUE(test::fileExists(work("sub\\inner.txt")));
    EXPECT_TRUE(logHas("текущий каталог - " + test::tempDir() + "KW_Temp"));
    EXPECT_TRUE(logHas("Подготовка файла. Пожалуйста подождите..."));
    EXPECT_TRUE(logHas("Файл скопирован: \"" + out() + "\" - [10:00:00]"));
    EXPECT_EQ(observer.topics.back(), "Файл записан");
    auto timing = run.timingLog().lines();
    ASSERT_GE(timing.size(), 3u);
    EXPECT_EQ(timing[0], "Подготовка файла. Пожалуйста подождите - [10:00:00]");
    EXPECT_EQ(timing[1], "Файл скопирован: \"" + out() + "\" - [10:00:00]");

    OpenOutcome opened = packages.OpenPackage(expectedPackage(), kCompareFolder);
    ASSERT_TRUE(opened.opened) << opened.reason;
    EXPECT_TRUE(opened.refused.empty());
    EXPECT_EQ(folderNames(test::tempDir() + "KW_Temp2"),
              (std::vector<std::string>{"(MIRTAL)Files.csv", toUtf8(L"(Peltrand)Отчёт.ini"),
                                        "(cmd)ipconfig_all.txt", "KW_Scan!.rtf", "empty.txt"}));
    EXPECT_EQ(test::readFileBytes(compare("(MIRTAL)Files.csv")), binary);
    EXPECT_EQ(test::readFileBytes(compare("(cmd)ipconfig_all.txt")),
              "\x8d\xa0\xe1\xe2\xe0\xae\xa9\xaa\xa0\r\n");
    EXPECT_EQ(test::readFileBytes(compare("empty.txt")), "");
    // Side 1 is untouched by opening into side 2.
    EXPECT_TRUE(test::fileExists(work("sub\\inner.txt")));
    EXPECT_TRUE(test::fileExists(work("KW_Scan!.rtf")));
    EXPECT_TRUE(logHas("открываем файл - " + expectedPackage()));
    EXPECT_TRUE(logHas("Перед открытием файла очищен временный каталог KW_Temp"));
    EXPECT_TRUE(logHas("Загружена информация из файла \"" + expectedPackage() + "\" - [10:00:00]"));
    EXPECT_FALSE(files.folderExists(test::tempDir() + "KW_Open"));
}

TEST_F(ResultPackageTest, FailedCopyKeepsEverythingAndCanSaveElsewhere) {
    files.writeFile(work("KW_Scan!.txt"), "timing\r\n");
    ASSERT_EQ(packages.SavePackage(out()).result, SaveResult::Saved);
    // Twice in one second: the name is taken, and the earlier package is not replaced.
    std::string first = test::readFileBytes(expectedPackage());
    files.writeFile(work("KW_Scan!.txt"), "second\r\n");
    SaveOutcome again = packages.SavePackage(out());
    EXPECT_EQ(again.result, SaveResult::CopyFailed);
    EXPECT_NE(again.reason.find(expectedPackage()), std::string::npos) << again.reason;
    EXPECT_EQ(test::readFileBytes(expectedPackage()), first);
    EXPECT_TRUE(logHas("Копирование не удалось. Пожалуйста, попробуйте повторить сохранение."));
    EXPECT_EQ(observer.topics.back(), "Копирование не удалось");
    EXPECT_TRUE(test::fileExists(work("KWScan.CAB")));
    EXPECT_TRUE(test::fileExists(work("KW_Scan!.txt")));

    SaveOutcome elsewhere = packages.savePackageAs(test::tempDir() + "elsewhere.cab");
    ASSERT_EQ(elsewhere.result, SaveResult::Saved) << elsewhere.reason;
    EXPECT_FALSE(test::fileExists(work("KWScan.CAB")));
    ASSERT_TRUE(packages.OpenPackage(test::tempDir() + "elsewhere.cab", kCompareFolder).opened);
    EXPECT_EQ(test::readFileBytes(compare("KW_Scan!.txt")), "second\r\n");

    // A folder that does not exist cannot take the package either.
    files.writeFile(work("KW_Scan!.txt"), "third\r\n");
    EXPECT_EQ(packages.SavePackage(test::tempDir() + "missing\\folder").result, SaveResult::CopyFailed);
    EXPECT_TRUE(test::fileExists(work("KW_Scan!.txt")));
}

TEST_F(ResultPackageTest, FolderBeyondOneCabinetIsRefusedBeforeAnythingChanges) {
    files.writeFile(work("Archive.TXT"), "kept");
    // A sparse file: its size costs no disk.
    HANDLE h =
        CreateFileW(toWide(work("big.bin")).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = kCabinetCapacity + 1;
    SetFilePointerEx(h, size, nullptr, FILE_BEGIN);
    SetEndOfFile(h);
    CloseHandle(h);

    SaveOutcome outcome = packages.SavePackage(out());
    EXPECT_EQ(outcome.result, SaveResult::TooLarge);
    EXPECT_NE(outcome.reason.find("1900 МБ"), std::string::npos) << outcome.reason;
    EXPECT_TRUE(test::fileExists(work("Archive.TXT")));
    EXPECT_FALSE(test::fileExists(work("KWScan.DDF")));
    EXPECT_EQ(folderNames(out()), std::vector<std::string>{});
}

TEST_F(ResultPackageTest, DamagedOrForeignFilesLeaveTheTargetAsItWas) {
    files.writeFile(work("KW_Scan!.rtf"), "{\\rtf1 the run}");
    files.writeFile(compare("KW_Scan!.rtf"), "{\\rtf1 side 2}");
    std::string notCab = test::tempDir() + "notes.txt";
    files.writeFile(notCab, "just a text file, long enough to look like something............");
    std::string cab =
        cabinetOf({{"KW_Scan!.rtf", std::string(200000, 'x') + "tail"}, {"b.txt", "b"}}, "whole.cab");
    std::string bytes = test::readFileBytes(cab);
    std::string truncated = test::tempDir() + "truncated.cab";
    files.writeFile(truncated, bytes.substr(0, bytes.size() / 2));
    std::string empty = test::tempDir() + "empty.cab";
    files.writeFile(empty, "");

    for (const std::string& package : {notCab, truncated, empty, test::tempDir() + "missing.cab"}) {
        OpenOutcome o = packages.OpenPackage(package, kWorkFolder);
        EXPECT_FALSE(o.opened) << package;
        EXPECT_FALSE(o.reason.empty()) << package;
        EXPECT_EQ(test::readFileBytes(work("KW_Scan!.rtf")), "{\\rtf1 the run}") << package;
        EXPECT_TRUE(
            logHas("[!!] Не удалось открыть файл \"" + package + "\" ошибка, с сообщением: " + o.reason));
        EXPECT_NE(observer.topics.back().find("Не удалось открыть файл"), std::string::npos);
        EXPECT_TRUE(test::fileExists(package) || package.ends_with("missing.cab")); // nothing is deleted
    }
    EXPECT_EQ(test::readFileBytes(compare("KW_Scan!.rtf")), "{\\rtf1 side 2}");
    EXPECT_TRUE(packages.OpenPackage(cab, kWorkFolder).opened);
    EXPECT_EQ(test::readFileBytes(work("b.txt")), "b");
}

TEST_F(ResultPackageTest, HostileNamesAreRefusedAndNothingLandsOutsideTheTarget) {
    std::string cab = cabinetOf({{"..\\evil.txt", "1"},
                                 {"..\\..\\evil2.txt", "2"},
                                 {"sub\\inner.txt", "3"},
                                 {"C:\\evil3.txt", "4"},
                                 {"CON", "5"},
                                 {"ok.txt", "fine"},
                                 {"OK.TXT", "twin"}},
                                "hostile.cab");
    OpenOutcome o = packages.OpenPackage(cab, kWorkFolder);
    ASSERT_TRUE(o.opened) << o.reason;
    EXPECT_EQ(folderNames(test::tempDir() + "KW_Temp"), std::vector<std::string>{"ok.txt"});
    EXPECT_EQ(test::readFileBytes(work("ok.txt")), "fine");
    EXPECT_EQ(o.refused.size(), 6u);
    EXPECT_FALSE(test::fileExists(test::tempDir() + "evil.txt"));
    EXPECT_FALSE(test::fileExists(test::tempDir() + "KW_Temp\\..\\evil.txt"));
    EXPECT_FALSE(test::fileExists("C:\\evil3.txt"));
    EXPECT_FALSE(files.folderExists(work("sub")));
    EXPECT_TRUE(logHas("[!!] Файл пакета \"..\\evil.txt\" не открыт: имя содержит путь"));
    EXPECT_TRUE(logHas("[!!] Файл пакета \"OK.TXT\" не открыт: имя повторяется в пакете"));
}

} // namespace
} // namespace kw
