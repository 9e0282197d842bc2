// The console catalogue: which tools run, into which file, and the line each writes to the event log.
#include "system/ConsoleCatalogue.h"

namespace kw {

const std::vector<ConsoleCommand>& consoleCatalogue() {
    using enum CommandLog;
    static const std::vector<ConsoleCommand> rows = {
        {Option::MsInfo32, "msinfo32", "MSinfo32.nfo", BeforeStart, false, true},
        {{}, "systeminfo", "(cmd)systeminfo.txt", BeforeStart, false, false},
        {{}, "ipconfig /all", "(cmd)ipconfig_all.txt", BeforeStart, false, false},
        {{}, "TaskList /V /FO table", "(cmd)tasklist.txt", BeforeStart, false, false},
        {{}, "set", "(cmd)set.txt", BeforeStart, false, false},
        {Option::NetStat, "netstat -a -b -n -o", "(cmd)netstat.txt", BeforeStart, false, false},
        {{}, "SC QUERY", "(cmd)sc_query.txt", BeforeStart, false, false},
        {{},
         "SC QUERY state= all |findstr \"DISPLAY_NAME STATE\"",
         "(cmd)sc_query_all.txt",
         BeforeStart,
         true,
         false},
        {{}, "net share", "(cmd)net_share.txt", BeforeStart, false, false},
        {{}, "MakeCab /?", "(cmd)MakeCab.txt", None, false, false},
        {{}, "net view", "(cmd)net_view.txt", BeforeStart, false, false},
        {{}, "net start", "(cmd)net_start.txt", BeforeStart, false, false},
        {{}, "net use", "(cmd)net_use.txt", BeforeStart, false, false},
        {{}, "net localgroup", "(cmd)net_localgroup.txt", BeforeStart, false, false},
        {{}, "net localgroup /domain", "(cmd)net_localgroup_d.txt", BeforeStart, false, false},
        {{}, "Net LocalGroup Администраторы", "(cmd)net_localgroup_a.txt", BeforeStart, false, false},
        {{}, "Net LocalGroup Administrators", "(cmd)net_localgroup_as.txt", BeforeStart, false, false},
        {{}, "NET USER", "(cmd)Net_User.txt", AfterStart, false, false},
        {{}, "NET USER \"{user}\" /DOMAIN", "(cmd)Net_User_d.txt", AfterStart, false, false},
        {{}, "NET USER \"{user}\"", "(cmd)Net_User_.txt", AfterStart, false, false},
        {{}, "Net Accounts", "(cmd)Net_Accounts.txt", BeforeStart, false, false},
        {{}, "Net Statistics Workstation", "(cmd)Net_Statistics_Workstation.txt", BeforeStart, false, false},
        {{}, "Net Statistics Server", "(cmd)Net_Statistics_Server.txt", BeforeStart, false, false},
        {{}, "sqlcmd /L", "(cmd)sqlcmd.txt", BeforeStart, false, false},
    };
    return rows;
}

std::string consoleCommandText(const ConsoleCommand& row, const std::string& userName) {
    std::string text = row.command;
    const std::string placeholder = "{user}";
    if (auto at = text.find(placeholder); at != std::string::npos)
        text.replace(at, placeholder.size(), userName);
    return text;
}

namespace {

std::string logLineOf(const ConsoleCommand& row, const std::string& command) {
    if (row.throughShell)
        return "MSinfo32 /nfo " + std::string(row.outputFile);
    return command + " > " + row.outputFile;
}

class CatalogueWalk {
  public:
    CatalogueWalk(EventLog& log, const std::string& userName, const ConsoleCommandStarter& starter)
        : log_(log), userName_(userName), starter_(starter) {}

    void log(const ConsoleCommand& row) { log_.append(logLineOf(row, consoleCommandText(row, userName_))); }

    void start(const ConsoleCommand& row) {
        if (row.throughShell)
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
    const std::vector<ConsoleCommand>& rows = consoleCatalogue();
    auto open = [&](const ConsoleCommand& row) { return !row.gate || options.get(*row.gate); };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ConsoleCommand& row = rows[i];
        if (!open(row))
            continue;
        const ConsoleCommand* next =
            i + 1 < rows.size() && rows[i + 1].loggedAheadOfPrevious ? &rows[i + 1] : nullptr;
        if (next && open(*next)) {
            walk.log(*next);
            if (row.log == CommandLog::BeforeStart)
                walk.log(row);
            walk.start(row);
            walk.start(*next);
            ++i;
            continue;
        }
        if (row.log == CommandLog::BeforeStart)
            walk.log(row);
        walk.start(row);
    }
}

} // namespace kw
