// Registry branches as registry-export text: into a work-folder file, the system text buffer or the
// event log. Values and subkeys keep the registry's own order.
#pragma once
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace kw {

class CollectionRun;

// "\" doubled, nothing else escaped (double quotes stay as they are).
std::string EscapeBackslashes(const std::string& text);

// The parts of one value line. For binary and the other non-string types the first part is the
// name with "=hex:" (or "=hex(N):"), then each byte, each "," and each "\" that wraps the line.
std::vector<std::string> registryValueParts(const RegistryValue& value);
// The value as it stands in the file: one line, or several for wrapped hex data.
std::vector<std::string> registryValueLines(const RegistryValue& value);

// Where an export goes.
enum class ExportInto {
    File,       // the registry-export text, header included, into the target file (replaced)
    SystemText, // the value lines only, into the system text buffer
    EventLog,   // the value lines only, into the event log
};

class RegistryExporter {
  public:
    explicit RegistryExporter(CollectionRun& run) : run_(run) {}

    // target: a work-folder file name such as "(REG)BIOS.txt"; unused unless the export goes into a file.
    void ExportRegistryBranch(RegistryRoot root, const std::string& keyPath, const std::string& target,
                              ExportInto into = ExportInto::File);
    // The same in the 64-bit view; nothing at all (no file) on 32-bit Windows.
    void ExportRegistryBranch64(RegistryRoot root, const std::string& keyPath, const std::string& target,
                                ExportInto into = ExportInto::File);

    // The export text of a branch, lines without line ends, header included.
    std::vector<std::string> exportText(RegistryRoot root, const std::string& keyPath, RegistryView view);

  private:
    void exportBranch(RegistryRoot root, const std::string& keyPath, const std::string& target,
                      ExportInto into, RegistryView view);
    void exportKey(RegistryRoot root, const std::string& path, RegistryView view, bool fileMode,
                   std::vector<std::string>& out);

    CollectionRun& run_;
};

} // namespace kw
