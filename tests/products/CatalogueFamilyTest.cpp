// The catalogue family on described machines: every answer of the catalogue server through the fake, the
// launch settings and authentication level, the catalogue found by its subkey, the RD service's export,
// the edition lookup in inventory walks, and the standard-parts library on both kinds of Windows.
#include "products/CatalogueFamily.h"

#include "core/FileInventory.h"
#include "products/ProductSections.h"
#include "tests/products/ProductTest.h"

namespace kw {
namespace {

using test::CU;
using test::LM;
using test::Wide;
constexpr RegistryRoot CR = RegistryRoot::ClassesRoot;
const std::string kServer = "{418F55FF-BD08-42FC-9ECB-D288B3FDF148}";

class CatalogueFamilyTest : public test::ProductTest {
  protected:
    void SetUp() override {
        ProductTest::SetUp();
        options.set(Option::Materials, true);
        options.set(Option::StandardParts, true);
    }
    // The catalogue server registered with a program that is there.
    std::string registerServer() {
        std::string exe = put("Program Files\\TAVIR\\Materials\\Materials.exe", "MZ server");
        registry.setString(CR, "CLSID\\" + kServer + "\\LocalServer32", "", exe);
        return exe;
    }
    std::vector<std::string> report() {
        run.eventLog().clear();
        CollectMaterials(run);
        return workLines("(Materials)Set.txt");
    }
    static bool has(const std::vector<std::string>& lines, const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    static bool hasPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
    }
};

TEST_F(CatalogueFamilyTest, ConnectionTestAsksAgainBeforeEachComparisonAndReportsEveryStatus) {
    registerServer();
    struct Case {
        std::vector<long> statuses;
        std::string line; // empty: no line of the test
        int calls;
    } cases[] = {
        {{0}, "Подключение успешно (Ошибок не обнаружено)", 1},
        {{1}, "Ошибка подключения к базе данных материалов", 2},
        {{2}, "Ошибка подключения к базе данных единиц измерения", 3},
        {{4}, "Ошибка подключения к диспетчеру доступа", 4},
        {{3}, "", 5},
        {{-7}, "", 5},
        {{12}, "Ошибка подключения. Код= 12", 5},
        // The status changes between the calls: each comparison takes the newest answer.
        {{3, 3, 3, 3, 9}, "Ошибка подключения. Код= 9", 5},
        {{5, 1}, "Ошибка подключения к базе данных материалов", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.statuses));
        com.materials = {.statuses = c.statuses};
        auto lines = report();
        auto found = std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
            return l.rfind("Подключение успешно", 0) == 0 || l.rfind("Ошибка подключения", 0) == 0;
        });
        EXPECT_EQ(found, c.line.empty() ? 0 : 1);
        if (!c.line.empty()) {
            EXPECT_TRUE(has(lines, c.line));
        }
        EXPECT_EQ(com.materials.calls, c.calls);
        EXPECT_EQ(com.materials.alive, 0); // released every time
    }
}

