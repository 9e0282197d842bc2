// A full run of KW_Scan.exe on the demo machine, in the prefix the test is given: what the CAD and PLM
// sections leave in the work folder and write into the event log, read from the files themselves.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "core/FileInventory.h"
#include "core/TextBuffer.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "tests/TempFolder.h"
#include "tests/e2e/RunningProgram.h"

namespace kw {
namespace {

const std::string kRule(68, '_');
const std::string kMirtal = "C:\\Program Files\\TAVIR\\MIRTAL-3D v21\\";
const std::string kHome = "C:\\Program Files\\TAVIR\\MIRTAL-3D Home v21\\";
const std::string kPeltrand = "C:\\Program Files\\TAVIR\\Peltrand\\";
const std::string kCod = "C:\\TAVIR Data\\COD";

std::string work(const std::string& name) {
    return test::tempDir() + "KW_Temp\\" + name;
}

std::vector<std::string> fileLines(const std::string& name) {
    std::vector<std::string> lines = splitLines(ansiToUtf8(test::readFileBytes(work(name))));
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

std::string appData() {
    wchar_t buf[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, buf, CSIDL_APPDATA, FALSE);
    return toUtf8(buf);
}

// The event log's lines, back from its rich text (one paragraph a line).
std::vector<std::string> eventLines() {
    std::string rtf = test::readFileBytes(work("KW_Scan!.rtf"));
    std::vector<std::string> out;
    for (size_t at = rtf.find("\\cf"); at != std::string::npos; at = rtf.find("\\cf", at)) {
        at = rtf.find(' ', at) + 1; // after "\cfN\b " or "\cfN\b0 "
        size_t end = rtf.find("\\par\r\n", at);
        std::string ansi;
        for (size_t i = at; i < end; ++i) {
            if (rtf[i] != '\\') {
                ansi.push_back(rtf[i]);
            } else if (rtf.compare(i, 2, "\\'") == 0) {
                ansi.push_back(static_cast<char>(std::stoi(rtf.substr(i + 2, 2), nullptr, 16)));
                i += 3;
            } else if (rtf.compare(i, 5, "\\tab ") == 0) {
                ansi.push_back('\t');
                i += 4;
            } else {
                ansi.push_back(rtf[++i]);
            }
        }
        out.push_back(ansiToUtf8(ansi));
        at = end;
    }
    return out;
}

// The lines stand in the log in this order (others may stand between them); the first missing one.
std::string firstMissing(const std::vector<std::string>& log, const std::vector<std::string>& lines) {
    auto at = log.begin();
    for (const std::string& line : lines) {
        at = std::find(at, log.end(), line);
        if (at == log.end())
            return line;
        ++at;
    }
    return {};
}

enum class Header { Capture, Registered, Locked, None };

struct Expected {
    const char* name;
    Header header = Header::Capture;
    const char* firstLineEnd = "]"; // a converted UTF-16 copy names its prefix after the source
};

// What the demo installation gives, for the CAD and the PLM family.
const Expected kCaptures[] = {
    {"(MIRTAL)MIRTAL.ini"},
    {"(MIRTAL_Home)mHome.ini"},
    {"(Peltrand)changes.ini"},
    {"BlankStyles.ini"},
    {"PT.ini"},
    {"(Peltrand)Settings.xml", Header::None},
    {"(COD)Archive.ini"},
    {"(AU)Archive.ini"},
    {"Changes.xml", Header::None},
    {"PeltrandIntegrator.ini"},
    {"PeltrandIntegrator.log"},
    {"(Peltrand)DX_PropTab.ini"},
    {"(Peltrand)TessarinPropTab.ini"},
    {"(Peltrand)M3DPropTab.ini"},
    {"(Peltrand)Effectivity.ini"},
    {"Peltrand.ini"},
    {"ClassifierESKD.ini"},
    {"(Peltrand)CMCPeltrandMailService.log", Header::Locked},
    {"(Peltrand)AutoNotificationListner.log", Header::Locked},
    {"(Peltrand)Audit.log"},
    {"(Peltrand)Monitoring.log"},
    {"(Peltrand)WFScriptLog.txt"},
    {"(Peltrand)Archive.ini"},
    {"(Peltrand)TechARM.ini"},
    {"(Peltrand)PeltrandAppServerMain.ini"},
    {"(Peltrand)PeltrandAppServerMain.log"},
    {"(Peltrand)PeltrandPasswd.ini"},
    {"(Wrokan)Division.ini"},
    {"(Wrokan)WrokanConf.ini"},
    {"(Wrokan)config.xml", Header::None},
    {"PCrypt.ini"},
    {"PeltrandCommon.ini"},
    {"MasterCache.ini"},
    {"PeltrandPGS.ini"},
    {"PeltrandORD.ini"},
    {"(Tessarin)Data.ini"},
    {"(Tessarin)ReportManager.ini"},
    {"(Tessarin)Integrity.ini"},
    {"(Tessarin)SeamControl.ini"},
    {"(Tessarin)LinkModule.ini"},
    {"(Tessarin)LogApp.log"},
    {"(Tessarin)TessarinLog.xml", Header::None},
    {"(MatRate)MatRate.cfg"},
    {"(Materials)config.xml", Header::None},
    {"(Materials)RDService.ini"},
    {"(Materials)SetDCOM.log"},
    {"(AU)ConnectionConfig.ini"},
    {"(Morvantide)", Header::Registered},
    {"(Quadrix)ClientConfiguration.xml"},
    {"(Quadrix)Configuration.xml"},
    {"(Quadrix)QuadrixMatMirtal.cfg"},
    {"(Quadrix)QuadrixClient.Log", Header::Capture, "] (Quadrix)"},
    {"(REG)RDService.txt", Header::Capture, "] (REG)"},
};

const char* const kInventories[] = {
    "(MIRTAL_Bin)Files.csv",
    "(MIRTAL_sys)Files.csv",
    "(MIRTAL_Libs)Files.csv",
    "(MIRTAL_Home_Bin)Files.csv",
    "(MIRTAL_Home_sys)Files.csv",
    "(MIRTAL_Home_Libs)Files.csv",
    "(Peltrand)Files.csv",
    "(PeltrandPluginStore)Files.csv",
    "(Peltrand_PT_Settings)Files.csv",
    "(COD)Files.csv",
    "(TAVIR_Shared)Files.csv",
    "(PeltrandKB)Files.csv",
    "(PeltrandPGS)Files.csv",
    "(PeltrandORD)Files.csv",
    "(Tessarin)Files.csv",
    "(Handbrix)Files.csv",
    "(Matrate)Files.csv",
    "(MaterialsLib)Files.csv",
    "(Materials)Files.csv",
    "(Dazudadurir)Files.csv",
    "(Morvantide)Files.csv",
    "(Quadrix)Files.csv",
};

const char* const kOthers[] = {
    "(REG)MIRTAL.txt",           "(REG)MIRTAL_Home.txt",   "(REG)HKLM_MIRTAL-3D_.txt",
    "(REG)HKLM_Classifier.txt",  "(cmd)(MIRTAL)cacls.txt", "(cmd)(MIRTAL_Home)cacls.txt",
    "(REG)Peltrand.txt",         "(REG)Wrokan.txt",        "(REG)PeltrandKB_Nerla.txt",
    "(REG)PeltrandKB_Setup.txt", "(REG)TBS.txt",           "(cmd)(PT)cacls.txt",
    "(REG)Tessarin.txt",         "(REG)Handbrix.txt",      "(REG)Matrate.txt",
    "(REG)418F55FF.txt",         "(REG)MaterialsLib.txt",  "(REG)Materials.txt",
    "(REG)Dazudadurir.txt",      "(REG)Morvantide.txt",    "(REG)Quadrix.txt",
    "Complex2013Install.log",
};

// The first cells of a table's rows, its header left out.
std::vector<std::string> firstCells(const std::string& table) {
    std::vector<std::string> out;
    auto rows = fileLines(table);
    for (size_t i = 1; i < rows.size(); ++i)
        out.push_back(rows[i].substr(0, rows[i].find('\t')));
    return out;
}

bool contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

void checkLogTablesAndReports() {
    EXPECT_EQ(firstCells("(Tessarin)_Log.csv"),
              (std::vector<std::string>{"(Tessarin)(Tmp)a.csv", "(Tessarin)(Tmp)b.csv"}));
    auto ferry = firstCells("(Ferry-OAK)_Log.csv");
    EXPECT_TRUE(contains(ferry, "(Ferry-OAK)(AppData_Ferry-OAK)client.log"));
    EXPECT_TRUE(contains(ferry, "(Ferry-OAK)(PData_FServer)server.log"));
    EXPECT_TRUE(contains(ferry, "(Ferry-OAK)(Tmp)ferry_setup.log"));
    EXPECT_EQ(firstCells("Install_log.csv"), std::vector<std::string>{"Complex2013Install.log"});
    EXPECT_EQ(fileLines("(MatRate)MatRate.html")[0].rfind("<html>", 0), 0u); // no header

    auto report = fileLines("(Materials)Set.txt");
    EXPECT_TRUE(contains(report, "Materials.exe: "));
    EXPECT_TRUE(contains(report,
                         "Файл Materials.exe не найден в: C:\\Program Files\\TAVIR\\Materials\\Server\\"
                         "MaterialsServer.exe"));
    EXPECT_TRUE(contains(report, "Запускающий пользователь: Interactive User"));
    EXPECT_TRUE(contains(report, "Уровень проверки подлинности: Connect (Подключиться) [2]"));
    EXPECT_TRUE(contains(
        report, "Файл BOSingle.dll не найден в: C:\\Program Files\\TAVIR\\MaterialsLib\\BOSingle.dll"));

    // The MDM product's templates are appended to its own listing.
    EXPECT_TRUE(contains(firstCells("(Quadrix)Files.csv"), "FullBase.qdx"));

    // The standard-parts library is registered in the 64-bit view only.
    bool wide = sixtyFourBitWindows();
    for (const char* name :
         {"(REG)(64)ELEMLib.txt", "(REG)(64)HKCU_ELEMLib.txt", "(REG)(64)MIR_ELEMLib.txt",
          "(ELEMLib_Clients)Files.csv", "(ELEMLib)(PF)ELEMLibServer.log", "(ELEMLib)(AU)ELEMLibServer.log",
          "(ELEMLib)ELEMLibClient.log", "(ELEMLib)CMCElemLib.log", "(ELEMLib)ElemlibCMC.ini",
          "(REG)ELEMLib.txt", "(ELEMLib)DataSets_Files.csv", "(ELEMLib)ElemlibBase.ini"})
        EXPECT_EQ(test::fileExists(work(name)), wide) << name;
    if (wide) {
        auto log = fileLines("(ELEMLib)ELEMLibClient.log");
        EXPECT_EQ(log[1], kRule);
    }
    // Component files of an edition's exact size, wherever an inventory lists them; one byte more is none.
    std::vector<std::string> hotfix = fileLines("(ELEMLib_HotFix)Files.csv");
    ASSERT_FALSE(hotfix.empty());
    EXPECT_EQ(hotfix[0], kHotfixHeader);
    auto row = [&](const std::string& folder, const std::string& file, const std::string& label) {
        return std::any_of(hotfix.begin(), hotfix.end(), [&](const std::string& r) {
            return r.rfind(folder + "\t" + file + "\t" + label + "\t", 0) == 0;
        });
    };
    EXPECT_TRUE(row(kMirtal + "Libs\\ELEMLib\\", "elclient_mirtal.dll", "СИ 2.1 SP1"));
    const std::string clients = "C:\\Program Files\\TAVIR\\ELEMLib\\Clients\\";
    EXPECT_EQ(row(clients, "elclient_mirtal.dll", "СИ 2.1"), wide);
    EXPECT_EQ(row(clients, "ELEMLibClient.exe", "ЭБ 2.3 SP3 HotFix 11, 12"), wide);
    EXPECT_EQ(hotfix.size(), wide ? 4u : 2u); // the header and the rows; elutils.dll misses by a byte
}

void checkCaptures() {
    for (const Expected& e : kCaptures) {
        SCOPED_TRACE(e.name);
        auto lines = fileLines(e.name);
        ASSERT_GE(lines.size(), e.header == Header::None ? 1u : 4u);
        if (e.header == Header::None) {
            EXPECT_EQ(lines[0].rfind("<?xml", 0), 0u) << lines[0];
            continue;
        }
        EXPECT_NE(lines[0].find(": ["), std::string::npos) << lines[0];
        EXPECT_TRUE(lines[0].ends_with(e.firstLineEnd)) << lines[0];
        EXPECT_EQ(lines[1], kRule);
        EXPECT_EQ(lines[2], e.header == Header::Locked ? " " : "  ");
        if (e.header == Header::Registered)
            EXPECT_EQ(lines[0].rfind(": [", 0), 0u) << lines[0];
    }
    // The proxy of the common folder wins over the integrator's; the shared change notices over COD's.
    EXPECT_NE(
        fileLines("(Peltrand)M3DPropTab.ini")[0].find(kCod + "\\Settings\\Proxy_MIRTAL3D\\M3DPropTab.ini"),
        std::string::npos);
    EXPECT_NE(fileLines("(Peltrand)changes.ini")[0].find("TAVIR Shared\\Template.Chang\\changes.Ini"),
              std::string::npos);
    // The integrator's log is the one its INI names relative to its folder.
    auto log = fileLines("PeltrandIntegrator.log");
    EXPECT_EQ(log[0], " : [" + kPeltrand + "Client\\Integrator\\Logs\\Integrator.log]");
    EXPECT_NE(
        std::find(log.begin(), log.end(), "15.03.2024 09:14:06 Подключение к серверу PLM-SRV01 выполнено"),
        log.end());
    // The technologist database is a byte copy; the empty settings file is not copied.
    EXPECT_EQ(test::readFileBytes(work("PT.mdb")), test::readFileBytes(kCod + "\\Settings\\PT\\PT.mdb"));
    EXPECT_FALSE(test::fileExists(work("(Peltrand)ARMTech.ini")));
    EXPECT_FALSE(test::fileExists(work("CMCPeltrandMailService.log"))); // the temporary copy is gone
    for (const char* name : kOthers)
        EXPECT_TRUE(test::fileExists(work(name))) << name;
    EXPECT_EQ(fileLines("(REG)MIRTAL.txt")[0], "Windows Registry Editor Version 5.00");
    // The viewer was removed: nothing of it is collected.
    EXPECT_FALSE(test::fileExists(work("(REG)MIRTAL_Viewer.txt")));
    EXPECT_FALSE(test::fileExists(work("(MIRTAL_Viewer_Bin)Files.csv")));
}

void checkInventories() {
    FileSystem& files = windowsFileSystem();
    for (const char* table : kInventories) {
        SCOPED_TRACE(table);
        auto rows = fileLines(table);
        ASSERT_GE(rows.size(), 2u);
        EXPECT_EQ(rows[0], kInventoryHeader);
        for (size_t i = 1; i < rows.size(); ++i) {
            std::vector<std::string> cell;
            for (size_t from = 0, tab;; from = tab + 1) {
                tab = rows[i].find('\t', from);
                cell.push_back(rows[i].substr(from, tab - from));
                if (tab == std::string::npos)
                    break;
            }
            ASSERT_EQ(cell.size(), 6u) << rows[i];
            std::string path = cell[5] + cell[0];
            EXPECT_EQ(cell[1], std::to_string(files.fileSize(path))) << path;
            EXPECT_EQ(cell[3], FileVersionText(files, path)) << path;
            EXPECT_EQ(cell[4], fileMd5(files, path)) << path;
            // The link back to the install folder is listed by nobody.
            EXPECT_EQ(path.find("Ссылка на установку"), std::string::npos) << path;
        }
    }
    auto libs = fileLines("(MIRTAL_Libs)Files.csv");
    EXPECT_TRUE(std::any_of(libs.begin(), libs.end(),
                            [](const std::string& r) { return r.rfind("Болты.lib\t", 0) == 0; }));
    auto peltrand = fileLines("(Peltrand)Files.csv");
    EXPECT_TRUE(std::any_of(peltrand.begin(), peltrand.end(), [](const std::string& r) {
        return r.find("\tC:\\Program Files\\TAVIR\\Peltrand\\Client\\Integrator\\Logs\\") !=
               std::string::npos;
    }));
}

void checkEventLog() {
    auto log = eventLines();
    ASSERT_GT(log.size(), 100u);
    std::string temp = test::tempDir();
    EXPECT_EQ(
        firstMissing(
            log,
            {
                "COD:",
                "Список файлов COD в папке [" + kCod + "] ---> в файл \"(COD)Files.csv\"",
                "[++] Список файлов COD в папке [" + kCod +
                    "\\Settings] ---> дополнить файл \"(COD)Files.csv\"",
                "[" + kCod + "\\Crypt\\PCrypt.ini] ---> \"PCrypt.ini\"",
                "********************* ПЕЛТРАН *********************",
                "SP = SP2",
                "CommonPath = " + kCod,
                "Path = " + kPeltrand + " (установлен ПЕЛТРАН)",
                "Настройки ПЕЛТРАН-Технолога:",
                "PT.mdb:",
                "[" + kCod + "\\Settings\\PT\\PT.mdb] ---> \"PT.mdb\"",
                "Список безопасности: \"" + kCod + "\\Settings\\PT\\PT.mdb\" > (cmd)(PT.mdb)cacls.txt",
                "Настройки АРМ Технолога:",
                "    [HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\Peltrand] ---> \"(REG)Peltrand.txt\"",
                "[-] Не могу получить список файлов Peltrand, каталог [" + kPeltrand + "Agent] не найден.",
                "Загружен параметр: \"LogFileName\" из \"PeltrandIntegrator.ini\" = Logs\\Integrator.log",
                "[" + temp +
                    "TAVIR\\Peltrand\\Notification\\CMCPeltrandMailService.log] ---> "
                    "(Peltrand)CMCPeltrandMailService.log",
                "WorkFlow: [12.0.3]",
                "Ветки реестра МИРТАЛ:",
                "    [HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\MIRTAL-3D] ---> \"(REG)HKLM_MIRTAL-3D_.txt\"",
                "    [HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\Classifier] ---> \"(REG)(64)HKLM_Classifier.txt\"",
                "    [HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\MIRTAL-3D] ---> \"(REG)MIRTAL.txt\"",
                "********************* MIRTAL-3D V21.0 *********************",
                "Список безопасности: \"" + kMirtal + "\" > (cmd)(MIRTAL)cacls.txt",
                "[" + kMirtal + "\\bin\\MIRTAL.ini] ---> \"(MIRTAL)MIRTAL.ini\"",
                "Параметр: \"Libs\" из \"mirtal.ini\" после преобразования = " + kMirtal + "Libs\\",
                "Список файлов MIRTAL_Libs в папке [" + kMirtal + "Libs\\] ---> \"(MIRTAL_Libs)Files.csv\"",
                "eDrawings:",
                "МИРТАЛ-3D зарегистрирован (mirtal.exe -register): " + kMirtal + "Bin\\MIRTAL.Exe",
                "********************* МИРТАЛ-Электрик *********************",
                "********************* MIRTAL-3D V21.0 Home *********************",
                "[" + kHome + "\\bin\\mHome.ini] ---> \"(MIRTAL_Home)mHome.ini\"",
                "Не могу получить список файлов MIRTAL Viewer, нет параметра реестра",
                "[-] Не могу получить список файлов BridgeService, каталог [C:\\Program Files\\TAVIR\\Bridge "
                "Service\\] не "
                "найден.",
                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\Nerla] ---> \"(REG)PeltrandKB_Nerla.txt\"",
                "Список безопасности: \"" + appData() +
                    "\\TAVIR\\PeltrandORD\" > (cmd)(PeltrandORD)cacls.txt",
            }),
        "");
}

TEST(ProductSectionsEndToEnd, FullRunCollectsTheDemoInstallations) {
    copyDemoTempFiles();
    // The mail service is running: its log is held open while the run captures it.
    FileHandle held = holdOpen(test::tempDir() + "TAVIR\\Peltrand\\Notification\\CMCPeltrandMailService.log");
    ASSERT_TRUE(held);
    Child c = startFullRunKeepingResults();
    ASSERT_TRUE(c.process) << programPath();
    ASSERT_TRUE(waitFor([&] { return test::fileExists(work("KW_scan.ini")); }, 360000));
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // the end-of-run block finishes
    {
        SCOPED_TRACE("captures");
        checkCaptures();
    }
    {
        SCOPED_TRACE("inventories");
        checkInventories();
    }
    {
        SCOPED_TRACE("event log");
        checkEventLog();
    }
    {
        SCOPED_TRACE("log tables and reports");
        checkLogTablesAndReports();
    }
    // On 32-bit Windows the standard-parts section logs none of its 64-bit exports.
    auto log = eventLines();
    EXPECT_EQ(std::any_of(log.begin(), log.end(),
                          [](const std::string& l) { return l.rfind("    (64)[", 0) == 0; }),
              sixtyFourBitWindows());
    HWND w = mainWindowOf(c.id);
    ASSERT_NE(w, nullptr);
    PostMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(c.process.get(), 30000), WAIT_OBJECT_0);
}

} // namespace
} // namespace kw
