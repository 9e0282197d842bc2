// The materials settings report: where the business-object servers and the catalogue server are
// registered, whether the server reaches its databases, and how DCOM launches it. Composed line by line
// in the system text buffer and saved as "(Materials)Set.txt".
#include <exception>
#include <string>

#include "core/CollectionRun.h"
#include "platform/Com.h"
#include "platform/Text.h"
#include "products/CatalogueFamily.h"
#include "products/ProductSection.h"
#include "system/SecurityTexts.h"

namespace kw {
namespace {

constexpr RegistryRoot kCR = RegistryRoot::ClassesRoot;
constexpr const char* kServer = "{418F55FF-BD08-42FC-9ECB-D288B3FDF148}";

struct BusinessObjectServer {
    const char* file;
    const char* clsid;
};
constexpr BusinessObjectServer kBusinessObjectServers[] = {
    {.file = "ServersConnections.dll", .clsid = "{0B3B36F7-9295-476A-BB90-A0C68A0F9E5D}"},
    {.file = "BOSingle.dll", .clsid = "{188D189D-4ED7-404B-8DC4-F458B6F65076}"},
};

// The launch settings of the server's AppID: value, the line's text, whether an empty value is written.
struct LaunchSetting {
    const char* value;
    const char* text;
    const char* whenEmpty = nullptr; // none: no line for an empty value
};
constexpr LaunchSetting kLaunchSettings[] = {
    {.value = "RunAs", .text = "Запускающий пользователь: "},
    {.value = "ActivateAtStorage",
     .text = "Размещение. Запустить приложение на компьютере, где находятся данные: "},
    {.value = "RemoteServerName",
     .text = "Размещение. Запускать приложение на указанном компьютере. (Удаленный компьютер): ",
     .whenEmpty = "(LOCAL)"},
    {.value = "LocalService", .text = "Размещение. Запустить приложение на данном компьютере: "},
};

class Report {
  public:
    explicit Report(CollectionRun& run) : run_(run), section_(run) {}

    void compose() {
        run_.systemTextBuffer().clear();
        for (const BusinessObjectServer& server : kBusinessObjectServers) {
            businessObjectServer(server);
            add(" ");
        }
        if (catalogueServer()) {
            launchSettings();
            authenticationLevel();
        }
        save();
    }

  private:
    void add(const std::string& line) { run_.systemTextBuffer().append(line); }

    std::string registeredPath(const std::string& clsid, const char* server) {
        return section_.readString(kCR, "\\CLSID\\" + clsid, server, "");
    }
    void notRegistered(const std::string& clsid, const char* server, const std::string& file) {
        add("Не найден путь в реестре [HKEY_CLASSES_ROOT\\CLSID\\" + clsid + "\\" + server + "] до файла " +
            file);
    }
    void fileAndLongPath(const std::string& file, const std::string& path) {
        add(section_.fileLine(file + ": ", path));
        add(run_.platform().files.longPathName(path));
    }

    void businessObjectServer(const BusinessObjectServer& server) {
        std::string path = registeredPath(server.clsid, "InprocServer32");
        if (path.empty())
            notRegistered(server.clsid, "InprocServer32", server.file);
        else if (section_.fileExists(path))
            fileAndLongPath(server.file, path);
        else
            add(std::string("Файл ") + server.file + " не найден в: " + path);
    }

    // False when the server is not registered: then nothing more is reported of it.
    bool catalogueServer() {
        std::string path = registeredPath(kServer, "LocalServer32");
        if (path.empty()) {
            notRegistered(kServer, "LocalServer32", "Materials.exe");
            return false;
        }
        add("Materials.exe: ");
        if (!section_.fileExists(path)) {
            add("Файл Materials.exe не найден в: " + path);
            return true;
        }
        fileAndLongPath("Materials.exe", path);
        connectionTest();
        return true;
    }

    // Whatever fails (the class, the cast, a call) is one line of the report; the run goes on.
    void connectionTest() {
        try {
            ComApartment apartment;
            std::unique_ptr<MaterialsCatalog> server = run_.platform().com.openMaterialsCatalog();
            // Each comparison asks the server again, as its status may change between calls.
            if (server->connectionStatus() == 0)
                add("Подключение успешно (Ошибок не обнаружено)");
            else if (server->connectionStatus() == 1)
                add("Ошибка подключения к базе данных материалов");
            else if (server->connectionStatus() == 2)
                add("Ошибка подключения к базе данных единиц измерения");
            else if (server->connectionStatus() == 4)
                add("Ошибка подключения к диспетчеру доступа");
            else if (long status = server->connectionStatus(); status > 4)
                add("Ошибка подключения. Код= " + std::to_string(status));
        } catch (const std::exception& e) {
            run_.systemTextBuffer().appendLine(std::string(e.what()) +
                                               "\nНе могу инициализировать Rudazizod o Ridaduvodu");
        }
    }

    void launchSettings() {
        for (const LaunchSetting& setting : kLaunchSettings) {
            std::string value =
                section_.readString(kCR, "\\AppID\\" + std::string(kServer), "", setting.value);
            if (value.empty() && setting.whenEmpty)
                value = setting.whenEmpty;
            if (!value.empty())
                add(setting.text + value);
        }
    }

    // Read access is enough: the key opens without administrator rights, and nothing is changed.
    void authenticationLevel() {
        RegistryRead r = run_.platform().registry.readValue(kCR, "AppID\\" + std::string(kServer),
                                                            "AuthenticationLevel", RegistryView::Default);
        const std::string prefix = "Уровень проверки подлинности: ";
        std::optional<std::uint32_t> level = registryDwordOf(r);
        if (!level)
            add(prefix + "[не найден]");
        else
            add(prefix + authenticationLevelText(std::to_string(*level)));
    }

    void save() {
        if (!run_.platform().files.writeFile(section_.workPath("(Materials)Set.txt"),
                                             utf8ToAnsi(run_.systemTextBuffer().text())))
            section_.line("[!!] Не удалось записать файл (Materials)Set.txt");
        run_.systemTextBuffer().clear();
    }

    CollectionRun& run_;
    ProductSection section_;
};

} // namespace

void ComposeMaterialsReport(CollectionRun& run) {
    Report(run).compose();
}

} // namespace kw
