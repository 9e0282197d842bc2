// The console catalogue walk: order, gates, log lines and the user's name in quotes.
#include "system/ConsoleCatalogue.h"

#include <gtest/gtest.h>

namespace kw {
namespace {

struct Recorder {
    std::vector<std::string> events;
    EventLog log;
    ConsoleCommandStarter starter{[this](const std::string& command, const std::string& file) {
                                      events.push_back("cmd " + command + " > " + file);
                                  },
                                  [this](const std::string& program, const std::string& file) {
                                      events.push_back("shell " + program + " " + file);
                                  }};
};

std::vector<std::string> run(OptionSet& options, Recorder& r, const std::string& user) {
    r.log.onChange([&] { r.events.push_back("log " + r.log.texts().back()); });
    RunConsoleCommands(options, r.log, user, r.starter);
    return r.events;
}

TEST(ConsoleCatalogue, DefaultOptionsStartTwentyThreeCommands) {
    OptionSet options;
    options.set(Option::MsInfo32, false);
    options.set(Option::NetStat, true);
    Recorder r;
    std::vector<std::string> events = run(options, r, "Ivan Petrov");
    long starts = std::count_if(events.begin(), events.end(),
                                [](const std::string& e) { return e.rfind("cmd ", 0) == 0; });
    EXPECT_EQ(starts, 23);
    EXPECT_EQ(events.front(), "log Команды консоли - cmd:");
    EXPECT_EQ(std::count(events.begin(), events.end(), "shell msinfo32 MSinfo32.nfo"), 0);
    EXPECT_EQ(r.log.lines().back().color, LogColor::Blue);
}

TEST(ConsoleCatalogue, ServiceRowsLogInSwappedOrderAndUserRowsLogAfterStart) {
    OptionSet options;
    options.set(Option::MsInfo32, true);
    options.set(Option::NetStat, false);
    Recorder r;
    std::vector<std::string> e = run(options, r, "Ivan Petrov");
    auto at = [&](const std::string& s) { return std::find(e.begin(), e.end(), s) - e.begin(); };
    const std::string all = "SC QUERY state= all |findstr \"DISPLAY_NAME STATE\"";
    EXPECT_EQ(at("log MSinfo32 /nfo MSinfo32.nfo") + 1, at("shell msinfo32 MSinfo32.nfo"));
    EXPECT_EQ(at("log " + all + " > (cmd)sc_query_all.txt") + 1, at("log SC QUERY > (cmd)sc_query.txt"));
    EXPECT_EQ(at("log SC QUERY > (cmd)sc_query.txt") + 1, at("cmd SC QUERY > (cmd)sc_query.txt"));
    EXPECT_EQ(at("cmd SC QUERY > (cmd)sc_query.txt") + 1, at("cmd " + all + " > (cmd)sc_query_all.txt"));
    EXPECT_EQ(at("cmd NET USER \"Ivan Petrov\" /DOMAIN > (cmd)Net_User_d.txt") + 1,
              at("log NET USER \"Ivan Petrov\" /DOMAIN > (cmd)Net_User_d.txt"));
    EXPECT_EQ(at("cmd NET USER \"Ivan Petrov\" > (cmd)Net_User_.txt") + 1,
              at("log NET USER \"Ivan Petrov\" > (cmd)Net_User_.txt"));
    EXPECT_LT(at("cmd MakeCab /? > (cmd)MakeCab.txt"), static_cast<long>(e.size()));
    EXPECT_EQ(
        std::count_if(e.begin(), e.end(), [](const std::string& s) { return s.find("MakeCab") != s.npos; }),
        1);
    EXPECT_EQ(
        std::count_if(e.begin(), e.end(), [](const std::string& s) { return s.find("netstat") != s.npos; }),
        0);
}

} // namespace
} // namespace kw
