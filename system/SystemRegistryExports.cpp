// The registry branches every support request reads: SMB, Oracle, SQL Server and Office through the
// registry export tool, the rest through the program's own export.
#include "system/SystemRegistryExports.h"

#include <optional>

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
    {.key = "HKEY_CURRENT_USER\\Software\\Microsoft\\Office", .name = "Office"},
    {.key = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\lanmanworkstation\\parameters",
     .name = "SMB2"},
    {.key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\ORACLE", .name = "ORACLE"},
    {.key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\MSSQLServer", .name = "MSSQLServer"},
    {.key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Microsoft SQL Server", .name = "MS_SQL_Server"},
};

struct ToolConversion {
    const char* name;
    std::optional<Option> gate; // converted only with this option on
};
constexpr ToolConversion kToolConversions[] = {
    {.name = "SMB2"},          {.name = "Office", .gate = Option::MsOffice},
    {.name = "ORACLE"},        {.name = "MSSQLServer"},
    {.name = "MS_SQL_Server"},
};

enum class ExportView { Default, Wide, WideWhenPresent };

struct BranchExport {
    RegistryRoot root = RegistryRoot::LocalMachine;
    const char* key;
    const char* file;
    ExportView view = ExportView::Default;
    const char* caption = ""; // before the line that names the branch and its file
};

constexpr RegistryRoot kCU = RegistryRoot::CurrentUser;

constexpr BranchExport kBranches[] = {
    {.key = "SOFTWARE\\Microsoft\\.NETFramework\\policy\\Upgrades", .file = "(REG)NETFramework.txt"},
    {.key = "SOFTWARE\\Microsoft\\NET Framework Setup\\NDP",
     .file = "(REG)NETFrameworkNDP.txt",
     .view = ExportView::WideWhenPresent},
    {.key = "SOFTWARE\\TAVIR", .file = "(REG)HKLM_TAVIR.txt"},
    {.root = kCU, .key = "SOFTWARE\\TAVIR", .file = "(REG)HKCU_TAVIR.txt"},
    {.key = "SOFTWARE\\TAVIR", .file = "(REG)(64)HKLM_TAVIR.txt", .view = ExportView::Wide},
    {.root = kCU, .key = "SOFTWARE\\TAVIR", .file = "(REG)(64)HKCU_TAVIR.txt", .view = ExportView::Wide},
    {.key = "SOFTWARE\\Policies\\Microsoft\\Windows\\Installer", .file = "(REG)Policies_Installer.txt"},
    {.key = "SOFTWARE\\Policies\\Microsoft\\Windows\\Installer",
     .file = "(REG)(64)Policies_Installer.txt",
     .view = ExportView::Wide},
    {.root = kCU, .key = "Network", .file = "(REG)Network.txt", .caption = "Сетевые диски: "},
    {.root = kCU,
     .key = "Control Panel\\International",
     .file = "(REG)International.txt",
     .caption = "Язык и региональные стандарты: "},
    {.key = "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments",
     .file = "(REG)Print_E.txt",
     .caption = "Свойства принтеров: "},
    {.root = kCU,
     .key = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Devices",
     .file = "(REG)Devices.txt",
     .caption = "Устройства и принтеры: "},
    {.key = "HARDWARE\\DESCRIPTION\\System\\BIOS", .file = "(REG)BIOS.txt", .caption = "BIOS: "},
    {.key = "SYSTEM\\CurrentControlSet\\Services\\lanmanworkstation\\parameters",
     .file = "(REG)SMB22.txt",
     .caption = "Проверка настройки SMB 2.0: "},
};

} // namespace

void ExportSystemRegistryBranches(CollectionRun& run) {
    ConsoleCapture tool(run);
    for (const ToolExport& e : kToolExports)
        tool.startRegistryExport(e.key, e.name);
    // The tool's files are complete only when it has ended: wait for it rather than for a fixed time.
    tool.waitForRegistryExports();
    for (const ToolConversion& c : kToolConversions)
        if (!c.gate || run.options().get(*c.gate))
            tool.convertRegistryExport(c.name);

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

std::vector<std::string> systemRegistryExportFiles() {
    std::vector<std::string> files;
    for (const ToolConversion& c : kToolConversions)
        files.push_back("(REG)" + std::string(c.name) + ".txt");
    for (const BranchExport& b : kBranches)
        files.push_back(b.file);
    return files;
}

} // namespace kw
