// The system information section, step by step: what Windows is, who runs it, its security settings,
// its data-access components, installed programs, then the hardware and the shell folders.
#include "system/SystemSection.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "core/CollectionRun.h"
#include "core/ConsoleCapture.h"
#include "core/FileCapture.h"
#include "core/FileInventory.h"
#include "core/RegistryExport.h"
#include "core/RegistryReaders.h"
#include "platform/Text.h"
#include "system/ComPlusReport.h"
#include "system/HardwareBlocks.h"
#include "system/InstalledPrograms.h"
#include "system/SecurityTexts.h"

namespace kw {
namespace {

constexpr RegistryRoot kLM = RegistryRoot::LocalMachine;
constexpr int kCommonAppData = 0x23; // CSIDL_COMMON_APPDATA
constexpr const char* kRule = "____________________________________________________________________";

std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

std::string dwordText(const RegistryRead& r) {
    auto v = registryDwordOf(r);
    return v ? std::to_string(*v) : std::string();
}

} // namespace

TextBuffer& SystemSection::text() {
    return run_.systemTextBuffer();
}
void SystemSection::log(const std::string& line) {
    run_.eventLog().append(line);
}
void SystemSection::checkpoint(const std::string& name) {
    run_.DebugCheckpoint(name);
}

bool SystemSection::saveText(const char* file) {
    if (run_.platform().files.writeFile(run_.folders().workPath(file), utf8ToAnsi(text().text())))
        return true;
    log(std::string("[!!] Не удалось записать файл ") + file);
    return false;
}

std::optional<std::string> SystemSection::dwordValue(const std::string& key, const std::string& value) {
    RegistryRead r = run_.platform().registry.readValue(kLM, key, value, RegistryView::Default);
    std::string text = dwordText(r);
    if (text.empty())
        return std::nullopt;
    return text;
}

std::string SystemSection::readString(const std::string& key, const std::string& subkey,
                                      const std::string& value) {
    return RegistryReader(run_).ReadRegistryString(kLM, key, subkey, value);
}

bool SystemSection::readMultiString(const std::string& key, const std::string& value) {
    list_.clear();
    std::vector<std::string> strings;
    try {
        strings = RegistryReader(run_).ReadRegistryMultiString(kLM, key, value);
    } catch (const RegistryError& e) {
        log("[!!] [" + key + "\\" + value +
            "] [Получить информацию из реестра не удалось] - ERegistryException"
            " ошибка, с сообщением: " +
            e.what());
        return false;
    }
    strings.erase(std::remove(strings.begin(), strings.end(), std::string()), strings.end());
    list_.setLines(std::move(strings));
    return true;
}

std::string SystemSection::fileLine(const std::string& prefix, const std::string& path) {
    return prefix + describeFile(run_, path, FileVersionText(run_.platform().files, path));
}

void SystemSection::CollectSystemSection() {
    // Each step on its own: one that fails (a log too large to copy, say) costs that step only.
    auto step = [this](const char* name, auto&& work) {
        try {
            work();
        } catch (const std::bad_alloc&) {
            log(std::string("[!!] [Сведения о системе: ") + name +
                "] - EOutOfMemory ошибка, с сообщением: Недостаточно памяти для завершения операции.");
        } catch (const std::exception& e) {
            log(std::string("[!!] [Сведения о системе: ") + name +
                "] - Exception ошибка, с сообщением: " + e.what());
        }
    };
    step("SocketProxyServer", [&] { socketProxy(); });
    step("Windows", [&] { windowsBlock(); });
    step("Домен и пользователь", [&] { domainAndUser(); });
    step("DCOM", [&] { dcom(); });
    step("Брандмауэр", [&] { firewall(); });
    step("COM+", [&] { comPlus(); });
    step("UAC", [&] { uac(); });
    step("DEP", [&] { dep(); });
    step("Internet Explorer", [&] { internetExplorer(); });
    step("Доступ к данным", [&] { dataAccess(); });
    step("SQL Server", [&] { sqlServer(); });

    step("programs.csv", [&] {
        ListInstalledPrograms(run_, RegistryView::Default);
        checkpoint("Список установленных 32-разрядных программ");
    });
    step("programs64.csv", [&] {
        ListInstalledPrograms(run_, RegistryView::Wow64_64);
        checkpoint("Список установленных 64-разрядных программ");
    });
    step("software.txt", [&] {
        saveText("software.txt");
        text().clear();
        checkpoint("software.txt");
    });

    step("Процессор", [&] { processorAndBoard(); });
    step("Память", [&] {
        add(" ");
        add("Память:");
        Button16Click();
        checkpoint("Память");
    });
    step("Системные диски", [&] {
        Button7Click();
        checkpoint("Системные диски");
    });
    step("Информация о видеокарте", [&] {
        Button11Click();
        checkpoint("Информация о видеокарте");
    });
    step("Экран и сеть", [&] { screenAndNetwork(); });
    step("Последовательные порты", [&] { serialPorts(); });
    step("hardware.txt", [&] {
        saveText("hardware.txt");
        text().clear();
        checkpoint("hardware.txt");
    });
    step("Paths.txt", [&] { shellFolders(); });
}

void SystemSection::socketProxy() {
    const std::string key = "SOFTWARE\\TAVIR\\SocketProxyServer\\Settings";
    RegistryExporter(run_).ExportRegistryBranch(kLM, key, "(REG)SocketProxyServer.txt");
    log("\r[HKEY_LOCAL_MACHINE\\" + key + "] ---> \"(REG)SocketProxyServer.txt\"");

    FileCapture capture(run_);
    std::string folder = capture.GetSpecialFolder(kCommonAppData) + "\\TAVIR\\Peltrand\\";
    FileSystem& files = run_.platform().files;
    bool first = true;
    for (const char* name : {"SocketProxyServer.log", "SocketProxySvc.log"}) {
        std::string source = folder + name;
        if (files.plainFileExists(source)) {
            // The shell copy reads a log the service holds open; the copy is then streamed into the
            // work folder under the log's own name, after the header in the ANSI code page.
            std::string copy = run_.folders().workPath(std::string("(tmp)") + name);
            if (!capture.ShellCopyFile(source, copy))
                log(std::string("Copy Failed ") + name);
            std::string header = utf8ToAnsi(std::string(name) + ": [" + folder + "]\r\n" + kRule + "\r\n");
            if (!capture.CopyWithHeader(copy, name, header))
                log(std::string("[!!] Не удалось записать файл ") + name);
            files.deleteFile(copy);
            log("[" + folder + name + "] ---> " + name);
        } else {
            log("[-][" + folder + name + "] x " + name);
        }
        if (first)
            checkpoint("SocketProxyServer");
        first = false;
        text().clear();
    }
}

void SystemSection::windowsBlock() {
    const std::string key = "\\SOFTWARE\\Microsoft\\Windows NT";
    std::string product = readString(key, "CurrentVersion", "ProductName");
    std::string csd = readString(key, "CurrentVersion", "CSDVersion");
    std::string buildLab = readString(key, "CurrentVersion", "BuildLab");
    std::string systemRoot = readString(key, "CurrentVersion", "SystemRoot");
    std::string releaseId = readString(key, "CurrentVersion", "ReleaseId");
    if (!product.empty()) {
        add("Windows:");
        // One line with a CR inside: the saved file keeps it so, and views that break at CR show two.
        text().appendLine(product + " " + csd + " [" + buildLab + "]  -  " + systemRoot +
                          "\rWinVer:" + releaseId);
        add(RegistryReader(run_).IsWow64() ? "64-разрядная операционная система."
                                           : "32-разрядная операционная система.");
    }
    if (run_.platform().system.aeroEnabled())
        add("Aero");
    checkpoint("Windows");
}

void SystemSection::domainAndUser() {
    SystemInfo& system = run_.platform().system;
    add(" ");
    std::string domain =
        readString("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "", "DefaultDomainName");
    if (!domain.empty())
        add("Имя домена: " + domain);
    std::string tcpDomain =
        readString("\\SYSTEM\\CurrentControlSet\\Services\\Tcpip", "Parameters", "Domain");
    if (!tcpDomain.empty())
        add("Domain: " + tcpDomain);
    checkpoint("Имя домена");

    add("Имя компьютера: " + system.computerName());
    add("Имя пользователя: " + system.userName());
    add(system.isAdministrator() ? "Права пользователя: Администратор"
                                 : "Права пользователя: Нет прав Администратора");
    checkpoint("Имя компьютера и пользователя и его права");

    add(" ");
    add("каталог Windows: " + system.windowsDirectory());
    add("каталог System: " + system.systemDirectory());
    checkpoint("Каталог системный и Windows");
}

void SystemSection::dcom() {
    // Read-only: a user without administrator rights still gets the real settings.
    RegistryRead enable = run_.platform().registry.readValue(kLM, "Software\\Microsoft\\OLE", "EnableDCOM",
                                                             RegistryView::Default);
    bool enabled = enable.status == RegistryStatus::Ok &&
                   (enable.value.type == kRegSz || enable.value.type == kRegExpandSz) &&
                   upper(registryStringOf(enable.value.data)) == "Y";
    add("\r\nDCOM: ");
    add(enabled ? "[+] Использование DCOM на этом компьютере разрешено"
                : "[-] DCOM не используется на этом компьютере");
    checkpoint("Разрешено ли использование DCOM на этом компьютере");

    const std::string ole = "SOFTWARE\\Microsoft\\Ole";
    const std::string authentication =
        "Default Authentication Level (Уровень проверки подлинности по умолчанию): ";
    const std::string impersonation =
        "Default Impersonation Level  (Уровень олицетворения по умолчанию):_______ ";
    if (auto v = dwordValue(ole, "LegacyAuthenticationLevel"))
        add(authentication + authenticationLevelText(*v));
    else
        add(authentication + "Connect (Подключиться) [не найден]");
    if (auto v = dwordValue(ole, "LegacyImpersonationLevel"))
        add(impersonation + impersonationLevelText(*v));
    else
        add(impersonation + "Identify (Определить)[не найден]");
    checkpoint("Уровень олицетворения и проверки подлинности по умолчанию");
}

void SystemSection::firewall() {
    add("\r\nWindows Firewall:");
    auto v = dwordValue(
        "SYSTEM\\CurrentControlSet\\Services\\SharedAccess\\Parameters\\FirewallPolicy\\StandardProfile",
        "EnableFirewall");
    if (!v)
        add("Windows Firewall: параметр реестра не обнаружен");
    else if (*v == "1")
        add("[+] Windows Firewall Включен (" + *v + ")");
    else if (*v == "0")
        add("[-] Windows Firewall Отключен (" + *v + ")");
    checkpoint("Windows Firewall");
}

void SystemSection::comPlus() {
    EventLog& events = run_.eventLog();
    if (run_.options().get(Option::ComPlus)) {
        events.setColor(LogColor::Blue);
        log("\rМой компьютер / Приложения COM+ :");
        ComPlusReportContext context{com_, run_.platform().files, run_.folders(), events, comReport_};
        CollectComPlusApplications(context);
    } else {
        log("\r[X] Не могу собрать \"Мой компьютер / Приложения COM+\", не активна настройка");
    }
    checkpoint("COM+");
}

void SystemSection::uac() {
    add(" ");
    add("UAC:");
    const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
    Registry& registry = run_.platform().registry;
    UacValues values;
    bool failed = false;
    auto read = [&](const char* name, std::optional<std::string>& out) {
        RegistryRead r = registry.readValue(kLM, key, name, RegistryView::Default);
        if (r.status == RegistryStatus::Ok) {
            std::string text = dwordText(r);
            if (text.empty())
                failed = true; // not a DWORD
            else
                out = text;
        } else if (r.status == RegistryStatus::Failed) {
            failed = true;
        }
    };
    read("EnableLUA", values.enableLua);
    read("PromptOnSecureDesktop", values.promptOnSecureDesktop);
    read("ConsentPromptBehaviorAdmin", values.consentPromptBehaviorAdmin);
    UacDecision decision = decideUac(values);
    if (failed || decision.readError) {
        log("!!! Возникла проблема с обработкой EnableLUA");
    } else {
        for (const std::string& line : decision.lines)
            add(line);
    }
    checkpoint("UAC");
}

void SystemSection::dep() {
    add(" ");
    add("DEP: ");
    std::string options = readString("\\SYSTEM\\CurrentControlSet", "Control", "SystemStartOptions");
    if (!options.empty())
        add("Общее состояние DEP (nx): " + options);
    else
        FileCapture(run_).CaptureFile("C:", "", "", "boot.ini");

    const std::string key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\NoExecuteState";
    RegistryRead r =
        run_.platform().registry.readValue(kLM, key, "LastNoExecuteRadioButtonState", RegistryView::Default);
    std::optional<std::string> value;
    if (std::string t = dwordText(r); !t.empty())
        value = t;
    if (auto line = depPolicyLine(r.status != RegistryStatus::NoKey, value))
        add(*line);

    add("Программы внесенные в исключения DEP: ");
    RegistryExporter(run_).ExportRegistryBranch(
        kLM, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers", "",
        ExportInto::SystemText);
    checkpoint("DEP");
}

void SystemSection::internetExplorer() {
    add(" ");
    add("Internet Explorer:");
    std::string version = readString("\\SOFTWARE\\Microsoft", "Internet Explorer", "Version");
    if (!version.empty())
        add("Версия: " + version);
    std::string path =
        readString("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths", "IEXPLORE.EXE", "");
    if (!path.empty())
        add(fileLine("Файл: ", path));
    checkpoint("Версия Internet Explorer");
}

void SystemSection::dataAccess() {
    add(" ");
    add("Версия ADO / MDAC:");
    std::string version = readString("\\SOFTWARE\\Microsoft", "DataAccess", "Version");
    if (!version.empty())
        add("Version: " + version);
    std::string full = readString("\\SOFTWARE\\Microsoft", "DataAccess", "FullInstallVer");
    if (!full.empty())
        add("FullInstallVer: " + full);
    checkpoint("Версия ADO");

    add(" ");
    add("Версия драйвера ODBC:");
    std::string windows = run_.platform().system.environmentVariable("windir");
    FileSystem& files = run_.platform().files;
    auto driver = [&](const char* prefix, const char* name) {
        std::string v = readString("\\SOFTWARE\\ODBC\\ODBCINST.INI", name, "DriverODBCVer");
        if (!v.empty())
            add(prefix + v);
    };
    auto file = [&](const char* prefix, const char* relative) {
        std::string path = windows + relative;
        if (files.plainFileExists(path))
            add(fileLine(prefix, path));
    };
    driver("Microsoft Access Driver (*.mdb): ", "Microsoft Access Driver (*.mdb)");
    file("Microsoft Access Driver (*.mdb): ", "\\system32\\odbcjt32.dll");
    driver("Microsoft ODBC for Oracle: ", "Microsoft ODBC for Oracle");
    file("Microsoft ODBC for Oracle: ", "\\system32\\msorcl32.dll");
    file("\rmidas.dll (System32): ", "\\system32\\midas.dll");
    file("\rmidas.dll (SysWOW64): ", "\\SysWOW64\\midas.dll");
    driver("\rSQL Server: ", "SQL Server");
    file("SQL Server: ", "\\system32\\sqlsrv32.dll");
    checkpoint("Версия драйвера ODBC и sqlsrv32.dll");
}

void SystemSection::sqlServer() {
    std::string version =
        readString("\\SOFTWARE\\Microsoft\\MSSQLServer\\MSSQLServer", "CurrentVersion", "CurrentVersion");
    if (version.empty()) {
        checkpoint("SQL");
        return;
    }
    add(" ");
    add("MS SQL");
    add("Версия SQL: " + version);
    std::string sqlPath = readString("\\SOFTWARE\\Microsoft\\MSSQLServer", "Setup", "SQLPath");
    if (!sqlPath.empty())
        add("SQLPath: " + sqlPath);
    std::string instance =
        readString("\\SOFTWARE\\Microsoft\\Microsoft SQL Server\\Instance Names", "SQL", "MSSQLSERVER");
    std::string setup = "\\SOFTWARE\\Microsoft\\Microsoft SQL Server\\" + instance;
    std::string collation = readString(setup, "Setup", "Collation");
    std::string patchLevel = readString(setup, "Setup", "PatchLevel");
    if (!collation.empty()) {
        add("Collation: " + collation);
        add("EditionType: " + readString(setup, "Setup", "EditionType"));
        add("PatchLevel: " + patchLevel);
    }
    std::string major = patchLevel.substr(
        0, patchLevel.find('.') == std::string::npos ? patchLevel.size() : patchLevel.find('.') + 1);
    std::string sni = "SOFTWARE\\Microsoft\\MSSQLServer\\Client\\SNI" + major + "0";
    // The first list has a blank line before it; each list ends with one, which also leads the next.
    add(" ");
    auto listLine = [&](const char* heading, const std::string& key, const char* value) {
        add(heading);
        if (!readMultiString(key, value))
            return false;
        std::string joined;
        for (const std::string& line : list_.lines())
            joined += (joined.empty() ? "" : "\r\n") + line;
        add(joined);
        add(" ");
        return true;
    };
    // A missing list is logged and ends this block; the section goes on.
    if (listLine("Protocol SQL: ", sni, "ProtocolOrder") &&
        listLine("Instances SQL: ", "SOFTWARE\\Microsoft\\Microsoft SQL Server", "InstalledInstances")) {
        add("Aliases SQL: ");
        RegistryExporter(run_).ExportRegistryBranch(
            kLM, "SOFTWARE\\Microsoft\\MSSQLServer\\Client\\ConnectTo", "", ExportInto::SystemText);
    }
    checkpoint("SQL");
}

void SystemSection::processorAndBoard() {
    SystemInfo& system = run_.platform().system;
    add("Процессор:");
    add(readString("\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor", "0", "ProcessorNameString"));
    add(readString("\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor", "0", "Identifier"));
    add("Количество ядер процессора: " + std::to_string(system.processorCount()));
    checkpoint("Процессор");

    add("\rМатеринская плата:");
    add("версия БИОС: " + readString("\\HARDWARE\\DESCRIPTION", "System", "SystemBiosVersion"));
    add("дата БИОС: " + readString("\\HARDWARE\\DESCRIPTION", "System", "SystemBiosDate"));
    add("производитель: " + readString("\\HARDWARE\\DESCRIPTION\\System", "BIOS", "BaseBoardManufacturer"));
    add("модель: " + readString("\\HARDWARE\\DESCRIPTION\\System", "BIOS", "BaseBoardProduct"));
    checkpoint("Мат.плата");
}

void SystemSection::Button16Click() {
    for (const std::string& line : memoryLines(run_.platform().system.memoryStatus()))
        add(line);
}

void SystemSection::Button7Click() {
    for (const std::string& line : driveLines(run_.platform().system))
        add(line);
    saveText("hardware.txt");
}

void SystemSection::Button11Click() {
    SystemInfo& system = run_.platform().system;
    add(screenFontLine(system.screenPixelsPerInch()));
    checkpoint("Крупный/мелкий шрифт");
    ConsoleCapture(run_).startDetached("cmd /c dxdiag.exe /whql:off /t " +
                                       quoteArgument(run_.folders().workPath("DxDiag.txt")));
    for (const std::string& line : displayAdapterLines(system))
        add(line);
    saveText("hardware.txt");
}

void SystemSection::screenAndNetwork() {
    SystemInfo& system = run_.platform().system;
    ScreenArea a = system.screenArea();
    add("\rРазрешение экрана: " + std::to_string(a.width) + " x " + std::to_string(a.height));
    add("Рабочая область: " + std::to_string(a.top) + " x " + std::to_string(a.left) + " x " +
        std::to_string(a.bottom) + " x " + std::to_string(a.right));
    checkpoint("Разрешение экрана + Рабочая область");

    add(" ");
    add(system.networkPresent() ? "Компьютер подключен к сети (+)" : "Компьютер не подключен к сети (-)");
    checkpoint("Компьютер подключен к сети?");
    add("IP: " + system.hostAddress());
    add("MAC: " + system.adapterAddress());
    checkpoint("IP и MAC");
}

void SystemSection::serialPorts() {
    add(" ");
    add("COM: ");
    auto key =
        run_.platform().registry.readKey(kLM, "hardware\\devicemap\\serialcomm", RegistryView::Default);
    if (!key)
        return;
    for (const RegistryValue& v : key->values)
        if (v.type == kRegSz || v.type == kRegExpandSz)
            add("    " + registryStringOf(v.data));
}

void SystemSection::shellFolders() {
    EventLog& events = run_.eventLog();
    log(" ");
    events.setColor(LogColor::Blue);
    log("Каталоги: ");
    log("Системные каталоги ---> \"Paths.txt\"");
    list_.clear();
    auto key = run_.platform().registry.readKey(
        RegistryRoot::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
        RegistryView::Default);
    if (!key) {
        log("[Каталоги][Получить информацию из реестра не удалось] - ERegistryException ошибка, с "
            "сообщением: "
            "раздел Shell Folders не открывается");
    } else {
        for (const RegistryValue& v : key->values)
            list_.append(
                "    " + v.name + " = " +
                ((v.type == kRegSz || v.type == kRegExpandSz) ? registryStringOf(v.data) : std::string()));
    }
    if (!run_.platform().files.writeFile(run_.folders().workPath("Paths.txt"), utf8ToAnsi(list_.text())))
        log("[!!] Не удалось записать файл Paths.txt");
    checkpoint("Каталоги");
    checkpoint("КОНЕЦ. Информация о системе");
}

} // namespace kw
