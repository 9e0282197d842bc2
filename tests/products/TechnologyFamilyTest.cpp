// The technology family on described machines: the CAPP product's csv logs and its component facts, the
// "Directory" fallback, the reference under the CAPP option, the rating products absent and present.
#include "products/TechnologyFamily.h"

#include "tests/products/ProductTest.h"

namespace kw {
namespace {

using test::LM;

class TechnologyFamilyTest : public test::ProductTest {
  protected:
    std::string program; // with its trailing separator

    void SetUp() override {
        ProductTest::SetUp();
        options.set(Option::Tessarin, true);
        program = folder("Program Files\\TAVIR\\Tessarin") + "\\";
    }
    void registerTessarin(const std::string& installPath, const std::string& directory) {
        registry.setString(LM, "SOFTWARE\\TAVIR\\Tessarin", "CurrentVersion", "6.2");
        registry.setString(LM, "SOFTWARE\\TAVIR\\Tessarin\\6.2", "InstallPath", installPath);
        registry.setString(LM, "SOFTWARE\\TAVIR\\Tessarin\\6.2", "Directory", directory);
        registry.setString(LM, "SOFTWARE\\TAVIR\\Tessarin\\6.2", "ProductVersion", "6.2.1450.0");
    }
};

TEST_F(TechnologyFamilyTest, CsvLogsAreCopiedOnceIntoTheirTableAndFoldersSkipped) {
    std::string logs = folder("Tessarin\\Logs");
    put("Tessarin\\Logs\\a.csv", "a;1");
    put("Tessarin\\Logs\\b.csv", "b;22");
    put("Tessarin\\Logs\\notes.txt", "not a csv");
    folder("Tessarin\\Logs\\old.csv");
    put("KW_Temp\\(Tessarin)(Tmp)b.csv", "from before"); // already in the work folder
    ToolButton10Click(run);

    EXPECT_EQ(workText("(Tessarin)(Tmp)a.csv"), utf8ToAnsi("a;1"));
    EXPECT_EQ(workText("(Tessarin)(Tmp)b.csv"), "from before");
    EXPECT_FALSE(inWork("(Tessarin)(Tmp)old.csv"));
    EXPECT_FALSE(inWork("(Tessarin)(Tmp)notes.txt"));
    auto table = workLines("(Tessarin)_Log.csv");
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0], "Имя файла:\tБайт:\tДата:\tПуть:\t \t ");
    EXPECT_EQ(table[1].rfind("(Tessarin)(Tmp)a.csv\t3\t", 0), 0u) << table[1];
    EXPECT_TRUE(table[1].ends_with("\t" + logs + "\t \t ")) << table[1];
    EXPECT_TRUE(logInOrder(
        {"a.csv (Tessarin)(Tmp)  [" + logs + "]", "[" + logs + "\\a.csv] ---> \"(Tessarin)(Tmp)a.csv\""}));
    EXPECT_TRUE(logHas("[-] Лог файл Tessarin скопировать НЕ удалось: [" + logs +
                       "\\b.csv] -> (Tessarin)(Tmp)b.csv"));
}

TEST_F(TechnologyFamilyTest, NoLogsFolderAndTheOptionOffCopyNothing) {
    ToolButton10Click(run);
    EXPECT_FALSE(inWork("(Tessarin)_Log.csv"));
    put("Tessarin\\Logs\\a.csv", "a");
    options.set(Option::Tessarin, false);
    run.eventLog().clear();
    ToolButton10Click(run);
    EXPECT_FALSE(inWork("(Tessarin)(Tmp)a.csv"));
    EXPECT_FALSE(logContains("Не могу получить список файлов Tessarin"));
}

TEST_F(TechnologyFamilyTest, AbsentProductWritesTheBannerAndTheMissingLinesOnly) {
    ToolButton10Click(run);
    EXPECT_TRUE(
        logInOrder({"********************* САПР ТП ТЕССАРИН / Справочник технолога *********************",
                    "Не могу получить список файлов Tessarin, нет параметра реестра"}));
    EXPECT_FALSE(logContains("Файл: "));
    EXPECT_FALSE(logContains("Версия Tessarin"));
    // The captures below an empty install folder are not looked up in the current folder.
    EXPECT_TRUE(logHas("[-] [data\\Data.ini]"));
}