TEST_F(CatalogueFamilyTest, FailuresOfTheServerAreOneLineAndTheReportGoesOn) {
    registerServer();
    registry.setString(CR, "AppID\\" + kServer, "RunAs", "Interactive User");
    const std::string suffix = "\nНе могу инициализировать Rudazizod o Ridaduvodu";
    struct Case {
        test::FakeMaterialsServer server;
        std::string message;
    } cases[] = {
        {{.registered = false}, "Класс не зарегистрирован"},
        {{.castRefused = true}, "Интерфейс не поддерживается"},
        {{.statuses = {1}, .failAtCall = 1}, "Сервер не отвечает"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        com.materials = c.server;
        run.eventLog().clear();
        CollectMaterials(run);
        // The message and the line after it are one line of the report, a line feed inside.
        std::string text = workText("(Materials)Set.txt");
        EXPECT_NE(text.find("\r\n" + c.message + suffix + "\r\n"), std::string::npos) << text;
        EXPECT_NE(text.find("Запускающий пользователь: Interactive User"), std::string::npos);
        EXPECT_EQ(com.materials.alive, 0);
    }
}

TEST_F(CatalogueFamilyTest, ServerRegistrationLaunchSettingsAndAuthenticationLevel) {
    // Not registered: the "not found" lines, and nothing of its settings.
    auto lines = report();
    EXPECT_TRUE(has(
        lines, "Не найден путь в реестре [HKEY_CLASSES_ROOT\\CLSID\\{0B3B36F7-9295-476A-BB90-A0C68A0F9E5D}"
               "\\InprocServer32] до файла ServersConnections.dll"));
    EXPECT_TRUE(has(lines, "Не найден путь в реестре [HKEY_CLASSES_ROOT\\CLSID\\" + kServer +
                               "\\LocalServer32] до файла Materials.exe"));
    EXPECT_FALSE(hasPrefix(lines, "Уровень проверки подлинности"));

    // Registered, its program missing; a business-object server that is there.
    std::string dll = put("Program Files\\TAVIR\\MaterialsLib\\ServersConnections.dll", "MZ bo");
    registry.setString(CR, "CLSID\\{0B3B36F7-9295-476A-BB90-A0C68A0F9E5D}\\InprocServer32", "", dll);
    registry.setString(CR, "CLSID\\{188D189D-4ED7-404B-8DC4-F458B6F65076}\\InprocServer32", "",
                       "C:\\Нет\\BOSingle.dll");
    registry.setString(CR, "CLSID\\" + kServer + "\\LocalServer32", "", "C:\\Нет\\Materials.exe");
    registry.setString(CR, "AppID\\" + kServer, "LocalService", "srvMaterials");
    registry.setDword(CR, "AppID\\" + kServer, "AuthenticationLevel", 7);
    lines = report();
    EXPECT_TRUE(hasPrefix(lines, "ServersConnections.dll: " + dll + "\t - 5 байт  -  \t"));
    EXPECT_TRUE(has(lines, "Файл BOSingle.dll не найден в: C:\\Нет\\BOSingle.dll"));
    EXPECT_TRUE(has(lines, "Файл Materials.exe не найден в: C:\\Нет\\Materials.exe"));
    EXPECT_EQ(com.materials.calls, 0);
    EXPECT_TRUE(has(
        lines, "Размещение. Запускать приложение на указанном компьютере. (Удаленный компьютер): (LOCAL)"));
    EXPECT_TRUE(has(lines, "Размещение. Запустить приложение на данном компьютере: srvMaterials"));
    EXPECT_FALSE(hasPrefix(lines, "Запускающий пользователь"));
    EXPECT_TRUE(has(lines, "Уровень проверки подлинности: ")); // 7 names no level

    test::FakeRegistry fresh;
    registry = fresh;
    registry.setDword(CR, "AppID\\" + kServer, "AuthenticationLevel", 2);
    registerServer();
    EXPECT_TRUE(has(report(), "Уровень проверки подлинности: Connect (Подключиться) [2]"));
    EXPECT_TRUE(run.systemTextBuffer().lines().empty()); // cleared once saved
}

TEST_F(CatalogueFamilyTest, CatalogueFoundThroughItsSubkeyAndTheServiceExportAwaited) {
    std::string catalogue = folder("Program Files\\TAVIR\\Materials");
    put("Program Files\\TAVIR\\Materials\\Utils\\SetDCOM.log", "dcom set");
    registry.setString(LM, "SOFTWARE\\TAVIR\\Materials\\3.0", "Comment", "старая");
    registry.setString(LM, "SOFTWARE\\TAVIR\\Materials\\4.0", "InstallPath", catalogue);
    // The registry tool is slow: its file is there only once the section waits for it.
    processes.finish = [&](const std::string& commandLine) {
        if (commandLine.find("srvResourceDispatcher") == std::string::npos)
            return;
        std::string utf16 = "\xFF\xFE";
        for (char c : std::string("Windows Registry Editor Version 5.00\r\n"))
            utf16 += std::string{c, '\0'};
        test::writeFileBytes(work("RDService.txt"), utf16);
    };
    CollectMaterials(run);
    EXPECT_TRUE(started(
        "reg export \"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\services\\srvResourceDispatcher\""));
    EXPECT_EQ(workLines("(REG)RDService.txt").back(), "Windows Registry Editor Version 5.00");
    EXPECT_FALSE(inWork("RDService.txt"));
    EXPECT_FALSE(logHas("[-] (REG)RDService.txt"));
    EXPECT_TRUE(logHas("    [HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\Materials] ---> \"(REG)Materials.txt\""));
    EXPECT_TRUE(inWork("(Materials)Files.csv"));
    EXPECT_TRUE(inWork("(Materials)SetDCOM.log"));

    processes.finish = nullptr;
    run.eventLog().clear();
    test::FakeRegistry fresh;
    registry = fresh;
    CollectMaterials(run);
    EXPECT_TRUE(logHas("[-] (REG)RDService.txt"));
}

TEST_F(CatalogueFamilyTest, EditionRowsForComponentsOfTheExactSizeInEveryListing) {
    registerProductSections(run); // the edition lookup listens to every inventory walk
    std::string libs = folder("Libs");
    test::writeFileBytes(libs + "\\elclient_mirtal.dll", std::string(446792, '\0')); // a "." row: any version
    test::writeFileBytes(libs + "\\ELUTILS.dll", std::string(196745, '\0'));         // a row's size + 1
    test::writeFileBytes(libs + "\\other.dll", std::string(446792, '\0'));           // no component
    FileInventory(run).InventoryFolder(libs, "Libs");
    auto rows = workLines(kHotfixTable);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], kHotfixHeader);
    EXPECT_EQ(rows[1].rfind(libs + "\\\telclient_mirtal.dll\tСИ 2.1\t\t446792\t", 0), 0u) << rows[1];
    // Each listing of the folder adds its rows again.
    FileInventory(run).InventoryFolderPart(libs, "Libs", InventoryPart::TopLevel);
    EXPECT_EQ(workLines(kHotfixTable).size(), 3u);
}

