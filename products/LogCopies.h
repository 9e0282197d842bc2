// The products' own logs copied as they are, each entered in a table of what was copied: the CAPP
// product's csv logs and the document-management product's logs, and the table rows they share with the
// suite's installation logs.
#pragma once
#include <string>
#include <string_view>

#include "settings/OptionSet.h"

namespace kw {

class ProductSection;

// What differs between the families that copy their logs this way.
struct LogFamily {
    Option gate;                 // nothing is copied with this option off
    std::string_view name;       // "Tessarin": the copies are "(" + name + ")" + tag + file
    std::string_view table;      // the work-folder table of the copies
    std::string_view searchLine; // debug: written before the search, followed by folder + " | " + mask
    std::string_view fileLine;   // debug: written for each file found, followed by folder + " | " + file
};

extern const LogFamily kTessarinLogs;
extern const LogFamily kFerryLogs;

inline constexpr const char* kLogTableHeader = "Имя файла:\tБайт:\tДата:\tПуть:\t \t ";

// Copies every file matching mask (not folders) in folder, never over an existing copy.
void CopyLogFiles(ProductSection& section, const LogFamily& family, const std::string& folder,
                  const std::string& tag, const std::string& mask);

// The table row of a copy in the work folder: its name, size and date, and the folder it came from.
std::string logTableRow(ProductSection& section, const std::string& copyName,
                        const std::string& sourceFolder);

// A file name against a mask of "*" and "?", without regard to letter case, as the file system compares.
bool matchesMask(std::string_view name, std::string_view mask);

} // namespace kw
