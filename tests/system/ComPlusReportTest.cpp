// COM+ reports through a fake catalogue, and what the real one does under Wine (it is not registered).
#include "system/ComPlusReport.h"

#include <gtest/gtest.h>

#include "platform/Text.h"
#include "tests/TempFolder.h"
#include "tests/system/FakeComPlus.h"

namespace kw {
namespace {

using test::FakeCatalogEntry;

FakeCatalogEntry application(const std::string& name, const std::string& key) {
    return {name,
            key,
            {{"Identity", "Interactive User"},
             {"Authentication", "2"},
             {"ImpersonationLevel", "3"},
             {"AccessChecksLevel", "1"},
             {"RunForever", "-1"},
             {"ShutdownAfter", "3"},
             {"CRMEnabled", "0"},
             {"ApplicationAccessChecksEnabled", "0"}}};
}

class ComPlusReportTest : public ::testing::Test {
  protected:
    EventLog log, report;
    WorkFolders folders{windowsFileSystem(), log};
    test::FakeCom com;
    ComPlusReportContext context{com, windowsFileSystem(), folders, log, report};

    void SetUp() override {
        folders.CreateWorkFolder("KW_Temp");
        log.clear();
    }

    std::string reportText(const std::string& file) {
        auto rtf = windowsFileSystem().readFile(folders.workPath(file));
        return rtf ? ansiToUtf8(*rtf) : std::string("<missing>");
    }
};

TEST_F(ComPlusReportTest, ReportHoldsPropertiesRolesAndComponents) {
    com.data.applications = {application("Other", "{0}"), application("TAVIR Applications Proxy", "{1}")};
    com.data.related[{"Roles", "{1}"}] = {{"Operators", "{r1}", {}}, {"", "", {}, true}};
    com.data.related[{"UsersInRole", "{r1}"}] = {{"", "", {{"User", "DOMAIN\\ivan"}}}};
    com.data.related[{"Components", "{1}"}] = {
        {"Proxy.Server", "{c1}", {{"ComponentAccessChecksEnabled", "-1"}}},
        {"Proxy.Helper", "{c2}", {{"ComponentAccessChecksEnabled", "0"}}}};

    ASSERT_TRUE(FindComPlusApplication(com, "tavir applications proxy"));
    DescribeComPlusApplication(context, "TAVIR Applications Proxy");

    EXPECT_EQ(log.texts(),
              std::vector<std::string>{
                  "Данные по \"TAVIR Applications Proxy\" ---> \"TAVIR Applications Proxy.rtf\""});
    EXPECT_EQ(
        report.texts(),
        (std::vector<std::string>{
            "TAVIR Applications Proxy",
            "Пользователь, от имени которого запускается приложение: Interactive User",
            "Authentication Level for Calls (Уровень проверки подлинности): Connect (Подключиться) [2]",
            "Impersonation Level  (Уровень олицетворения):_____________ Impersonate (Олицетворение) [3]",
            "Уровень безопасности: Проверка доступа на уровне процесса и на уровне компонента [1]",
            "Завершение серверного процесса: Не останавливать при ожидании [-1]",
            "[-] Принудительная проверка доступа на уровне приложения отключена",
            "Role: Operators",
            "    DOMAIN\\ivan",
            "Role: Роль не существует",
            "Компоненты: ",
            "Proxy.Server",
            "    [+] Установлена принудительная проверка доступа на уровне компонента Proxy.Server",
            "Proxy.Helper",
            "    [-] Принудительная проверка доступа на уровне компонента Proxy.Helper не установлена",
        }));
    EXPECT_EQ(report.lines()[0].color, LogColor::Blue);
    EXPECT_EQ(report.lines()[1].color, LogColor::Black);
    std::string rtf = reportText("TAVIR_Applications_Proxy.rtf");
    EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(rtf.find("Proxy.Helper"), std::string::npos);
}

TEST_F(ComPlusReportTest, ShutdownTimeAndCompensatingManagersFollowTheirFlags) {
    FakeCatalogEntry app = application("TAVIR Sync", "{s}");
    app.values["RunForever"] = "0";
    app.values["ShutdownAfter"] = "15";
    app.values["CRMEnabled"] = "-1";
    app.values["AccessChecksLevel"] = "0";
    app.values["ApplicationAccessChecksEnabled"] = "-1";
    com.data.applications = {app};
    DescribeComPlusApplication(context, "TAVIR Sync");
    std::vector<std::string> lines = report.texts();
    auto has = [&](const std::string& s) { return std::find(lines.begin(), lines.end(), s) != lines.end(); };
    EXPECT_TRUE(has("Уровень безопасности: Проверка доступа только на уровне процесса [0]"));
    EXPECT_TRUE(has("Завершение серверного процесса при ожидании более: 15 мин. [0]"));
    EXPECT_TRUE(has("Включить компенсирующие диспетчеры ресурсов [-1]"));
    EXPECT_TRUE(has("[+] Установлена принудительная проверка доступа на уровне приложения"));
}

TEST_F(ComPlusReportTest, AnErrorEndsOneReportWithoutAFile) {
    com.data.applications = {application("TAVIR BPM", "{b}")};
    com.data.failingCollection = "Components";
    DescribeComPlusApplication(context, "TAVIR BPM");
    EXPECT_EQ(log.texts(),
              std::vector<std::string>{"Данные по \"TAVIR BPM\" получить не удалось. EOleSysError "
                                       "ошибка с сообщением : Сбой при чтении Components"});
    EXPECT_FALSE(windowsFileSystem().plainFileExists(folders.workPath("TAVIR_BPM.rtf")));
}

TEST_F(ComPlusReportTest, StepDescribesOnlyRegisteredApplicationsInOrder) {
    com.data.applications = {application("TAVIR BPM", "{b}"), application("ELEMLibInv", "{e}")};
    CollectComPlusApplications(context);
    EXPECT_EQ(log.texts(), (std::vector<std::string>{"Данные по \"ELEMLibInv\" ---> \"ELEMLibInv.rtf\"",
                                                     "Данные по \"TAVIR BPM\" ---> \"TAVIR BPM.rtf\""}));
}

TEST_F(ComPlusReportTest, MissingCatalogueIsLoggedOnceAndTheStepEnds) {
    com.data.unavailable = true;
    CollectComPlusApplications(context);
    EXPECT_EQ(log.texts(),
              std::vector<std::string>{"[!!] Каталог приложений COM+ недоступен, EOleSysError ошибка, "
                                       "с сообщением: Класс не зарегистрирован"});
    EXPECT_EQ(com.data.opened, 1);
}

TEST_F(ComPlusReportTest, RealCatalogueFailsCleanlyUnderWine) {
    // Wine registers no COM+ catalogue; on Windows the catalogue opens and lists applications.
    try {
        std::unique_ptr<ComPlusCatalog> catalog = windowsCom().openComPlusCatalog();
        auto applications = catalog->collection("Applications");
        applications->populate();
        EXPECT_GE(applications->count(), 0);
    } catch (const ComError& e) {
        EXPECT_EQ(e.errorClass(), "EOleSysError");
        EXPECT_FALSE(std::string(e.what()).empty());
    }
}

} // namespace
} // namespace kw
