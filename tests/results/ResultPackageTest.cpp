// Saving a work folder as a package and opening packages again, on real folders of the test's own
// temporary directory; the clock and the computer name are the test's.
#include "results/ResultPackage.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <map>

#include "platform/Cabinet.h"
#include "platform/Digest.h"
#include "platform/Text.h"
#include "results/PackageManifest.h"
#include "results/SecretMasking.h"
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
    // The members of a package unpacked into a folder of their own, in cabinet order.
    std::vector<std::string> unpack(const std::string& package, const std::string& folder) {
        files.createFolder(folder);
        ExtractedCabinet result;
        EXPECT_FALSE(extractCabinet(package, folder, {}, result));
        return result.written;
    }
    std::vector<std::string> logLinesStartingWith(const std::string& head) {
        std::vector<std::string> out;
        for (const std::string& t : run.eventLog().texts())
            if (t.rfind(head, 0) == 0)
                out.push_back(t);
        return out;
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

// What a killed process left in the temporary folder goes; a running one's folders stay.
TEST(StagingFolders, OnlyThoseOfEndedProcessesAreRemoved) {
    FileSystem& files = windowsFileSystem();
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"cmd.exe /c exit";
    ASSERT_TRUE(CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                               nullptr, &si, &pi));
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess); // its number is free now
    const std::string temp = test::tempDir();
    const std::string ended = temp + "KW_Compare_" + std::to_string(pi.dwProcessId) + "_1";
    const std::string mine = temp + "KW_Check_" + std::to_string(GetCurrentProcessId());
    const std::string other = temp + "KW_Comparison_1";
    for (const std::string& f : {ended, mine, other})
        ASSERT_TRUE(files.createFolder(f));
    removeStaleStagingFolders(files, temp);
    EXPECT_FALSE(files.folderExists(ended));
    EXPECT_TRUE(files.folderExists(mine));
    EXPECT_TRUE(files.folderExists(other));
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
                                        "(cmd)ipconfig_all.txt", "KW_Manifest.csv", "KW_Masked.csv",
                                        "KW_Scan!.rtf", "empty.txt"}));
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
    EXPECT_TRUE(logHas("Состав пакета проверен: все файлы (6) совпадают."));
    // The staging folders are this process's own, and gone again.
    std::string pid = std::to_string(GetCurrentProcessId());
    EXPECT_EQ(packages.stagingFolder("KW_Open"), test::tempDir() + "KW_Open_" + pid);
    EXPECT_FALSE(files.folderExists(test::tempDir() + "KW_Open_" + pid));
    EXPECT_FALSE(files.folderExists(test::tempDir() + "KW_Pack_" + pid));
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

// ---- contents list and hidden secrets ----

