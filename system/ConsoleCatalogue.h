// The console tools whose output the system section keeps, as a table, and the walk that starts them.
#pragma once
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "core/EventLog.h"
#include "settings/OptionSet.h"

namespace kw {

enum class CommandLog {
    BeforeStart,
    AfterStart,
    None,
    AheadOfPrevious, // before the previous row's line; then both start in order
};

enum class Launch {
    Cmd,   // "cmd /c " + command + " > " + the file, hidden
    Shell, // the command as a program through the shell, the file as its parameter
};

struct ConsoleCommand {
    std::optional<Option> gate; // started only with this option on
    const char* command;        // "{user}" stands for the user's name
    const char* outputFile;     // in the work folder
    CommandLog log = CommandLog::BeforeStart;
    Launch launch = Launch::Cmd;
};

std::span<const ConsoleCommand> consoleCatalogue();

struct ConsoleCommandStarter {
    // "cmd /c " + command + " > " + the work-folder file, hidden, not waited for.
    std::function<void(const std::string& command, const std::string& outputFile)> startCapture;
    // A program through the shell with a normal window; the parameter names the work-folder file.
    std::function<void(const std::string& program, const std::string& outputFile)> startProgram;
};

// The command text of a row with the user's name put in.
std::string consoleCommandText(const ConsoleCommand& row, const std::string& userName);

// Logs the heading and starts every row whose gate is open, in the table's order.
void RunConsoleCommands(const OptionSet& options, EventLog& log, const std::string& userName,
                        const ConsoleCommandStarter& starter);

} // namespace kw
