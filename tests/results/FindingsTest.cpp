// The findings: each rule on a work folder that makes it fire and on a look-alike that must not, the rule
// table's conformance, and the table the findings are written as.
#include "results/Findings.h"

#include <gtest/gtest.h>

#include <set>

#include "core/EventLog.h"
#include "platform/Text.h"
#include "results/ResultTree.h"
#include "tests/TempFolder.h"

namespace kw {
namespace {

using Files = std::vector<std::pair<std::string, std::string>>; // name, UTF-8 text (written in ANSI)

// The event log as the run saves it: rich text.
std::string eventLog(std::initializer_list<const char*> lines) {
    EventLog log;
    for (const char* line : lines)
        log.append(line);
    return log.toRtf();
}

// One standard-parts component with one edition row: ELEMLibClient.dll 2.3.1.0 of 1000 bytes.
const EditionLookup kEditions{
    .isComponent = [](std::string_view f) { return sameTextIgnoringCase(f, "ELEMLibClient.dll"); },
    .matches = [](std::string_view, std::int64_t size,
                  std::string_view v) { return size == 1000 && v == "2.3.1.0"; },
};

class FindingsTest : public testing::Test {
  protected:
    void SetUp() override { files.createFolder(folder); }
    void write(const Files& content) {
        for (const auto& [name, text] : content)
            test::writeFileBytes(folder + "\\" + name, text.starts_with("{\\rtf") ? text : utf8ToAnsi(text));
    }
    std::vector<Finding> findings() {
        return evaluateFindings(files, folder, builtInRules().rules, &kEditions);
    }
    std::set<std::string> codes() {
        std::set<std::string> out;
        for (const Finding& f : findings())
            out.insert(f.code);
        return out;
    }

    FileSystem& files = windowsFileSystem();
    std::string folder = test::tempDir() + "Findings";
};

const std::string kViewerReg =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\MIRTAL-3D Viewer]\r\n\"CurrentVersion\"=\"21.0\"\r\n";
const std::string kMirtalReg =
    "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\MIRTAL-3D]\r\n"
    "\"CurrentVersion\"=\"22.0\"\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\MIRTAL-3D\\22.0]\r\n"
    "\"InstallPath\"=\"C:\\\\Program Files\\\\TAVIR\\\\MIRTAL\\\\\"\r\n";
std::string mirtalBin(const char* version) {
    return std::string(
               "Имя "
               "файла:\tБайт:\tДата:\tВерсия:\tmd5\tПуть:\r\nmHome.dll\t10\t01.01.2020\t9.9.9.9\t\tC:\\\r\n"
               "MIRTAL.Exe\t100\t01.01.2020\t") +
           version + "\t\tC:\\Program Files\\TAVIR\\MIRTAL\\Bin\\\r\n";
}
std::string international(const char* decimal, const char* thousand) {
    return std::string("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Control "
                       "Panel\\International]\r\n"
                       "\"sDecimal\"=\"") +
           decimal + "\"\r\n\"sThousand\"=\"" + thousand + "\"\r\n";
}
const std::string kPeltrandReg =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\Peltrand]\r\n\"Path\"=\"C:\\\\PLM\\\\\"\r\n"
    "\"CommonPath\"=\"\\\\\\\\srv\\\\COD\"\r\n";
const std::string kInventoryHeader = "Имя файла:\tБайт:\tДата:\tВерсия:\tmd5\tПуть:\r\n";

struct RuleCase {
    const char* name;
    Files files;
    std::set<std::string> fired; // the codes expected, and no other
};