std::string oemBytes(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_OEMCP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_OEMCP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

TEST_F(ResultPackageTest, PackageListsEveryMemberAsPackedAndHidesSecrets) {
    const std::string ini = utf8ToAnsi("[Connection]\r\nServer=PLM-SRV01\r\nUserName=ivanov\r\n"
                                       "Password=Qw3rty!\r\nЯзык=Русский\r\n");
    const std::string set =
        oemBytes(L"USERNAME=ivanov\r\nTAVIR_DB_PASSWORD=EnvSecret1\r\nПапка=C:\\Temp\r\n");
    const std::string picture = std::string("\xFF\xD8\0\0Password=inside a picture", 30);
    files.writeFile(work("(Peltrand)Peltrand.ini"), ini);
    files.writeFile(work("(cmd)set.txt"), set);
    files.writeFile(work("Screen_1.jpg"), picture);
    files.writeFile(work("KW_Scan!.txt"), "timing\r\n");
    files.writeFile(work("KW_Manifest.csv"), "left by an earlier save");

    ASSERT_EQ(packages.SavePackage(out()).result, SaveResult::Saved);
    std::string folder = test::tempDir() + "unpacked";
    std::vector<std::string> members = unpack(expectedPackage(), folder);
    // The lists come last, the contents list the very last.
    ASSERT_EQ(members.size(), 6u);
    EXPECT_EQ(members[4], "KW_Masked.csv");
    EXPECT_EQ(members[5], "KW_Manifest.csv");

    auto rows = parseManifest(test::readFileBytes(folder + "\\KW_Manifest.csv"));
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 5u);
    for (size_t i = 0; i < rows->size(); ++i) {
        std::string bytes = test::readFileBytes(folder + "\\" + members[i]);
        EXPECT_EQ((*rows)[i].name, members[i]);
        EXPECT_EQ((*rows)[i].size, static_cast<std::int64_t>(bytes.size())) << members[i];
        EXPECT_EQ((*rows)[i].sha256, sha256Hex(bytes)) << members[i];
        EXPECT_EQ((*rows)[i].topic, topicOfFile(members[i]));
    }
    EXPECT_TRUE(test::readFileBytes(folder + "\\KW_Manifest.csv")
                    .starts_with(utf8ToAnsi("Имя файла:\tБайт:\tSHA-256:\tТема:\r\n")));
    EXPECT_EQ(topicOfFile("(cmd)set.txt"), "Set - список установленных переменных среды и их значений");
    EXPECT_EQ(topicOfFile("KW_Masked.csv"), "Скрытые пароли");
    EXPECT_EQ(topicOfFile("KW_Manifest.csv"), "Состав пакета");
    EXPECT_EQ(topicOfFile("Screen_1.jpg"), "");

    // The package holds the masked copies; the work folder keeps the originals.
    EXPECT_EQ(test::readFileBytes(folder + "\\(Peltrand)Peltrand.ini"),
              utf8ToAnsi("[Connection]\r\nServer=PLM-SRV01\r\nUserName=ivanov\r\nPassword=********\r\n"
                         "Язык=Русский\r\n"));
    EXPECT_EQ(test::readFileBytes(folder + "\\(cmd)set.txt"),
              oemBytes(L"USERNAME=ivanov\r\nTAVIR_DB_PASSWORD=********\r\nПапка=C:\\Temp\r\n"));
    EXPECT_EQ(test::readFileBytes(folder + "\\Screen_1.jpg"), picture);
    EXPECT_EQ(test::readFileBytes(work("(Peltrand)Peltrand.ini")), ini);
    EXPECT_EQ(test::readFileBytes(work("(cmd)set.txt")), set);
    // One row per value, in the order of the members; never the value.
    std::string masked = ansiToUtf8(test::readFileBytes(folder + "\\KW_Masked.csv"));
    EXPECT_TRUE(masked.starts_with("Имя файла:\tСтрока:\tПараметр:\r\n")) << masked;
    EXPECT_NE(masked.find("\r\n(Peltrand)Peltrand.ini\t4\tPassword\r\n"), std::string::npos) << masked;
    EXPECT_NE(masked.find("\r\n(cmd)set.txt\t2\tTAVIR_DB_PASSWORD\r\n"), std::string::npos) << masked;
    EXPECT_EQ(test::linesOf(masked).size(), 3u);
    EXPECT_EQ(masked.find("Qw3rty"), std::string::npos);
    // The customer sees both lists in the tree before sending: they stay in the work folder.
    EXPECT_EQ(test::readFileBytes(work("KW_Masked.csv")), test::readFileBytes(folder + "\\KW_Masked.csv"));
    EXPECT_EQ(test::readFileBytes(work("KW_Manifest.csv")),
              test::readFileBytes(folder + "\\KW_Manifest.csv"));
    EXPECT_TRUE(logHas("Скрыто значений паролей, ключей и токенов: 2 (список - KW_Masked.csv)"));
    EXPECT_TRUE(logHas("Состав пакета записан в KW_Manifest.csv: файлов - 5"));
    EXPECT_FALSE(files.folderExists(test::tempDir() + "KW_Pack_" + std::to_string(GetCurrentProcessId())));
}

TEST_F(ResultPackageTest, WithTheOptionOffThePackageHoldsTheFilesAsTheyAre) {
    options.set(Option::HidePasswords, false);
    const std::string ini = "Password=Qw3rty!\r\n";
    files.writeFile(work("a.ini"), ini);
    files.writeFile(work("KW_Masked.csv"), "from an earlier save with the option on");
    ASSERT_EQ(packages.SavePackage(out()).result, SaveResult::Saved);
    std::string folder = test::tempDir() + "unpacked";
    EXPECT_EQ(unpack(expectedPackage(), folder), (std::vector<std::string>{"a.ini", "KW_Manifest.csv"}));
    EXPECT_EQ(test::readFileBytes(folder + "\\a.ini"), ini);
    EXPECT_FALSE(test::fileExists(work("KW_Masked.csv")));
    auto rows = parseManifest(test::readFileBytes(folder + "\\KW_Manifest.csv"));
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 1u);
    EXPECT_EQ((*rows)[0].sha256, sha256Hex(ini));
    EXPECT_TRUE(logHas("Пароли в пакете не скрыты: настройка \"Скрывать пароли в пакете\" выключена"));
}

