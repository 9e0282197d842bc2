// Console tools: output of a command captured into a work-folder file, tools started without the
// interpreter where none is needed, and the registry export tool with its conversion to "(REG)" files.
#pragma once
#include <string>
#include <vector>

#include "core/ConsoleProcesses.h"

namespace kw {

class CollectionRun;

// One argument for a command line, quoted so that the program receives it unchanged: blanks,
// "&", "%", "^" and a trailing backslash included.
std::string quoteArgument(const std::string& text);

class ConsoleCapture {
  public:
    explicit ConsoleCapture(CollectionRun& run) : run_(run) {}

    // Event log logText (when not empty), then the interpreter runs command with its standard output
    // in "(cmd)" + name + ".txt". Not waited for here; the run waits before it completes.
    void StartConsoleCapture(const std::string& logText, const std::string& command, const std::string& name);
    // The same output convention for a command that needs the interpreter, written to any work-folder
    // file name.
    bool startShellCommand(const std::string& command, const std::string& outputName);
    // A program started directly (no interpreter, so nothing in its arguments is interpreted), its
    // standard output in the work-folder file outputName.
    bool startProgram(const std::string& commandLine, const std::string& outputName);

    // A command line that writes its own output file (dxdiag): started hidden, tracked, not redirected.
    bool startDetached(const std::string& commandLine);

    // "reg export" of fullKey into the work folder as name + ".txt"; tracked like every console process.
    void startRegistryExport(const std::string& fullKey, const std::string& name);
    // Waits for the registry exports this object started (instead of a fixed pause).
    void waitForRegistryExports();
    // name + ".txt" converted to "(REG)" + name + ".txt" (the untagged file is removed); false when the
    // tool left no file, with "[-] не удалось обнаружить файл ..." unless the caller reports it itself.
    enum class Missing { Logged, LeftToCaller };
    bool convertRegistryExport(const std::string& name, Missing missing = Missing::Logged);

  private:
    std::shared_ptr<ChildProcess> launch(const std::string& commandLine, const std::string& outputPath);
    CollectionRun& run_;
    std::vector<ConsoleProcesses::Tracked> exports_; // registry exports not yet waited for
};

} // namespace kw
