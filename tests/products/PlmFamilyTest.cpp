// The PLM family on described machines: the important-files listing, the integrator's three rules, the
// either/or proxy folders, the "журналы" option, the technologist database, and the product absent.
#include "products/PlmFamily.h"

#include "products/ProductSection.h"
#include "tests/products/ProductTest.h"

namespace kw {
namespace {

using test::LM;

const std::string kPeltrand = "SOFTWARE\\TAVIR\\Peltrand";

class PlmFamilyTest : public test::ProductTest {
  protected:
    std::string common, program; // program with its trailing separator, as the registry holds it

    void SetUp() override {
        ProductTest::SetUp();
        options.set(Option::Peltrand, true);
        common = folder("TAVIR Data\\COD");
        program = folder("Program Files\\TAVIR\\Peltrand") + "\\";
    }
    void installed() {
        registry.setString(LM, kPeltrand, "CommonPath", common);
        registry.setString(LM, kPeltrand, "Path", program);
    }
    std::vector<std::string> firstColumn(const std::string& table) {
        std::vector<std::string> out;
        for (const std::string& row : workLines(table))
            out.push_back(row.substr(0, row.find('\t')));
        return out;
    }
};

TEST_F(PlmFamilyTest, ImportantFilesListTheTopLevelThenTheSubFoldersThatExist) {
    installed();
    put("Program Files\\TAVIR\\Peltrand\\top.txt", "t");
    put("Program Files\\TAVIR\\Peltrand\\Client\\Deep\\client.dll", "c");
    put("Program Files\\TAVIR\\Peltrand\\Other\\other.dll", "o"); // not one of the listed folders
    put("Program Files\\TAVIR\\Peltrand\\WorkFlow\\wf.dll", "w");
    options.set(Option::ImportantShared, true);
    ToolButton17Click(run);
    EXPECT_EQ(firstColumn("(Peltrand)Files.csv"),
              (std::vector<std::string>{"Имя файла:", "top.txt", "client.dll", "wf.dll"}));
    EXPECT_TRUE(
        logHas("[-] Не могу получить список файлов Peltrand, каталог [" + program + "Agent] не найден."));
    EXPECT_TRUE(
        logInOrder({"Список файлов Peltrand в папке [" + program + "] ---> в файл \"(Peltrand)Files.csv\"",
                    "[++] Список файлов Peltrand в папке [" + program +
                        "Client] ---> дополнить файл \"(Peltrand)Files.csv\"",
                    "[++] Список файлов Peltrand в папке [" + program +
                        "WorkFlow] ---> дополнить файл \"(Peltrand)Files.csv\""}));

    options.set(Option::ImportantShared, false);
    ToolButton17Click(run);
    EXPECT_EQ(firstColumn("(Peltrand)Files.csv").size(), 5u); // the whole tree
}

TEST_F(PlmFamilyTest, IntegratorLogIsFoundByOneOfThreeRules) {
    ProductSection section(run);
    std::string copy = work("PeltrandIntegrator.ini");
    std::string temp = files.expandEnvironment("%TEMP%");
    struct Case {
        std::string value, path, rule;
    } cases[] = {
        {"D:\\Logs\\int.log", "D:\\Logs\\int.log", "Параметр без \"%\", но с \":\""},
        {"int.log", "P\\Integrator\\int.log", "Параметр без \"%\" и без \":\""},
        {"%TEMP%\\x.log", temp + "\\x.log", "Параметр c \"%\""},
        {"C:%TEMP%\\x.log", "C:" + temp + "\\x.log", "Параметр c \"%\""},
        {"", "P\\Integrator\\", "Параметр без \"%\" и без \":\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        run.eventLog().clear();
        test::writeFileBytes(copy,
                             "PeltrandIntegrator.ini: [x]\r\n___\r\n  \r\n[CommonOptions]\r\nLogFileName=" +
                                 utf8ToAnsi(c.value) + "\r\n");
        std::string path;
        ReadIntegratorParameter(section, copy, "CommonOptions", "LogFileName", path, "P\\Integrator");
        EXPECT_EQ(path, c.path);
        EXPECT_EQ(log(),
                  (std::vector<std::string>{
                      "Загружен параметр: \"LogFileName\" из \"PeltrandIntegrator.ini\" = " + c.value,
                      c.rule + " - \"LogFileName\" из \"peltrandIntegrator.ini\" после преобразования = " +
                          c.path}));
    }
    run.eventLog().clear();
    std::string path = "unchanged";
    ReadIntegratorParameter(section, work("none.ini"), "CommonOptions", "LogFileName", path, "P");
    EXPECT_EQ(path, "unchanged");
    EXPECT_EQ(log(),
              (std::vector<std::string>{"Не могу загрузить параметр: \"LogFileName\" из "
                                        "\"PeltrandIntegrator.ini\", файл во временном каталоге не найден"}));
}

TEST_F(PlmFamilyTest, CapturesTakeTheFirstOfTwoFoldersTheLockedLogsAndTheOptions) {
    installed();
    put("TAVIR Data\\COD\\Settings\\Proxy_MIRTAL3D\\M3DPropTab.ini", "[common]");
    put("Program Files\\TAVIR\\Peltrand\\Client\\Integrator\\Proxy_MIRTAL3D\\M3DPropTab.ini", "[integrator]");
    put("Program Files\\TAVIR\\Peltrand\\Client\\Integrator\\Proxy_CAM\\CAM_proxy.ini", "[cam]");
    put("Program Files\\TAVIR\\Peltrand\\Client\\Integrator\\PeltrandIntegrator.ini",
        "[CommonOptions]\r\nLogFileName=Logs\\Интегратор.log\r\n");
    put("Program Files\\TAVIR\\Peltrand\\Client\\Integrator\\Logs\\Интегратор.log", "started");
    put("TAVIR\\Peltrand\\Notification\\CMCPeltrandMailService.log", "mail");
    put("TAVIR\\Peltrand\\Notification\\AutoNotificationListner.log", "listener");
    put("TAVIR Data\\COD\\Template.Chang\\changes.ini", "[cod]");
    put("AppData\\TAVIR\\Wrokan\\config.xml", "<?xml version=\"1.0\"?><w/>");
    options.set(Option::PeltrandLogs, false);
    ToolButton17Click(run);

    EXPECT_NE(workText("(Peltrand)M3DPropTab.ini").find("[common]"), std::string::npos);
    EXPECT_EQ(workText("(Peltrand)M3DPropTab.ini").find("[integrator]"), std::string::npos);
    EXPECT_NE(workText("(Peltrand)CAM_proxy.ini").find("[cam]"), std::string::npos);
    EXPECT_NE(workText("PeltrandIntegrator.log").find("started"), std::string::npos);
    EXPECT_NE(workText("(Peltrand)CMCPeltrandMailService.log").find("mail"), std::string::npos);
    EXPECT_FALSE(inWork("(Peltrand)AutoNotificationListner.log"));
    EXPECT_FALSE(inWork("CMCPeltrandMailService.log")); // the temporary copy is removed
    EXPECT_EQ(workText("(Wrokan)config.xml"), "<?xml version=\"1.0\"?><w/>\r\n");
    // No file of the shared folder: the change notices of the common folder stay.
    EXPECT_NE(workText("(Peltrand)changes.ini").find("[cod]"), std::string::npos);
    EXPECT_TRUE(
        logInOrder({"CommonPath = " + common, "Path = " + program + " (установлен ПЕЛТРАН)",
                    "Настройки ПЕЛТРАН-Технолога:", "PT.mdb:", "Настройки АРМ Технолога:",
                    "    [HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\Peltrand] ---> \"(REG)Peltrand.txt\"",
                    "    [HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\Wrokan] ---> \"(REG)Wrokan.txt\"", " "}));

    options.set(Option::PeltrandLogs, true);
    ToolButton17Click(run);
    EXPECT_NE(workText("(Peltrand)AutoNotificationListner.log").find("listener"), std::string::npos);
}

TEST_F(PlmFamilyTest, TechnologistDatabaseIsCopiedOnceByteForByte) {
    installed();
    std::string mdb = put("TAVIR Data\\COD\\Settings\\PT\\PT.mdb", "");
    test::writeFileBytes(mdb, std::string("Standard Jet DB\0\x01\x02", 18));
    ToolButton17Click(run);
    EXPECT_EQ(test::readFileBytes(work("PT.mdb")), test::readFileBytes(mdb));
    EXPECT_TRUE(logHas("[" + common + "\\Settings\\PT\\PT.mdb] ---> \"PT.mdb\""));
    EXPECT_TRUE(
        logHas("Список безопасности: \"" + common + "\\Settings\\PT\\PT.mdb\" > (cmd)(PT.mdb)cacls.txt"));
    EXPECT_TRUE(logHas("Список безопасности: \"" + common + "\\Settings\\PT\" > (cmd)(PT)cacls.txt"));

    run.eventLog().clear();
    ToolButton17Click(run);
    EXPECT_TRUE(logHas("[" + common + "\\Settings\\PT\\PT.mdb] - не удалось скопировать файл, ошибка = 80"));
}

TEST_F(PlmFamilyTest, SharedChangeNoticesReplaceThoseOfTheCommonFolder) {
    installed();
    std::string shared = folder("Common Files");
    registry.setString(LM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir", shared);
    put("TAVIR Data\\COD\\Template.Chang\\changes.ini", "[cod]");
    put("Common Files\\TAVIR Shared\\Template.Chang\\changes.Ini", "[shared]");
    ToolButton17Click(run);
    EXPECT_NE(workText("(Peltrand)changes.ini").find("[shared]"), std::string::npos);
}

TEST_F(PlmFamilyTest, AbsentProductReportsEveryMissingFileAndListsNothing) {
    ToolButton17Click(run);
    EXPECT_TRUE(logHas("CommonPath = "));
    EXPECT_FALSE(logContains("установлен ПЕЛТРАН"));
    EXPECT_TRUE(logHas("Не могу получить список файлов Peltrand, нет параметра реестра"));
    EXPECT_TRUE(logHas("Не могу загрузить параметр: \"LogFileName\" из \"PeltrandIntegrator.ini\", файл во "
                       "временном каталоге не найден"));
    EXPECT_TRUE(logHas("[-] [\\Template.Chang\\changes.ini]"));
    EXPECT_FALSE(inWork("(REG)Peltrand.txt"));
    EXPECT_FALSE(inWork("(Peltrand)Files.csv"));
    EXPECT_FALSE(inWork("(PeltrandPluginStore)Files.csv"));

    run.eventLog().clear();
    CollectCommonDataFolder(run);
    EXPECT_EQ(log(), (std::vector<std::string>{
                         "[-] Не могу получить список файлов COD. Не найден параметр реестра "
                         "\"CommonPath\" в [HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\Peltrand]."}));
    run.eventLog().clear();
    CollectSharedFolder(run);
    EXPECT_EQ(log(), (std::vector<std::string>{
                         "Не могу получить список файлов TAVIR Shared, нет параметра реестра"}));
}

TEST_F(PlmFamilyTest, SuiteFoldersAndPackages) {
    installed();
    std::string kb = folder("Program Files\\TAVIR\\Peltrand KB");
    put("Program Files\\TAVIR\\Peltrand KB\\PeltrandKB.exe", "MZ");
    registry.setString(LM, "SOFTWARE\\TAVIR\\Setup\\PeltrandKB.msi", "path", kb);
    registry.setString(LM, "SOFTWARE\\TAVIR\\Setup\\DeploymentService.msi", "path", "");
    registry.setString(LM, "SOFTWARE\\TAVIR\\Complex", "CODPath", common + "\\Cache");
    put("TAVIR Data\\COD\\Cache\\MasterCache.ini", "[cache]");
    put("TAVIR Data\\COD\\Crypt\\PCrypt.ini", "[crypt]");
    options.set(Option::CommonData, true);
    options.set(Option::ImportantShared, false);

    CollectPeltrandKB(run);
    CollectCommonDataFolder(run);
    EXPECT_TRUE(inWork("(PeltrandKB)Files.csv"));
    EXPECT_FALSE(logContains("DeploymentService"));
    EXPECT_TRUE(logInOrder(
        {"[HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\Nerla] ---> \"(REG)PeltrandKB_Nerla.txt\"",
         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\Setup] ---> \"(REG)PeltrandKB_Setup.txt\"",
         "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\bridged] ---> \"(REG)TBS.txt\"",
         "COD:", "Список файлов COD в папке [" + common + "] ---> \"(COD)Files.csv\""}));
    EXPECT_EQ(firstColumn("(COD)Files.csv").size(), 3u); // the whole tree without the option
    EXPECT_TRUE(inWork("PCrypt.ini"));
    EXPECT_TRUE(inWork("MasterCache.ini"));
}

} // namespace
} // namespace kw
