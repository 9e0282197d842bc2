// The declarations a product section is made of: its topic in the run, its procedure, and rows of what to
// capture, list or export, by folder letter and work-folder name. ProductSection walks the rows; the
// conformance test reads them.
#pragma once
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/FileCapture.h"
#include "core/StepTable.h"
#include "platform/Registry.h"
#include "settings/OptionSet.h"

namespace kw {

class ProductSection;
struct LogFamily;

// The folder values a section works from. The letters of the registered folders are read once per
// section; the install folder, libraries and system folders are the section's own.
enum class Folder : unsigned char {
    None,
    Install,      // the product's install folder, with its trailing backslash
    Libraries,    // install folder + "Libs", or what the product's INI names
    System,       // install folder + "Sys", or what the product's INI names
    Common,       // C: "CommonPath" of the PLM product
    Program,      // P: "Path" of the PLM product, with its trailing backslash
    AllUsersData, // A: CSIDL_COMMON_APPDATA
    UserData,     // U: CSIDL_APPDATA
    Temp,         // T: GetTempPath, with its trailing backslash
    CommonFiles,  // F: "CommonFilesDir" of the Windows key
    MasterCache,  // "CODPath" of the suite's "Complex" key
    SharedFiles,  // CF: CSIDL_PROGRAM_FILES_COMMON
    Windows,      // CSIDL_WINDOWS
    Work,         // the work folder, with its trailing backslash
    ProductFile,  // a file path the product registers as a whole (its INI)
    Count
};

enum class Capture : unsigned char {
    ByPath,      // folder + "\" + file into prefix + file (CaptureFile)
    ByFolder,    // folder + sub + file into "(" + tag + ")" + file (CaptureRegisteredFile)
    Locked,      // through a temporary copy, for files a service holds open (CaptureLockedFile)
    Unicode,     // a UTF-16 (or UTF-8) text converted to the ANSI code page (CaptureUnicodeFile)
    ExactCopy,   // byte for byte under the file's own name, never over an existing copy
    Permissions, // permission dump of folder + sub (+ "\" + file when given) as "(cmd)(" + tag + ")cacls.txt"
    Inventory,   // file inventory of folder + sub as "(" + tag + ")Files.csv"
    // With the important-files option: the files directly in folder + sub, then the trees of its
    // `parts` appended to the same table; without it, the whole inventory.
    Listing,
    // Copies of the logs matching the mask `file` in the folder, named after their family and `prefix` (the
    // tag), each entered in the family's log table; `logs` says which family.
    Logs,
    // The inventory of the folder an installer package `file` registers ("path" under
    // "\SOFTWARE\TAVIR\Setup"); nothing when it registers none.
    PackageInventory,
    Step, // a procedural step of the section, in its place among the rows
};

struct CaptureRow {
    Capture kind;
    Folder folder = Folder::Install;
    std::string_view sub;           // appended to the folder value as written
    Folder orFolder = Folder::None; // either/or: this folder when the file is not in the first one
    std::string_view orSub;
    std::string_view file;
    std::string_view prefix; // the target's prefix (ByPath, Locked) or tag (the other kinds)
    std::string_view mark;   // ByPath: shown in the log heading and the copy's header only
    Header header = Header::Kept;
    std::optional<Option> gate;              // the row is left out when this option is off
    std::string_view heading;                // a blue heading written (after a line break) before the row
    std::span<const std::string_view> parts; // Listing: the sub-folders appended after the top level
    const LogFamily* logs = nullptr;         // Logs rows
    void (*step)(ProductSection&) = nullptr; // Step rows
    std::string_view produces;               // Step rows: the work-folder file the step writes
};

enum class BranchLine : unsigned char {
    Indented,   // four blanks, "[" + root + "\" + key + "] ---> " + the file in quotes
    Plain,      // the same without the blanks
    Indented64, // four blanks, "(64)", then as Plain
};

struct BranchRow {
    RegistryRoot root = RegistryRoot::LocalMachine;
    std::string_view key;
    std::string_view target;
    RegistryView view = RegistryView::Default;
    BranchLine line = BranchLine::Indented;
};

// Short names for the row tables of the family files, which take them with `using namespace rows;`.
namespace rows {
using C = Capture;
using F = Folder;
using O = Option;
inline constexpr RegistryRoot kLM = RegistryRoot::LocalMachine;
inline constexpr RegistryRoot kCU = RegistryRoot::CurrentUser;
inline constexpr RegistryView k64 = RegistryView::Wow64_64;
} // namespace rows

// The work-folder files a row can write (an inventory also writes its permission dump).
std::vector<std::string> outputsOf(const CaptureRow& row);

// A named row table of a section, for the conformance test.
struct RowTable {
    std::string_view name;
    std::span<const CaptureRow> captures;
    std::span<const BranchRow> branches;
};

// One product section, declared once in its family file: how the run frames it (option, caption, skip
// line, banner), the procedure that collects it, and the row tables that procedure walks.
struct SectionDeclaration {
    Topic topic;
    SectionProcedure collect;
    std::span<const RowTable> tables;
};

} // namespace kw