// Each rule once firing and once on a look-alike.
const RuleCase kCases[] = {
    {"S01 fires",
     {{"software.txt", "Имя пользователя: ivan\r\nПрава пользователя: Нет прав Администратора\r\n"}},
     {"S01"}},
    {"S01 admin", {{"software.txt", "Права пользователя: Администратор\r\n"}}, {}},
    {"S02 fires",
     {{"software.txt", "каталог Windows: D:\\WINDOWS\r\n"},
      {"hardware.txt", "    C:\\ Fixed\t - DiskSize: 238 Gb\t - DiskFree: 2 Gb [NTFS]\r\n"
                       "    D:\\ Fixed\t - DiskSize: 1 238 Gb\t - DiskFree: 4 Gb [NTFS]\r\n"}},
     {"S02"}},
    {"S02 other drive full, grouped figure",
     {{"software.txt", "каталог Windows: C:\\WINDOWS\r\n"},
      {"hardware.txt", "    C:\\ Fixed\t - DiskSize: 2 238 Gb\t - DiskFree: 1\xC2\xA0"
                       "057 Gb [NTFS]\r\n"
                       "    D:\\ Fixed\t - DiskSize: 10 Gb\t - DiskFree: 1 Gb [NTFS]\r\n"}},
     {}},
    {"S03 fires",
     {{"hardware.txt", "Память:\r\n4097 Мб -- Всего физической памяти (в байтах): 4294967296\r\n"}},
     {"S03"}},
    {"S03 8 GB", {{"hardware.txt", "8193 Мб -- Всего физической памяти (в байтах): 8589934592\r\n"}}, {}},
    {"S04 fires", {{"(REG)International.txt", international(",", ",")}}, {"S04"}},
    {"S04 different", {{"(REG)International.txt", international(",", "\xC2\xA0")}}, {}},
    {"S04 both missing", {{"(REG)International.txt", international("", "")}}, {}},
    {"S05 fires",
     {{"KW_Scan!.rtf", eventLog({"начало", "[!!] [RegSet32] ошибка, с сообщением: x", "[!!] второй"})}},
     {"S05"}},
    {"S05 quoted only",
     {{"KW_Scan!.rtf", eventLog({"    S05 сведения: первая: [!!] x", "[-] [C:\\a.ini]"})}},
     {}},
    {"C01 main folder gone", {{"(REG)HKLM_MIRTAL-3D_.txt", kMirtalReg}}, {"C01"}},
    {"C01 main inventoried",
     {{"(REG)HKLM_MIRTAL-3D_.txt", kMirtalReg}, {"(MIRTAL_Bin)Files.csv", mirtalBin("21.0.1.7")}},
     {}},
    {"C01 viewer left behind", {{"(REG)HKLM_MIRTAL-3D_Viewer.txt", kViewerReg}}, {"C01"}},
    {"C01 viewer not registered",
     {{"(REG)HKLM_MIRTAL-3D_Viewer.txt", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\MIRTAL-3D Viewer]\r\n"}},
     {}},
    {"C02 older file",
     {{"(REG)MIRTAL.txt", kMirtalReg}, {"(MIRTAL_Bin)Files.csv", mirtalBin("21.5.0.3")}},
     {"C02"}},
    {"C02 other minor",
     {{"(REG)MIRTAL.txt", kMirtalReg}, {"(MIRTAL_Bin)Files.csv", mirtalBin("22.1.0.3")}},
     {"C02"}},
    {"C02 no version resource",
     {{"(REG)MIRTAL.txt", kMirtalReg}, {"(MIRTAL_Bin)Files.csv", mirtalBin("")}},
     {}},
    {"P01 fires",
     {{"(REG)Peltrand.txt", kPeltrandReg},
      {"KW_Scan!.rtf", eventLog({"PT.mdb:", "[-] [\\\\srv\\COD\\Settings\\PT\\PT.mdb] x \"PT.mdb\""})}},
     {"P01"}},
    {"P01 copied",
     {{"(REG)Peltrand.txt", kPeltrandReg},
      {"KW_Scan!.rtf",
       eventLog({"[\\\\srv\\COD\\Settings\\PT\\PT.mdb] ---> \"PT.mdb\"", "[-] [C:\\x\\PT.ini]"})}},
     {}},
    {"P02 fires",
     {{"PeltrandIntegrator.ini",
       "PeltrandIntegrator.ini: "
       "[C:\\PLM\\Client\\Integrator]\r\n[CommonOptions]\r\nLogFileName=D:\\Logs\\int.log\r\n"},
      {"KW_Scan!.rtf",
       eventLog({"Параметр без \"%\", но с \":\" - \"LogFileName\" из \"peltrandIntegrator.ini\" после "
                 "преобразования = D:\\Logs\\int.log",
                 " PeltrandIntegrator.log: [D:\\Logs\\int.log]", "[-] [D:\\Logs\\int.log]"})}},
     {"P02"}},
    {"P02 no log named",
     {{"PeltrandIntegrator.ini", "[CommonOptions]\r\nLogFileName=\r\n"},
      {"KW_Scan!.rtf", eventLog({"\"LogFileName\" после преобразования = C:\\PLM\\Client\\Integrator\\",
                                 "[-] [C:\\PLM\\Client\\Integrator\\]"})}},
     {}},
    {"P03 fires",
     {{"KW_Scan!.rtf",
       eventLog({"CommonPath = \\\\srv\\COD",
                 "COD:", "[-] Не могу получить список файлов COD, каталог [\\\\srv\\COD] не найден."})}},
     {"P03"}},
    {"P03 only a sub-folder missing",
     {{"KW_Scan!.rtf",
       eventLog({"CommonPath = \\\\srv\\COD", "COD:",
                 "[-] Не могу получить список файлов COD, каталог [\\\\srv\\COD\\PluginStore] не найден."})}},
     {}},
    {"P03 listed",
     {{"KW_Scan!.rtf", eventLog({"CommonPath = \\\\srv\\COD",
                                 "[-] Не могу получить список файлов COD_x, каталог [a] не найден."})}},
     {}},
    {"E01 replaced file",
     {{"(ELEMLib_Clients)Files.csv",
       kInventoryHeader + "elemlibclient.dll\t1001\t01.01.2020\t2.3.1.0\t\tC:\\E\\\r\n"}},
     {"E01"}},
    {"E01 one row matches",
     {{"(ELEMLib_Clients)Files.csv", kInventoryHeader +
                                         "ELEMLibClient.dll\t1000\t01.01.2020\t2.3.1.0\t\tC:\\E\\\r\n"
                                         "Other.dll\t5\t01.01.2020\t1.0.0.0\t\tC:\\E\\\r\n"}},
     {}},
    {"M01 fires",
     {{"(Materials)Set.txt", "Materials.exe: \r\nMaterials.exe: C:\\M\\Materials.exe\t - 100 байт  -  "
                             "\t01.01.2020\t - версия: 1.0.0.0\r\n"
                             "C:\\M\\Materials.exe\r\nОшибка подключения к базе данных материалов\r\n"}},
     {"M01"}},
    {"M01 success",
     {{"(Materials)Set.txt", "Materials.exe: \r\nMaterials.exe: C:\\M\\Materials.exe\t - 100 байт  -  "
                             "\t01.01.2020\t - версия: 1.0.0.0\r\n"
                             "Подключение успешно (Ошибок не обнаружено)\r\n"}},
     {}},
    {"S06 fires", {{"hardware.txt", "Компьютер не подключен к сети (-)\r\n"}}, {"S06"}},
    {"S06 connected", {{"hardware.txt", "Компьютер подключен к сети (+)\r\n"}}, {}},
    {"M01 program missing",
     {{"(Materials)Set.txt", "Materials.exe: \r\nФайл Materials.exe не найден в: C:\\M\\Materials.exe\r\n"}},
     {}},
};

TEST_F(FindingsTest, EachRuleFiresOnItsEvidenceAndNotOnALookAlike) {
    for (const RuleCase& c : kCases) {
        SCOPED_TRACE(c.name);
        files.deleteFolderTree(folder);
        files.createFolder(folder);
        write(c.files);
        EXPECT_EQ(codes(), c.fired);
    }
}

// Every rule of the table has both cases above: one on its evidence, one on a look-alike that stays silent.
TEST(FindingRulesTest, EveryRuleHasACaseAndALookAlike) {
    for (const FindingRule& rule : builtInRules().rules) {
        bool fires = false, silent = false;
        for (const RuleCase& c : kCases) {
            if (!std::string_view(c.name).starts_with(rule.code + " "))
                continue;
            (c.fired.contains(rule.code) ? fires : silent) = true;
        }
        EXPECT_TRUE(fires && silent) << rule.code;
    }
}

TEST_F(FindingsTest, FindingsNameTheirValuesAndSourceMostImportantFirst) {
    write({{"(REG)MIRTAL.txt", kMirtalReg},
           {"(MIRTAL_Bin)Files.csv", mirtalBin("21.5.0.3")},
           {"software.txt", "Права пользователя: Нет прав Администратора\r\n"},
           {"(REG)International.txt", international(".", ".")},
           {"KW_Scan!.rtf", eventLog({"[!!] a", "[!!] b"})}});
    std::vector<Finding> found = findings();
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[0].code, "S04"); // ошибка
    EXPECT_EQ(found[1].code, "S01"); // предупреждения in the table's order
    EXPECT_EQ(found[2].code, "C02");
    EXPECT_EQ(found[3].code, "S05"); // сведения
    EXPECT_EQ(found[2].source, "(MIRTAL_Bin)Files.csv");
    EXPECT_NE(found[2].problem.find("21.5.0.3"), std::string::npos);
    EXPECT_NE(found[2].problem.find("22.0"), std::string::npos);
    EXPECT_NE(found[3].problem.find("2, первая: [!!] a"), std::string::npos);
    EXPECT_EQ(findingSourceNode(found[2].source), findingSourceNode("(mirtal_bin)files.csv"));
    EXPECT_EQ(resultTree()[static_cast<size_t>(findingSourceNode(found[2].source))].text,
              "Список файлов [MIRTAL-3D Vxx\\Bin]");
    EXPECT_TRUE(hasProblems(found));

    std::vector<Finding> written;
    ASSERT_TRUE(writeFindings(files, folder, &kEditions, written));
    std::vector<std::string> lines = test::linesOf(test::readFileBytes(folder + "\\" + kFindingsFile));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], utf8ToAnsi("Код:\tВажность:\tПроблема:\tЧто сделать:\tИсточник:"));
    EXPECT_EQ(lines[1].rfind(utf8ToAnsi("S04\tошибка\t"), 0), 0u);
    EXPECT_TRUE(lines[1].ends_with("\t(REG)International.txt"));
}