TEST_F(TechnologyFamilyTest, DirectoryServesWhenInstallPathIsEmptyAndMissingComponentsAreLeftOut) {
    registerTessarin("", program);
    put("Program Files\\TAVIR\\Tessarin\\bin\\Tessarin.exe", "MZ");
    put("Program Files\\TAVIR\\Tessarin\\bin\\PeltrandBtns.dll", "MZ btns");
    put("Program Files\\TAVIR\\Tessarin\\bin\\PeltrandXConfig.ocx", "MZ config");
    put("Program Files\\TAVIR\\Tessarin\\Welding\\bin\\ModuleVars.xml", "<?xml version=\"1.0\"?><v/>");
    ToolButton10Click(run);

    EXPECT_TRUE(logHas("    [HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\Tessarin] ---> \"(REG)Tessarin.txt\""));
    EXPECT_TRUE(inWork("(Tessarin)Files.csv"));
    EXPECT_EQ(workText("(Tessarin)ModuleVars.xml"), "<?xml version=\"1.0\"?><v/>\r\n");
    EXPECT_TRUE(
        logInOrder({"Файл: " + program + "bin\\Tessarin.exe", "Файл: " + program + "bin\\PeltrandBtns.dll",
                    "Размер файла в байтах: 7", "Файл: " + program + "bin\\PeltrandXConfig.ocx",
                    "Размер файла в байтах: 9", "Версия Tessarin 6.2:", "6.2.1450.0"}));
    EXPECT_FALSE(logContains("PeltrandX.ocx"));
    auto l = log();
    auto exe = std::find(l.begin(), l.end(), "Файл: " + program + "bin\\Tessarin.exe");
    ASSERT_NE(exe, l.end());
    EXPECT_EQ(exe[1].rfind(program + "bin\\Tessarin.exe\t - 2 байт  -  \t", 0), 0u) << exe[1];
}

TEST_F(TechnologyFamilyTest, ReferenceIsListedOnlyWithTheCappOption) {
    std::string reference = folder("Program Files\\TAVIR\\Handbrix") + "\\";
    put("Program Files\\TAVIR\\Handbrix\\TechReference.exe", "MZ");
    registry.setString(LM, "SOFTWARE\\TAVIR\\Handbrix", "CurrentVersion", "3.1");
    registry.setString(LM, "SOFTWARE\\TAVIR\\Handbrix\\3.1", "InstallPath", reference);
    registry.setString(LM, "SOFTWARE\\TAVIR\\Handbrix\\3.1", "ProductVersion", "3.1.220.0");
    registry.setString(LM, "SOFTWARE\\TAVIR\\Handbrix\\3.1\\BDConnection", "TypeSQLServer", "MS SQL Server");
    options.set(Option::Tessarin, false);
    ToolButton9Click(run);
    EXPECT_TRUE(
        logInOrder({"TechReference.exe", "Версия УТС 3.1:", "3.1.220.0", "SQLServer УТС:", "MS SQL Server"}));
    EXPECT_FALSE(inWork("(REG)Handbrix.txt"));
    EXPECT_FALSE(inWork("(Handbrix)Files.csv"));

    options.set(Option::Tessarin, true);
    ToolButton9Click(run);
    EXPECT_TRUE(inWork("(REG)Handbrix.txt"));
    EXPECT_TRUE(inWork("(Handbrix)Files.csv"));
}

TEST_F(TechnologyFamilyTest, RatingProductsWriteNothingWithoutAVersion) {
    CollectMatRate(run);
    CollectTaskRate(run);
    EXPECT_TRUE(log().empty());

    std::string matrate = folder("Program Files\\TAVIR\\MatRate") + "\\";
    registry.setString(LM, "SOFTWARE\\TAVIR\\Matrate", "CurrentVersion", "2.4");
    registry.setString(LM, "SOFTWARE\\TAVIR\\Matrate\\2.4", "InstallPath", matrate);
    put("AppData\\TAVIR\\MatRate\\MatRate.html", "<html><body>журнал</body></html>");
    put("AppData\\TAVIR\\MatRate\\MatRate.cfg", "[cfg]");
    CollectMatRate(run);
    EXPECT_TRUE(logHas("    [HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\Matrate] ---> \"(REG)Matrate.txt\""));
    EXPECT_EQ(workText("(MatRate)MatRate.html"), "<html><body>журнал</body></html>\r\n"); // no header
    EXPECT_EQ(workLines("(MatRate)MatRate.cfg").size(), 4u); // three header lines
    EXPECT_TRUE(inWork("(Matrate)Files.csv"));
}

} // namespace
} // namespace kw
