// Installed programs: one row per Uninstall registration with a name, in the registry's order.
#include "system/InstalledPrograms.h"

#include <array>
#include <optional>

#include "core/CollectionRun.h"
#include "platform/Text.h"

namespace kw {
namespace {

constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The values of a row in column order; the name column is made from the first two.
constexpr std::array<const char*, 7> kValueNames = {"ParentDisplayName", "DisplayName",    "Publisher",
                                                    "InstallDate",       "DisplayVersion", "InstallSource",
                                                    "InstallLocation"};

// The seven values as text; nothing when one of them is not a string.
std::optional<std::array<std::string, 7>> registrationValues(const RegistryKeyContents& key) {
    std::array<std::string, 7> texts;
    for (std::size_t i = 0; i < kValueNames.size(); ++i) {
        for (const RegistryValue& v : key.values) {
            if (!sameTextIgnoringCase(v.name, kValueNames[i]))
                continue;
            if (v.type != kRegSz && v.type != kRegExpandSz)
                return std::nullopt;
            texts[i] = registryStringOf(v.data);
            break;
        }
    }
    return texts;
}

} // namespace

std::string installedProgramName(const std::string& parentDisplayName, const std::string& displayName) {
    return parentDisplayName.empty() ? displayName : parentDisplayName + "_" + displayName;
}

void ListInstalledPrograms(CollectionRun& run, RegistryView view) {
    Registry& registry = run.platform().registry;
    bool wide = view == RegistryView::Wow64_64;
    if (wide && !registry.isWow64())
        return;
    const char* file = wide ? "programs64.csv" : "programs.csv";

    // Read-only in both views: a user without administrator rights still gets the list.
    std::optional<RegistryKeyContents> uninstall =
        registry.readKey(RegistryRoot::LocalMachine, kUninstallKey, view);
    if (!uninstall) {
        // No table at all rather than another view's rows under this view's name.
        run.eventLog().append(std::string("[!!] Не удалось открыть раздел реестра HKEY_LOCAL_MACHINE\\") +
                              kUninstallKey + ", файл " + file + " не записан");
        return;
    }

    TextBuffer& buffer = run.captureBuffer();
    buffer.clear();
    buffer.append(kProgramsHeader);
    for (const std::string& subkey : uninstall->subkeys) {
        std::optional<RegistryKeyContents> key =
            registry.readKey(RegistryRoot::LocalMachine, std::string(kUninstallKey) + "\\" + subkey, view);
        std::optional<std::array<std::string, 7>> v = key ? registrationValues(*key) : std::nullopt;
        if (!v) {
            run.eventLog().append("Ошибка при извлечении данных о программе");
            continue;
        }
        std::string name = installedProgramName((*v)[0], (*v)[1]);
        if (name.empty())
            continue;
        buffer.append(name + "\t" + (*v)[2] + "\t" + (*v)[3] + "\t" + (*v)[4] + "\t" + (*v)[5] + "\t" +
                      (*v)[6]);
    }
    if (!run.platform().files.writeFile(run.folders().workPath(file), utf8ToAnsi(buffer.text())))
        run.eventLog().append(std::string("[!!] Не удалось записать файл ") + file);
}

} // namespace kw
