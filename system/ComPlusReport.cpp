// COM+ application reports read from the administration catalogue.
#include "system/ComPlusReport.h"

#include <memory>
#include <vector>

#include "platform/Text.h"
#include "system/SecurityTexts.h"

namespace kw {
namespace {

std::unique_ptr<CatalogObject> findApplication(CatalogCollection& applications, const std::string& name) {
    applications.populate();
    long count = applications.count();
    for (long i = 0; i < count; ++i) {
        std::unique_ptr<CatalogObject> application = applications.item(i);
        if (application && sameTextIgnoringCase(application->name(), name))
            return application;
    }
    return nullptr;
}

void describeRoles(CatalogCollection& applications, CatalogObject& application, EventLog& report) {
    std::unique_ptr<CatalogCollection> roles = applications.collection("Roles", application.key());
    roles->populate();
    long count = roles->count();
    for (long i = 0; i < count; ++i) {
        std::unique_ptr<CatalogObject> role = roles->item(i);
        report.setColor(LogColor::Blue);
        if (!role) {
            report.append("Role: Роль не существует");
            continue;
        }
        report.append("Role: " + role->value("Name"));
        report.setColor(LogColor::Black);
        std::unique_ptr<CatalogCollection> users = roles->collection("UsersInRole", role->key());
        users->populate();
        long userCount = users->count();
        for (long u = 0; u < userCount; ++u)
            if (std::unique_ptr<CatalogObject> user = users->item(u))
                report.append("    " + user->value("User"));
    }
}

void describeComponents(CatalogCollection& applications, CatalogObject& application, EventLog& report) {
    report.setColor(LogColor::Blue);
    report.append("Компоненты: ");
    report.setColor(LogColor::Black);
    std::unique_ptr<CatalogCollection> components = applications.collection("Components", application.key());
    components->populate();
    long count = components->count();
    for (long i = 0; i < count; ++i) {
        std::unique_ptr<CatalogObject> component = components->item(i);
        if (!component)
            continue;
        std::string name = component->name();
        report.append(name);
        if (component->value("ComponentAccessChecksEnabled") == "-1")
            report.append("    [+] Установлена принудительная проверка доступа на уровне компонента " + name);
        else
            report.append("    [-] Принудительная проверка доступа на уровне компонента " + name +
                          " не установлена");
        components->collection("RolesForComponent", component->key())->populate();
    }
}

void composeReport(Com& com, const std::string& name, EventLog& report) {
    std::unique_ptr<ComPlusCatalog> catalog = com.openComPlusCatalog();
    std::unique_ptr<CatalogCollection> applications = catalog->collection("Applications");
    std::unique_ptr<CatalogObject> application = findApplication(*applications, name);
    if (!application)
        throw ComError("EOleException", "Приложение " + name + " не найдено в каталоге COM+");

    report.clear();
    report.setColor(LogColor::Blue);
    report.append(name);
    report.setColor(LogColor::Black);
    CatalogObject& a = *application;
    report.append("Пользователь, от имени которого запускается приложение: " + a.value("Identity"));
    report.append("Authentication Level for Calls (Уровень проверки подлинности): " +
                  authenticationLevelText(a.value("Authentication")));
    report.append("Impersonation Level  (Уровень олицетворения):_____________ " +
                  impersonationLevelText(a.value("ImpersonationLevel")));

    std::string accessChecks = a.value("AccessChecksLevel");
    if (accessChecks != "0")
        report.append("Уровень безопасности: Проверка доступа на уровне процесса и на уровне компонента [" +
                      accessChecks + "]");
    else
        report.append("Уровень безопасности: Проверка доступа только на уровне процесса [" + accessChecks +
                      "]");

    std::string runForever = a.value("RunForever");
    if (runForever != "-1")
        report.append("Завершение серверного процесса при ожидании более: " + a.value("ShutdownAfter") +
                      " мин. [" + runForever + "]");
    else
        report.append("Завершение серверного процесса: Не останавливать при ожидании [" + runForever + "]");

    std::string crm = a.value("CRMEnabled");
    if (crm == "-1")
        report.append("Включить компенсирующие диспетчеры ресурсов [" + crm + "]");

    if (a.value("ApplicationAccessChecksEnabled") == "-1")
        report.append("[+] Установлена принудительная проверка доступа на уровне приложения");
    else
        report.append("[-] Принудительная проверка доступа на уровне приложения отключена");

    describeRoles(*applications, a, report);
    describeComponents(*applications, a, report);
}

} // namespace

const std::vector<std::string>& comPlusApplicationNames() {
    static const std::vector<std::string> names = {
        "TAVIR Applications",
        "TAVIR Applications Proxy",
        "Peltrand Server Applications",
        "TAVIR Sync",
        "ELEMLib Server Applications",
        "ELEMLibInv",
        "Dazudadurir",
        "TAVIR BPM",
    };
    return names;
}

std::string comPlusReportFile(const std::string& name) {
    std::string file = name;
    for (char& c : file)
        if (c == ' ')
            c = '_';
    return file + ".rtf";
}

bool FindComPlusApplication(Com& com, const std::string& name) {
    std::unique_ptr<ComPlusCatalog> catalog = com.openComPlusCatalog();
    return findApplication(*catalog->collection("Applications"), name) != nullptr;
}

void DescribeComPlusApplication(ComPlusReportContext& c, const std::string& name) {
    std::string quoted = "\"" + name + "\"";
    try {
        composeReport(c.com, name, c.report);
    } catch (const ComError& e) {
        c.log.append("Данные по " + quoted + " получить не удалось. " + e.errorClass() +
                     " ошибка с сообщением : " + e.what());
        return;
    }
    c.log.append("Данные по " + quoted + " ---> \"" + name + ".rtf\"");
    std::string file = comPlusReportFile(name);
    if (!c.files.writeFile(c.folders.workPath(file), c.report.toRtf()))
        c.log.append("[!!] Не удалось записать файл " + file);
}

void CollectComPlusApplications(ComPlusReportContext& c) {
    for (const std::string& name : comPlusApplicationNames()) {
        bool found = false;
        try {
            found = FindComPlusApplication(c.com, name);
        } catch (const ComError& e) {
            // Without a catalogue none of the names can be found: say so once.
            c.log.append("[!!] Каталог приложений COM+ недоступен, " + e.errorClass() +
                         " ошибка, с сообщением: " + e.what());
            return;
        }
        if (found)
            DescribeComPlusApplication(c, name);
    }
}

} // namespace kw
