// The registry branches every support request reads: SMB, Oracle, SQL Server and Office through the
// registry export tool, the rest through the program's own export.
#include "system/SystemRegistryExports.h"

#include "core/CollectionRun.h"
#include "core/ConsoleCapture.h"
#include "core/RegistryExport.h"
#include "core/RegistryReaders.h"

namespace kw {
namespace {

struct ToolExport {
    const char* key;
    const char* name; // the tool's file is name + ".txt", the converted one "(REG)" + name + ".txt"
};

// Started in this order; converted in the order of kToolConversions.
constexpr ToolExport kToolExports[] = {
    {"HKEY_CURRENT_USER\\Software\\Microsoft\\Office", "Office"},
    {"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\lanmanworkstation\\parameters", "SMB2"},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\ORACLE", "ORACLE"},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\MSSQLServer", "MSSQLServer"},
    {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Microsoft SQL Server", "MS_SQL_Server"},
};
constexpr const char* kToolConversions[] = {"SMB2", "Office", "ORACLE", "MSSQLServer", "MS_SQL_Server"};

enum class ExportView { Default, Wide, WideWhenPresent };

struct BranchExport {
    RegistryRoot root;
    const char* key;
    const char* file;
    ExportView view;
    const char* caption;
};

constexpr BranchExport kBranches[] = {
    {RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\.NETFramework\\policy\\Upgrades",
     "(REG)NETFramework.txt", ExportView::Default, ""},
    {RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\NET Framework Setup\\NDP", "(REG)NETFrameworkNDP.txt",
     ExportView::WideWhenPresent, ""},
    {RegistryRoot::LocalMachine, "SOFTWARE\\TAVIR", "(REG)HKLM_TAVIR.txt", ExportView::Default, ""},
    {RegistryRoot::CurrentUser, "SOFTWARE\\TAVIR", "(REG)HKCU_TAVIR.txt", ExportView::Default, ""},
    {RegistryRoot::LocalMachine, "SOFTWARE\\TAVIR", "(REG)(64)HKLM_TAVIR.txt", ExportView::Wide, ""},
    {RegistryRoot::CurrentUser, "SOFTWARE\\TAVIR", "(REG)(64)HKCU_TAVIR.txt", ExportView::Wide, ""},
    {RegistryRoot::LocalMachine, "SOFTWARE\\Policies\\Microsoft\\Windows\\Installer",
     "(REG)Policies_Installer.txt", ExportView::Default, ""},
    {RegistryRoot::LocalMachine, "SOFTWARE\\Policies\\Microsoft\\Windows\\Installer",
     "(REG)(64)Policies_Installer.txt", ExportView::Wide, ""},
    {RegistryRoot::CurrentUser, "Network", "(REG)Network.txt", ExportView::Default, "Сетевые диски: "},
    {RegistryRoot::CurrentUser, "Control Panel\\International", "(REG)International.txt", ExportView::Default,
     "Язык и региональные стандарты: "},
    {RegistryRoot::LocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments",
     "(REG)Print_E.txt", ExportView::Default, "Свойства принтеров: "},
    {RegistryRoot::CurrentUser, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Devices",
     "(REG)Devices.txt", ExportView::Default, "Устройства и принтеры: "},
    {RegistryRoot::LocalMachine, "HARDWARE\\DESCRIPTION\\System\\BIOS", "(REG)BIOS.txt", ExportView::Default,
     "BIOS: "},
    {RegistryRoot::LocalMachine, "SYSTEM\\CurrentControlSet\\Services\\lanmanworkstation\\parameters",
     "(REG)SMB22.txt", ExportView::Default, "Проверка настройки SMB 2.0: "},
};

} // namespace

void ExportSystemRegistryBranches(CollectionRun& run) {
    ConsoleCapture tool(run);
    for (const ToolExport& e : kToolExports)
        tool.startRegistryExport(e.key, e.name);
    // The tool's files are complete only when it has ended: wait for it rather than for a fixed time.
    tool.waitForRegistryExports();
    for (const char* name : kToolConversions) {
        if (std::string(name) == "Office" && !run.options().get(Option::MsOffice))
            continue;
        tool.convertRegistryExport(name);
    }

    EventLog& log = run.eventLog();
    log.setColor(LogColor::Blue);
    log.append("\rПолучаем данные из реестра: ");
    RegistryExporter exporter(run);
    bool wide = RegistryReader(run).IsWow64();
    for (const BranchExport& b : kBranches) {
        if (b.view == ExportView::Wide || (b.view == ExportView::WideWhenPresent && wide))
            exporter.ExportRegistryBranch64(b.root, b.key, b.file);
        else
            exporter.ExportRegistryBranch(b.root, b.key, b.file);
        log.append(std::string(b.caption) + "[" + registryRootName(b.root) + "\\" + b.key + "] ---> \"" +
                   b.file + "\"");
    }

    log.setColor(LogColor::Green);
    log.append("Для отключения SMB 2.0 параметры должны соответствовать:"
               "\r     \"DirectoryCacheLifetime\"=dword:00000000"
               "\r     \"FileNotFoundCacheLifetime\"=dword:00000000"
               "\r     \"FileInfoCacheLifetime\"=dword:00000000");
}

} // namespace kw