TEST_F(FindingsTest, NoFindingLeavesTheHeaderOnlyAndABrokenTableOnlySilence) {
    std::vector<Finding> found;
    ASSERT_TRUE(writeFindings(files, folder, nullptr, found));
    EXPECT_TRUE(found.empty());
    EXPECT_FALSE(hasProblems(found));
    EXPECT_EQ(test::readFileBytes(folder + "\\" + kFindingsFile),
              utf8ToAnsi("Код:\tВажность:\tПроблема:\tЧто сделать:\tИсточник:\r\n"));
    EXPECT_EQ(findingLogLines(found), std::vector<std::string>{"Найденные проблемы: проблем не найдено"});

    // Rows that break the form are named and left out; the others still work.
    RuleTable table = parseRuleTable("# comment\n"
                                     "X1\tсведения\ta.txt\tline(\"a.txt\", \"x\")\tp {1}\tt\n"
                                     "X2\tважно\ta.txt\tline(\"a.txt\")\tp\tt\n"
                                     "X3\tсведения\ta.txt\tline(\"a.txt\" \"x\")\tp\tt\n"
                                     "X4\tсведения\ta.txt\tline(\"a.txt\", \"x\") & \"unclosed\tp\tt\n"
                                     "X5\tсведения\ta.txt\n");
    ASSERT_EQ(table.rules.size(), 1u);
    ASSERT_EQ(table.errors.size(), 4u);
    EXPECT_EQ(table.errors[0].line, 3u);
    test::writeFileBytes(folder + "\\a.txt", utf8ToAnsi("x\tтаб\r\n"));
    found = evaluateFindings(files, folder, table.rules, nullptr);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].problem, "p x таб"); // a value never breaks the table's line
}

