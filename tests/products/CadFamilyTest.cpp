// The CAD family on described machines: not installed, registered only as a program, the home program
// under the CAD folder, the INI-driven folders, the libraries sub-option and the electrical add-on.
#include "products/CadFamily.h"

#include "products/ProductSection.h"
#include "tests/products/ProductTest.h"

namespace kw {
namespace {

using test::LM;
using test::Wide;

const std::string kMirtal = "SOFTWARE\\TAVIR\\MIRTAL-3D";

class CadFamilyTest : public test::ProductTest {
  protected:
    std::string install; // with its trailing separator, as the registry holds it

    void SetUp() override {
        ProductTest::SetUp();
        options.set(Option::Mirtal, true);
        install = folder("Program Files\\TAVIR\\MIRTAL 3D") + "\\";
        machine.windir = folder("Windows"); // the prefix's own system folder may hold the add-on
    }
    void registerInstall(const std::string& path) {
        registry.setString(LM, kMirtal, "CurrentVersion", "21.0");
        registry.setString(LM, kMirtal + "\\21.0", "InstallPath", path);
    }
    void putProgram(const std::string& name) {
        put("Program Files\\TAVIR\\MIRTAL 3D\\Bin\\" + name, "MZ placeholder");
    }
    void putIni(const std::string& name, const std::string& text) {
        put("Program Files\\TAVIR\\MIRTAL 3D\\Bin\\" + name, text);
    }
    bool bannerWritten() { return logContains("*********************"); }
};

TEST_F(CadFamilyTest, NotInstalledStillAttemptsEveryExportAndSaysUnregistered) {
    ToolButton2Click(run);
    auto l = log();
    auto exports = std::count_if(l.begin(), l.end(), [](const std::string& s) {
        return s.rfind("    [HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\", 0) == 0;
    });
    EXPECT_EQ(exports, 21); // ten branches in both views, and the product's own
    EXPECT_TRUE(logInOrder(
        {"Ветки реестра МИРТАЛ:",
         "    [HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\MIRTAL-3D] ---> \"(REG)HKLM_MIRTAL-3D_.txt\"",
         "    [HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\Classifier] ---> \"(REG)HKLM_Classifier.txt\"",
         "    [HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\MIRTAL-3D] ---> \"(REG)(64)HKLM_MIRTAL-3D_.txt\"",
         "    [HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\Classifier] ---> \"(REG)(64)HKLM_Classifier.txt\"",
         "    [HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\MIRTAL-3D] ---> \"(REG)MIRTAL.txt\"",
         "МИРТАЛ-3D незарегистрирован"}));
    EXPECT_TRUE(inWork("(REG)(64)HKLM_MIRTAL-SPDS.txt"));
    EXPECT_TRUE(inWork("(REG)MIRTAL.txt"));
    EXPECT_FALSE(bannerWritten());
    EXPECT_FALSE(logContains("Список безопасности"));
    EXPECT_FALSE(logContains("Список файлов"));
    EXPECT_TRUE(processes.started.empty());
}

TEST_F(CadFamilyTest, ThirtyTwoBitWindowsWritesNoSixtyFourBitFilesButTheSameLines) {
    registry.wow64 = false;
    registry.setString(LM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\MIRTAL.Exe", "Path",
                       install + "Bin\\");
    registry.setString(LM, kMirtal, "Platform", "x86");
    ToolButton2Click(run);
    EXPECT_TRUE(
        logHas("    [HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\Mirtal] ---> \"(REG)(64)HKLM_Mirtal.txt\""));
    EXPECT_FALSE(inWork("(REG)(64)HKLM_Mirtal.txt"));
    EXPECT_TRUE(inWork("(REG)HKLM_Mirtal.txt"));
    // Registered only as a program on 32-bit Windows: the one view there is holds the branch.
    EXPECT_NE(workText("(REG)MIRTAL.txt").find("\"Platform\"=\"x86\""), std::string::npos);
}

TEST_F(CadFamilyTest, RegisteredOnlyAsAProgramTakesTheFolderAboveBinAndTheSixtyFourBitBranch) {
    registry.setString(LM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\mHome.Exe", "Path",
                       install + "Bin\\");
    registry.setString(LM, kMirtal, "CurrentVersion", "21.0"); // a key without InstallPath
    registry.setString(LM, kMirtal, "Platform", "x86");
    registry.setString(LM, kMirtal, "Platform", "x64", Wide);
    putProgram("MIRTAL.Exe");
    ToolButton2Click(run);
    EXPECT_TRUE(logHas("********************* MIRTAL-3D V21.0 *********************"));
    EXPECT_TRUE(logHas("Список безопасности: \"" + install + "\" > (cmd)(MIRTAL)cacls.txt"));
    EXPECT_NE(workText("(REG)MIRTAL.txt").find("\"Platform\"=\"x64\""), std::string::npos);
    EXPECT_TRUE(inWork("(MIRTAL_Bin)Files.csv"));
    EXPECT_TRUE(
        logHas("[-] Не могу получить список файлов MIRTAL_sys, каталог [" + install + "Sys] не найден."));
}

TEST_F(CadFamilyTest, HomeProgramUnderTheCadFolderUsesTheHomeIniForItsFolders) {
    registerInstall(install);
    putProgram("mHome.Exe");
    putIni("mHome.ini", "[Directories]\r\nLibs=..\\Библиотеки\\\r\nSys=\r\n");
    folder("Program Files\\TAVIR\\MIRTAL 3D\\Библиотеки");
    test::writeFileBytes(install + "Библиотеки\\Болт.lib", "lib");
    options.set(Option::MirtalLibs, true);
    ToolButton2Click(run);
    EXPECT_TRUE(logHas("********************* MIRTAL-3D V21.0 Home *********************."));
    EXPECT_TRUE(logHas("(MIRTAL)MIRTAL.ini - не найден."));
    EXPECT_TRUE(inWork("(MIRTAL)mHome.ini"));
    EXPECT_TRUE(logHas("Загружен параметр: \"Libs\" из \"mirtal.ini\" = ..\\Библиотеки\\"));
    EXPECT_TRUE(
        logHas("Параметр: \"Libs\" из \"mirtal.ini\" после преобразования = " + install + "Библиотеки\\"));
    // An empty entry keeps the default folder and writes only the line of what was read.
    EXPECT_TRUE(logHas("Загружен параметр: \"Sys\" из \"mirtal.ini\" = "));
    EXPECT_FALSE(logContains("\"Sys\" из \"mirtal.ini\" после преобразования"));
    EXPECT_TRUE(
        logHas("[-] Не могу получить список файлов MIRTAL_sys, каталог [" + install + "Sys] не найден."));
    auto libs = workLines("(MIRTAL_Libs)Files.csv");
    ASSERT_EQ(libs.size(), 2u);
    EXPECT_EQ(libs[1].substr(0, libs[1].find('\t')), "Болт.lib");
}

TEST_F(CadFamilyTest, DirectoriesEntryIsPlainTextReplacementOfEveryParentStep) {
    // The copy starts with the capture's three header lines.
    std::string copy = work("(MIRTAL)MIRTAL.ini");
    test::writeFileBytes(
        copy, utf8ToAnsi("MIRTAL.ini: [D:\\M\\bin\\MIRTAL.ini]\r\n____\r\n  \r\n[General]\r\nSys=x\r\n"
                         "[Directories]\r\nSys=..\\..\\Common\\Sys\\\r\nLibs=E:\\Libs\\\r\n"));
    ProductSection section(run);
    std::string sys = "D:\\M\\Sys", libs = "D:\\M\\Libs";
    ReadDirectoriesEntry(section, copy, "Sys", "D:\\M\\", sys);
    EXPECT_EQ(sys, "D:\\M\\D:\\M\\Common\\Sys\\");
    // An absolute entry is logged; the default folder stays.
    ReadDirectoriesEntry(section, copy, "Libs", "D:\\M\\", libs);
    EXPECT_EQ(libs, "D:\\M\\Libs");
    ReadDirectoriesEntry(section, work("missing.ini"), "Libs", "D:\\M\\", libs);
    EXPECT_EQ(libs, "D:\\M\\Libs");
    EXPECT_EQ(log(),
              (std::vector<std::string>{
                  "Загружен параметр: \"Sys\" из \"mirtal.ini\" = ..\\..\\Common\\Sys\\",
                  "Параметр: \"Sys\" из \"mirtal.ini\" после преобразования = D:\\M\\D:\\M\\Common\\Sys\\",
                  "Загружен параметр: \"Libs\" из \"mirtal.ini\" = E:\\Libs\\",
                  "Загружен параметр: \"Libs\" из \"mirtal.ini\" = "}));
}

TEST_F(CadFamilyTest, MainProgramWithItsIniListsBinSysAndOnlyWithTheSubOptionLibs) {
    registerInstall(install);
    putProgram("MIRTAL.Exe");
    putIni("MIRTAL.ini", "[Directories]\r\nLibs=..\\Libs\\\r\nSys=..\\Sys\\\r\n");
    putIni("mHome.ini", "[Directories]\r\nSys=..\\Other\\\r\n");
    folder("Program Files\\TAVIR\\MIRTAL 3D\\Sys");
    folder("Program Files\\TAVIR\\MIRTAL 3D\\Libs");
    options.set(Option::MirtalLibs, false);
    options.set(Option::Debug, true);
    ToolButton2Click(run);
    EXPECT_TRUE(inWork("(MIRTAL)MIRTAL.ini"));
    EXPECT_TRUE(inWork("(MIRTAL)mHome.ini"));
    EXPECT_TRUE(logInOrder({"Путь MIRTAL - puti: " + install, "Путь MIRTAL - mSys: " + install + "Sys",
                            "Параметр: \"Sys\" из \"mirtal.ini\" после преобразования = " + install + "Sys\\",
                            "Путь MIRTAL2 - puti+Bin: " + install + "Bin",
                            "Путь MIRTAL2 - mSys: " + install + "Sys\\"}));
    EXPECT_TRUE(inWork("(MIRTAL_Bin)Files.csv"));
    EXPECT_TRUE(inWork("(MIRTAL_sys)Files.csv"));
    EXPECT_FALSE(inWork("(MIRTAL_Libs)Files.csv"));
    EXPECT_TRUE(started("cacls \"" + install + "Bin\""));
}

TEST_F(CadFamilyTest, ElectricalAddOnOnlyWithItsLibraryInTheSystemFolder) {
    std::string windir = machine.windir;
    ToolButton2Click(run);
    EXPECT_FALSE(logContains("МИРТАЛ-Электрик"));

    folder("Windows\\system32");
    test::writeFileBytes(windir + "\\system32\\QE_DataExch.dll", "MZ");
    std::string library = put("Lib\\qelib.mdb", "symbols");
    registry.setString(test::CU, "Software\\TAVIR\\МИРТАЛ-Электрик Pro\\11.0\\qe", "Путь к файлу библиотеки",
                       library);
    registry.setString(test::CU, "Software\\TAVIR\\МИРТАЛ-Электрик\\13.0\\qe", "Путь к файлу библиотеки",
                       windir + "\\missing.mdb");
    run.eventLog().clear();
    ToolButton2Click(run);
    auto l = log();
    auto banner =
        std::find(l.begin(), l.end(), "********************* МИРТАЛ-Электрик *********************");
    ASSERT_NE(banner, l.end());
    ASSERT_GE(l.end() - banner, 3);
    EXPECT_EQ(banner[1].rfind(windir + "\\system32\\QE_DataExch.dll\t - 2 байт  -  \t", 0), 0u) << banner[1];
    EXPECT_TRUE(banner[1].ends_with("\t - версия: 00"));
    EXPECT_EQ(banner[2].rfind(library + "\t - 7 байт  -  \t", 0), 0u) << banner[2];
    EXPECT_EQ(l.end() - banner, 3); // the missing library of the other edition writes nothing
}

TEST_F(CadFamilyTest, EditionsInstalledOnTheirOwnOrMissing) {
    registry.setString(LM, "SOFTWARE\\TAVIR\\MIRTAL-3D HOME", "CurrentVersion", "21.0");
    registry.setString(LM, "SOFTWARE\\TAVIR\\MIRTAL-3D HOME\\21.0", "InstallPath", install);
    putIni("mHome.ini", "[Directories]\r\nSys=..\\Sys\\\r\n");
    folder("Program Files\\TAVIR\\MIRTAL 3D\\Sys");
    CollectMirtalHome(run);
    CollectMirtalViewer(run);
    EXPECT_TRUE(
        logInOrder({"********************* MIRTAL-3D V21.0 Home *********************",
                    "Список безопасности: \"" + install + "\" > (cmd)(MIRTAL_Home)cacls.txt",
                    "[" + install + "\\bin\\mHome.ini] ---> \"(MIRTAL_Home)mHome.ini\"",
                    "    [HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\MIRTAL-3D Home] ---> \"(REG)MIRTAL_Home.txt\"",
                    "Не могу получить список файлов MIRTAL Viewer, нет параметра реестра"}));
    EXPECT_TRUE(inWork("(MIRTAL_Home_Bin)Files.csv"));
    EXPECT_TRUE(inWork("(MIRTAL_Home_sys)Files.csv"));
    EXPECT_FALSE(inWork("(REG)MIRTAL_Viewer.txt"));
    EXPECT_EQ(log().back(), " ");
}

} // namespace
} // namespace kw