TEST_F(CatalogueFamilyTest, StandardPartsOnBothKindsOfWindows) {
    std::string lib = folder("Program Files\\TAVIR\\ELEMLib");
    folder("Program Files\\TAVIR\\ELEMLib\\Clients");
    std::string serverLog = put("Program Files\\TAVIR\\ELEMLib\\Server\\ELEMLibServer.log", "");
    std::wstring text = L"Сервер запущен\r\n";
    test::writeFileBytes(
        serverLog, "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
    std::string vault = folder("Vault");
    put("Vault\\DataSets\\ElemlibBase.ini", "[Base]");
    registry.setString(LM, "SOFTWARE\\TAVIR\\ELEMLib", "Path", lib, Wide); // a 64-bit library
    registry.setString(LM, "SOFTWARE\\TAVIR\\ELEMLib\\Server\\Options", "DATALINK", vault, Wide);
    ToolButton21Click(run);
    EXPECT_TRUE(logInOrder(
        {"********************* ELEMLib *********************",
         "    (64)[HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\ELEMLib\\] ---> \"(REG)(64)ELEMLib.txt\"",
         "    (64)[HKEY_CURRENT_USER\\SOFTWARE\\TAVIR\\ELEMLib\\] ---> \"(REG)(64)HKCU_ELEMLib.txt\"",
         "[" + lib + "\\Server\\ELEMLibServer.log] ---> \"(ELEMLib)(PF)ELEMLibServer.log\"",
         "    [HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\ELEMLib\\] ---> \"(REG)ELEMLib.txt\"",
         "Список безопасности: \"" + lib + "\" > (cmd)(ELEMLib)cacls.txt",
         "Хранилище: ", "\"DATALINK\"=\"" + vault,
         "Список безопасности: \"" + vault + "\" > (cmd)(ELEMLib)Vault_cacls.txt"}));
    EXPECT_NE(workText("(ELEMLib)(PF)ELEMLibServer.log").find("Сервер запущен"), std::string::npos);
    EXPECT_TRUE(inWork("(ELEMLib_Clients)Files.csv"));
    EXPECT_EQ(workLines("(ELEMLib)DataSets_Files.csv").size(), 2u);
    EXPECT_TRUE(inWork("(ELEMLib)ElemlibBase.ini"));
    EXPECT_TRUE(inWork("(REG)(64)MIR_ELEMLib.txt"));

    // 32-bit Windows: none of the 64-bit files or lines; without a folder nothing after the banner.
    test::FakeRegistry thirtyTwo;
    thirtyTwo.wow64 = false;
    registry = thirtyTwo;
    for (const char* name : {"(REG)(64)ELEMLib.txt", "(REG)(64)HKCU_ELEMLib.txt", "(REG)(64)MIR_ELEMLib.txt"})
        files.deleteFile(work(name));
    run.eventLog().clear();
    ToolButton21Click(run);
    EXPECT_EQ(log(), (std::vector<std::string>{" ", "********************* ELEMLib *********************"}));
    EXPECT_FALSE(inWork("(REG)(64)ELEMLib.txt"));
}

TEST_F(CatalogueFamilyTest, UnitsOfMeasureOnlyForProductsWithAVersion) {
    std::string units = folder("Program Files\\TAVIR\\Dazudadurir") + "\\";
    registry.setString(LM, "SOFTWARE\\TAVIR\\Dazudadurir", "CurrentVersion", "2.1");
    registry.setString(LM, "SOFTWARE\\TAVIR\\Dazudadurir\\2.1", "InstallPath", units);
    CollectUnits(run);
    EXPECT_TRUE(inWork("(REG)Dazudadurir.txt"));
    EXPECT_TRUE(inWork("(Dazudadurir)Files.csv"));
    EXPECT_FALSE(logContains("MeasurementLib"));
}

} // namespace
} // namespace kw