TEST_F(ResultPackageTest, OpeningSaysWhichFilesDifferFromTheList) {
    files.writeFile(work("KW_Scan!.rtf"), "{\\rtf1 log}");
    files.writeFile(work("software.txt"), "Windows 10\r\n");
    files.writeFile(work("hardware.txt"), "CPU 2\r\n");
    files.writeFile(work("Paths.txt"), "C:\\TAVIR\r\n");
    ASSERT_EQ(packages.SavePackage(out()).result, SaveResult::Saved);
    std::string folder = test::tempDir() + "unpacked";
    std::vector<std::string> members = unpack(expectedPackage(), folder);

    // Another cabinet of the same members: one altered in place, one changed in size, one taken out, one
    // added.
    std::vector<CabinetSource> sources;
    files.writeFile(folder + "\\software.txt", "Windows 11\r\n");
    files.writeFile(folder + "\\hardware.txt", "CPU 16\r\n");
    files.writeFile(folder + "\\added.txt", "not in the list");
    for (const std::string& m : members)
        if (m != "Paths.txt")
            sources.push_back({folder + "\\" + m, m});
    sources.push_back({folder + "\\added.txt", "added.txt"});
    std::string tampered = test::tempDir() + "tampered.cab";
    ASSERT_FALSE(writeCabinet(tampered, sources, "KW_Archive"));

    size_t before = run.eventLog().texts().size();
    OpenOutcome o = packages.OpenPackage(tampered, kCompareFolder);
    ASSERT_TRUE(o.opened) << o.reason;
    EXPECT_EQ(o.check.manifest, ManifestState::Checked);
    EXPECT_EQ(o.check.differing(), 4);
    // One line per file that differs, in the order of the list (the cabinet's), then the unlisted.
    const std::map<std::string, std::pair<std::string, std::string>> expected = {
        {"hardware.txt",
         {"[!!] Файл пакета \"hardware.txt\" изменён: размер 8 байт, а по составу пакета 7", "изменён"}},
        {"Paths.txt",
         {"[!!] Файл пакета \"Paths.txt\" отсутствует: он указан в составе пакета, но в пакете его нет",
          "отсутствует"}},
        {"software.txt",
         {"[!!] Файл пакета \"software.txt\" изменён: содержимое не совпадает с составом пакета (SHA-256)",
          "изменён"}},
    };
    std::vector<std::string> wantLines;
    std::string wantReport = "Имя файла:\tСостояние:\r\n";
    for (const std::string& m : members) {
        if (m == "KW_Manifest.csv")
            continue;
        auto e = expected.find(m);
        if (e != expected.end())
            wantLines.push_back(e->second.first);
        wantReport += m + "\t" + (e != expected.end() ? e->second.second : "совпадает") + "\r\n";
    }
    wantLines.push_back("[!!] Файл пакета \"added.txt\" лишний: его нет в составе пакета");
    wantReport += "added.txt\tлишний\r\n";
    std::vector<std::string> lines;
    auto texts = run.eventLog().texts();
    for (size_t i = before; i < texts.size(); ++i)
        if (texts[i].rfind("[!!]", 0) == 0)
            lines.push_back(texts[i]);
    EXPECT_EQ(lines, wantLines);
    EXPECT_TRUE(logHas("Пакет не совпадает со своим составом: файлов с расхождениями - 4."));
    EXPECT_NE(observer.topics.back().find("Не совпадают с составом пакета файлов: 4"), std::string::npos);
    // Nothing is refused: the engineer decides.
    EXPECT_EQ(test::readFileBytes(compare("software.txt")), "Windows 11\r\n");
    EXPECT_EQ(test::readFileBytes(compare("added.txt")), "not in the list");
    EXPECT_EQ(ansiToUtf8(verifyReportText(o.check)), wantReport);
}

TEST_F(ResultPackageTest, PackageWithoutAListOpensWithOneLineSayingSo) {
    std::string cab = cabinetOf({{"software.txt", "Windows 10\r\n"}}, "old.cab");
    OpenOutcome o = packages.OpenPackage(cab, kWorkFolder);
    ASSERT_TRUE(o.opened);
    EXPECT_EQ(o.check.manifest, ManifestState::Missing);
    EXPECT_EQ(o.check.differing(), 0);
    EXPECT_TRUE(logHas("В пакете \"" + cab +
                       "\" нет состава пакета (KW_Manifest.csv): проверить, дошёл ли он целым, нельзя."));
    EXPECT_TRUE(logLinesStartingWith("[!!]").empty());

    std::string broken = cabinetOf({{"software.txt", "x"}, {"KW_Manifest.csv", "not a list"}}, "broken.cab");
    o = packages.OpenPackage(broken, kWorkFolder);
    ASSERT_TRUE(o.opened);
    EXPECT_EQ(o.check.manifest, ManifestState::Unreadable);
    EXPECT_EQ(logLinesStartingWith("[!!] Состав пакета KW_Manifest.csv").size(), 1u);
}

TEST_F(ResultPackageTest, PackageWithNothingToWriteLeavesTheOpenResults) {
    files.writeFile(work("KW_Scan!.rtf"), "{\\rtf1 the run}");
    std::string refused = cabinetOf({{"..\\evil.txt", "1"}, {"CON", "2"}}, "refused.cab");
    std::string empty = test::tempDir() + "empty.cab";
    ASSERT_FALSE(writeCabinet(empty, std::vector<CabinetSource>{}, "KW_Archive"));
    for (const std::string& package : {refused, empty}) {
        OpenOutcome o = packages.OpenPackage(package, kWorkFolder);
        EXPECT_FALSE(o.opened) << package;
        EXPECT_NE(o.reason.find("в пакете нет ни одного файла"), std::string::npos) << o.reason;
        EXPECT_EQ(folderNames(test::tempDir() + "KW_Temp"), std::vector<std::string>{"KW_Scan!.rtf"});
        EXPECT_EQ(test::readFileBytes(work("KW_Scan!.rtf")), "{\\rtf1 the run}");
        EXPECT_FALSE(logHas("Перед открытием файла очищен временный каталог KW_Temp"));
    }
}

} // namespace
} // namespace kw
