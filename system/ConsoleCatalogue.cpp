// The console catalogue: which tools run, into which file, and the line each writes to the event log.
#include "system/ConsoleCatalogue.h"

namespace kw {

namespace {

using enum CommandLog;

constexpr ConsoleCommand kCatalogue[] = {
    {.gate = Option::MsInfo32, .command = "msinfo32", .outputFile = "MSinfo32.nfo", .launch = Launch::Shell},
    {.command = "systeminfo", .outputFile = "(cmd)systeminfo.txt"},
    {.command = "ipconfig /all", .outputFile = "(cmd)ipconfig_all.txt"},
    {.command = "TaskList /V /FO table", .outputFile = "(cmd)tasklist.txt"},
    {.command = "set", .outputFile = "(cmd)set.txt"},
    {.gate = Option::NetStat, .command = "netstat -a -b -n -o", .outputFile = "(cmd)netstat.txt"},
    {.command = "SC QUERY", .outputFile = "(cmd)sc_query.txt"},
    {.command = "SC QUERY state= all |findstr \"DISPLAY_NAME STATE\"",
     .outputFile = "(cmd)sc_query_all.txt",
     .log = AheadOfPrevious},
    {.command = "net share", .outputFile = "(cmd)net_share.txt"},
    {.command = "MakeCab /?", .outputFile = "(cmd)MakeCab.txt", .log = None},
    {.command = "net view", .outputFile = "(cmd)net_view.txt"},
    {.command = "net start", .outputFile = "(cmd)net_start.txt"},
    {.command = "net use", .outputFile = "(cmd)net_use.txt"},
    {.command = "net localgroup", .outputFile = "(cmd)net_localgroup.txt"},
    {.command = "net localgroup /domain", .outputFile = "(cmd)net_localgroup_d.txt"},
    {.command = "Net LocalGroup Администраторы", .outputFile = "(cmd)net_localgroup_a.txt"},
    {.command = "Net LocalGroup Administrators", .outputFile = "(cmd)net_localgroup_as.txt"},
    {.command = "NET USER", .outputFile = "(cmd)Net_User.txt", .log = AfterStart},
    {.command = "NET USER \"{user}\" /DOMAIN", .outputFile = "(cmd)Net_User_d.txt", .log = AfterStart},
    {.command = "NET USER \"{user}\"", .outputFile = "(cmd)Net_User_.txt", .log = AfterStart},
    {.command = "Net Accounts", .outputFile = "(cmd)Net_Accounts.txt"},
    {.command = "Net Statistics Workstation", .outputFile = "(cmd)Net_Statistics_Workstation.txt"},
    {.command = "Net Statistics Server", .outputFile = "(cmd)Net_Statistics_Server.txt"},
    {.command = "sqlcmd /L", .outputFile = "(cmd)sqlcmd.txt"},
};

} // namespace

std::span<const ConsoleCommand> consoleCatalogue() {
    return kCatalogue;
}

std::string consoleCommandText(const ConsoleCommand& row, const std::string& userName) {
    std::string text = row.command;
    const std::string placeholder = "{user}";
    if (auto at = text.find(placeholder); at != std::string::npos)
        text.replace(at, placeholder.size(), userName);
    return text;
}

namespace {

// A row that logs ahead of its previous one logs before its start when that one is not started.
bool logsBeforeStart(const ConsoleCommand& row) {
    return row.log == CommandLog::BeforeStart || row.log == CommandLog::AheadOfPrevious;
}

std::string logLineOf(const ConsoleCommand& row, const std::string& command) {
    if (row.launch == Launch::Shell)
        return "MSinfo32 /nfo " + std::string(row.outputFile);
    return command + " > " + row.outputFile;
}

class CatalogueWalk {
  public:
    CatalogueWalk(EventLog& log, const std::string& userName, const ConsoleCommandStarter& starter)
        : log_(log), userName_(userName), starter_(starter) {}

    void log(const ConsoleCommand& row) { log_.append(logLineOf(row, consoleCommandText(row, userName_))); }

    void start(const ConsoleCommand& row) {
        if (row.launch == Launch::Shell)
            starter_.startProgram(row.command, row.outputFile);
        else
            starter_.startCapture(consoleCommandText(row, userName_), row.outputFile);
        if (row.log == CommandLog::AfterStart)
            log(row);
    }

  private:
    EventLog& log_;
    const std::string& userName_;
    const ConsoleCommandStarter& starter_;
};

} // namespace

void RunConsoleCommands(const OptionSet& options, EventLog& log, const std::string& userName,
                        const ConsoleCommandStarter& starter) {
    log.setColor(LogColor::Blue);
    log.append("\rКоманды консоли - cmd:");
    CatalogueWalk walk(log, userName, starter);
    std::span<const ConsoleCommand> rows = consoleCatalogue();
    auto open = [&](const ConsoleCommand& row) { return !row.gate || options.get(*row.gate); };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ConsoleCommand& row = rows[i];
        if (!open(row))
            continue;
        const ConsoleCommand* next =
            i + 1 < rows.size() && rows[i + 1].log == CommandLog::AheadOfPrevious ? &rows[i + 1] : nullptr;
        if (next && open(*next)) {
            walk.log(*next);
            if (logsBeforeStart(row))
                walk.log(row);
            walk.start(row);
            walk.start(*next);
            ++i;
            continue;
        }
        if (logsBeforeStart(row))
            walk.log(row);
        walk.start(row);
    }
}

} // namespace kw
