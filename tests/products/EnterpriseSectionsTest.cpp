// The data and enterprise sections on described machines: the MDM template folder with and without
// "\Bin", the MRP INI registered as a whole path, the suite's installation logs, the Ferry-OAK logs.
#include "products/EnterpriseSections.h"

#include "tests/products/ProductTest.h"

namespace kw {
namespace {

using test::LM;

class EnterpriseSectionsTest : public test::ProductTest {
  protected:
    void SetUp() override {
        ProductTest::SetUp();
        options.set(Option::Morvantide, true);
        options.set(Option::FerryOak, true);
        options.set(Option::SuiteLogs, true);
    }
    size_t rows(const std::string& table) { return workLines(table).size(); }
};

TEST(QuadrixTemplateFolder, EveryBinOfAnyCaseIsReplacedAndBlanksTrimmed) {
    EXPECT_EQ(quadrixTemplateFolder("D:\\Q\\Bin\\"), "D:\\Q\\Templates\\FullBase\\");
    EXPECT_EQ(quadrixTemplateFolder("  D:\\Q\\bin\\x\\BIN "),
              "D:\\Q\\Templates\\FullBase\\x\\Templates\\FullBase");
    EXPECT_EQ(quadrixTemplateFolder("D:\\Q\\"), "D:\\Q\\");
    EXPECT_EQ(quadrixTemplateFolder("D:\\Binaries\\"),
              "D:\\Templates\\FullBasearies\\"); // plain text, as written
    EXPECT_EQ(quadrixTemplateFolder("   "), "");
}

TEST_F(EnterpriseSectionsTest, QuadrixAppendsItsTemplatesOrItsOwnTreeAgain) {
    std::string bin = folder("Quadrix\\Bin") + "\\";
    put("Quadrix\\Bin\\Quadrix.exe", "MZ");
    put("Quadrix\\Templates\\FullBase\\base.qdx", "q");
    registry.setString(LM, "SOFTWARE\\TAVIR\\Quadrix", "InstallPath", bin);
    CollectQuadrix(run);
    EXPECT_EQ(rows("(Quadrix)Files.csv"), 3u); // header, the program, the template
    EXPECT_TRUE(logHas("    [HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\Quadrix] ---> \"(REG)Quadrix.txt\""));

    std::string plain = folder("Quadrix\\Templates") + "\\";
    test::FakeRegistry replaced;
    replaced.setString(LM, "SOFTWARE\\TAVIR\\Quadrix", "InstallPath", plain);
    registry = replaced;
    CollectQuadrix(run);
    EXPECT_EQ(rows("(Quadrix)Files.csv"), 3u); // the same tree twice

    test::FakeRegistry none;
    registry = none;
    run.eventLog().clear();
    CollectQuadrix(run);
    EXPECT_EQ(log(),
              (std::vector<std::string>{"Не могу получить список файлов Quadrix, нет параметра реестра"}));
}

TEST_F(EnterpriseSectionsTest, MorvantideIniIsCapturedUnderTheTagAlone) {
    CollectMorvantide(run);
    EXPECT_EQ(log(), (std::vector<std::string>{
                         "Не могу получить список файлов Morvantide, нет параметра реестра", " "}));

    std::string mrp = folder("MRP") + "\\";
    std::string ini = put("MRP\\m.ini", "[MRP]\r\nServer=ERP01");
    registry.setString(LM, "SOFTWARE\\TAVIR\\Morvantide", "CurrentVersion", "4.5");
    registry.setString(LM, "SOFTWARE\\TAVIR\\Morvantide\\4.5", "InstallPath", mrp);
    registry.setString(LM, "SOFTWARE\\TAVIR\\Morvantide\\4.5", "IniFileName", ini);
    run.eventLog().clear();
    CollectMorvantide(run);
    auto copy = workLines("(Morvantide)");
    ASSERT_EQ(copy.size(), 5u);
    EXPECT_EQ(copy[0], ": [" + ini + "]");
    EXPECT_EQ(copy[4], "Server=ERP01");
    EXPECT_TRUE(logInOrder(
        {"********************* Morvantide V4.5 *********************", "[" + ini + "] ---> \"(Morvantide)\"",
         "    [HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\Morvantide] ---> \"(REG)Morvantide.txt\"",
         "Список безопасности: \"" + mrp + "\" > (cmd)(Morvantide)cacls.txt", " "}));
}

TEST_F(EnterpriseSectionsTest, SuiteLogOfTheNewestRegistrationOnlyAndTheTableAlways) {
    const std::string uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    std::string old = folder("Complex 2011");
    put("Complex 2011\\Complex2011Install.log", "2011");
    registry.setString(LM, uninstall + "КОМПЛЕКС РЕШЕНИЙ ТАВИР 2011", "InstallLocation", old);
    std::string current = folder("Complex 2013");
    registry.setString(LM, uninstall + "КОМПЛЕКС РЕШЕНИЙ ТАВИР 2013", "InstallLocation", current);
    CollectSuiteInstallLogs(run);
    // 2013 registered without its log: nothing copied, and 2011 is not looked at.
    EXPECT_EQ(workLines("Install_log.csv"),
              (std::vector<std::string>{"Имя файла:\tБайт:\tДата:\tПуть:\t \t "}));
    EXPECT_FALSE(inWork("Complex2011Install.log"));

    put("Complex 2013\\Complex2013Install.log", "installed");
    CollectSuiteInstallLogs(run);
    auto table = workLines("Install_log.csv");
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[1].rfind("Complex2013Install.log\t9\t", 0), 0u);
    EXPECT_TRUE(table[1].ends_with("\t" + current + "\t \t "));
    EXPECT_TRUE(logHas("[" + current + "\\Complex2013Install.log] ---> \"Complex2013Install.log\""));

    options.set(Option::SuiteLogs, false);
    run.eventLog().clear();
    CollectSuiteInstallLogs(run);
    EXPECT_EQ(log(), (std::vector<std::string>{"[X] Журналы установки КОМПЛЕКСа"}));
}

TEST_F(EnterpriseSectionsTest, FerryLogsFromTheUsersFolderAndTheTemporaryOne) {
    put("AppData\\Tavir\\Ferry-OAK\\Logs\\client.log", "client");
    put("AppData\\Tavir\\Ferry-OAK\\Logs\\client.txt", "not a log");
    put("ferry_update.log", "update");
    put("other.log", "not ferry's");
    CollectFerryLogs(run);
    EXPECT_TRUE(inWork("(Ferry-OAK)(AppData_Ferry-OAK)client.log"));
    EXPECT_TRUE(inWork("(Ferry-OAK)(Tmp)ferry_update.log"));
    EXPECT_FALSE(inWork("(Ferry-OAK)(Tmp)other.log"));
    EXPECT_EQ(rows("(Ferry-OAK)_Log.csv"), 3u);
    EXPECT_TRUE(logContains("(Ferry-OAK)(AppData_Ferry-OAK)  ["));

    options.set(Option::FerryOak, false);
    run.eventLog().clear();
    CollectFerryLogs(run);
    EXPECT_TRUE(log().empty());
}

} // namespace
} // namespace kw
