// The installed-programs tables "programs.csv" and "programs64.csv" from the Uninstall registrations.
#pragma once
#include <string>

#include "platform/Registry.h"

namespace kw {

class CollectionRun;

inline constexpr const char* kProgramsHeader = "Имя\tИздатель\tУстановлено\tВерсия\tИсточник\tРасположение";

// The name column: ParentDisplayName + "_" + DisplayName when a parent is named.
std::string installedProgramName(const std::string& parentDisplayName, const std::string& displayName);

// The table of one registry view; the 64-bit view writes nothing on 32-bit Windows.
void ListInstalledPrograms(CollectionRun& run, RegistryView view);

} // namespace kw