TEST(FindingChecksTest, NumbersVersionsAndNamePatterns) {
    EXPECT_EQ(readGroupedNumber(" - DiskFree: 1 057 Gb"), 1057);
    EXPECT_EQ(readGroupedNumber("12 Gb 34"), 12);
    EXPECT_EQ(readGroupedNumber("без числа"), std::nullopt);
    EXPECT_EQ(majorMinorOf("22.0.1.777"), (std::pair{22, 0}));
    EXPECT_EQ(majorMinorOf("22"), (std::pair{22, -1}));
    EXPECT_EQ(majorMinorOf("v22"), std::nullopt);
    EXPECT_TRUE(globMatches("*Files.csv", "(ELEMLib)DataSets_files.CSV"));
    EXPECT_FALSE(globMatches("*Files.csv", "Files.csv.bak"));
}

// Codes stay unique, every file a rule reads is one of its sources and a topic of the result tree, and every
// text is there: the table is data a maintainer extends.
TEST(FindingRulesTest, TheRuleTableConforms) {
    const RuleTable& table = builtInRules();
    for (const RuleTableError& e : table.errors)
        ADD_FAILURE() << "line " << e.line << ": " << e.message;
    std::set<std::string> codes;
    for (const FindingRule& rule : table.rules) {
        SCOPED_TRACE(rule.code);
        EXPECT_TRUE(codes.insert(rule.code).second) << "code repeated";
        EXPECT_FALSE(rule.problem.empty());
        EXPECT_FALSE(rule.todo.empty());
        EXPECT_FALSE(rule.sources.empty());
        for (const std::string& source : rule.sources) {
            bool topic = false;
            for (const ResultNode& n : resultTree())
                topic = topic || (!n.file.empty() && globMatches(source, n.file));
            EXPECT_TRUE(topic) << source;
        }
        // Every check is known, and the files it reads are among the rule's sources.
        std::function<void(const RuleTerm&)> walk = [&](const RuleTerm& t) {
            if (!t.call)
                return;
            EXPECT_TRUE(isKnownCheck(t.text, t.args.size())) << t.text;
            bool readsFile =
                t.text != "left" && t.text != "number" && t.text != "missing" && t.text != "join";
            if (readsFile && !t.args.empty() && !t.args[0].call) {
                bool listed = false;
                for (const std::string& s : rule.sources)
                    listed = listed || s == t.args[0].text;
                EXPECT_TRUE(listed) << t.args[0].text;
            }
            if (t.text == "missing") {
                bool listed = false;
                for (const std::string& s : rule.sources)
                    listed = listed || s == "KW_Scan!.rtf";
                EXPECT_TRUE(listed) << "missing() reads the event log";
            }
            for (const RuleTerm& a : t.args)
                walk(a);
        };
        for (const RuleAlternative& alternative : rule.alternatives)
            for (const RuleCondition& c : alternative) {
                walk(c.left);
                walk(c.right);
            }
    }
    for (const char* code :
         {"S01", "S02", "S03", "S04", "C01", "C02", "P01", "P02", "P03", "E01", "M01", "S05"})
        EXPECT_TRUE(codes.contains(code)) << code;
}

} // namespace
} // namespace kw
