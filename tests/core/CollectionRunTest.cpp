#include "core/CollectionRun.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/Text.h"
#include "products/CadFamily.h"
#include "products/CatalogueFamily.h"
#include "products/PlmFamily.h"
#include "products/ProductSections.h"
#include "system/SystemSections.h"
#include "tests/TempFolder.h"
#include "tests/core/FakeProcesses.h"
#include "tests/core/FakeSystem.h"

namespace kw {
namespace {

struct RecordingObserver : RunObserver {
    std::vector<int> progress;
    std::vector<std::string> captions, topics;
    int autoSaves = 0, idleLayouts = 0, runningLayouts = 0, refreshes = 0;
    void progressChanged(int v) override { progress.push_back(v); }
    void progressCaptionChanged(const std::string& t) override { captions.push_back(t); }
    void topicChanged(const std::string& t) override { topics.push_back(t); }
    void runningLayout() override { ++runningLayouts; }
    void idleLayout() override { ++idleLayouts; }
    void refreshCurrentNode() override { ++refreshes; }
    void autoSave() override { ++autoSaves; }
};

class CollectionRunTest : public testing::Test {
  protected:
    test::FakeSystem clock;
    test::RecordingProcesses processes;
    OptionSet options;
    Settings settings;
    CollectionRun run{{windowsFileSystem(), clock, windowsDesktop(), processes}, options, settings};
    RecordingObserver observer;

    void SetUp() override {
        run.setObserver(&observer);
        registerSystemSections(run);
        registerProductSections(run);
    }

    void allCollectionOptionsOff() {
        options.set(Option::SelectAll, true);
        options.set(Option::SelectAll, false);
    }

    std::string temp() { return test::tempDir(); }
    // Durations and times of day in the locale's long time format (H:mm:ss on Windows, HH:mm:ss under Wine).
    std::string clockText(int h, int m, int sec) {
        LocalTime t;
        t.hour = h, t.minute = m, t.second = sec;
        return clock.longTime(t);
    }
    std::string zero() { return clockText(0, 0, 0); }
    std::string at(const char* name) { return run.folders().workPath(name); }
    std::string stars(const std::string& topic) {
        return "********************* " + topic + " *********************";
    }
};

TEST_F(CollectionRunTest, RunWithEveryOptionOffWritesOnlyTheFixedLines) {
    allCollectionOptionsOff();
    // The units step has no option: it would report the demo machine's units product here.
    run.replaceSection(CollectUnits, [] {});
    run.captureBuffer().setLines({"the last capture"}); // stays shown: no capture replaced it
    run.ToolButton30Click();
    EXPECT_EQ(run.captureBuffer().lines(), std::vector<std::string>{"the last capture"});

    std::string when = clock.shortDate(clock.time) + " - " + clockText(10, 0, 0);
    std::vector<std::string> expected = {
        "",
        "создан временный каталог: " + temp() + "KW_Temp",
        " ",
        stars("Начало сбора информации " + when),
        "KW_Scan! V19.11.01k (01.11.2019) [" + windowsFileSystem().programPath() + "]",
        " ",
        stars("Системная информация:"),
        "[X] Не могу собрать \"Информацию о системе\", не активна настройка",
        "[X] Не могу собрать \"COD\", не активна настройка",
        "[X] Не могу собрать \"TAVIR Shared\", не активна настройка",
        "[X] Журналы установки КОМПЛЕКСа",
        "[X] ПЕЛТРАН",
        "[X] МИРТАЛ-3D MCAD/AEC",
        "[X] МИРТАЛ-3D Home",
        "[X] МИРТАЛ-3D Viewer",
        "[X] МОРВАНТАЙД",
        "[X] САПР ТП ТЕССАРИН",
        "[X] Справочник технолога",
        "[X] Стандартные Изделия",
        "[X] Rudazizod o Ridaduvodu",
        "[X] Нормирование материалов",
        "[X] Нормирование трудозатрат",
        "[X] ПЕЛТРАН:КБ",
        "[X] Ferry-OAK",
        "[X] ПЕЛТРАН:ПГС и ПЕЛТРАН:ОРД",
        "[X] КВАДРИКС:MDM",
        "",
        "Сокращения:",
        "     \"--->\" - информация или файл скопированы во временный каталог утилиты с указанным именем",
        "     \"[-]\" - файл или продукт не найден",
        "     \"[X]\" - по продукту настройка не активна, данные не собраны.",
        " ",
        stars("Сбор информации завершен " + when),
        "  ",
        " ",
        "--- Создаем KW_scan.ini: " + temp() + "\\KW_Temp\\KW_scan.ini---",
        "  ",
    };
    EXPECT_EQ(run.eventLog().texts(), expected);

    std::vector<std::string> timing = {
        stars("Начало сбора информации " + when + " | Тип: \"По настройкам \" "),
        "Единицы измерения - " + zero(),
        stars("Сбор информации завершен " + when + " |  Выполнен за: (" + clockText(10, 0, 0) + " - " +
              clockText(10, 0, 0) + ") = " + zero()),
        " ",
    };
    EXPECT_EQ(run.timingLog().lines(), timing);

    // Both logs are on disk, in the ANSI code page, and the settings copy marks the folder as used.
    EXPECT_EQ(test::readFileBytes(at(kTimingLogFile)), utf8ToAnsi(run.timingLog().text()));
    EXPECT_TRUE(test::fileExists(at(kEventLogFile)));
    EXPECT_TRUE(test::fileExists(at(kSettingsFileName)));
    EXPECT_EQ(observer.runningLayouts, 1);
    EXPECT_EQ(observer.refreshes, 1);
    EXPECT_TRUE(run.stopFlag());
    EXPECT_FALSE(run.running());
}

TEST_F(CollectionRunTest, ColoursAndAlternatingBoldFollowTheLineForms) {
    allCollectionOptionsOff();
    run.ToolButton30Click();
    auto lines = run.eventLog().lines();
    auto find = [&](const std::string& prefix) {
        for (const auto& l : lines)
            if (l.text.starts_with(prefix))
                return l;
        ADD_FAILURE() << prefix;
        return LogLine{};
    };
    LogLine start = find(stars("Начало").substr(0, 30));
    LogLine system = find(stars("Системная информация:"));
    LogLine skip = find("[X] ПЕЛТРАН");
    LogLine legend = find("Сокращения:");
    EXPECT_EQ(start.color, LogColor::Blue);
    EXPECT_TRUE(start.bold);
    EXPECT_EQ(system.color, LogColor::Blue);
    EXPECT_FALSE(system.bold);
    EXPECT_EQ(skip.color, LogColor::Black);
    EXPECT_EQ(legend.color, LogColor::Green);
}

TEST_F(CollectionRunTest, PercentageGoesByFoursTo72ThenFullThenZero) {
    run.ToolButton30Click();
    std::vector<int> expected;
    for (int v = 0; v <= 72; v += 4)
        expected.push_back(v);
    expected.push_back(100);
    expected.push_back(0);
    EXPECT_EQ(observer.progress, expected);
    EXPECT_EQ(run.progress(), 0);
}

TEST_F(CollectionRunTest, StopInsideAProductSkipsTheRestAndWritesNoDurationForIt) {
    options.set(Option::AutoSave, true);
    int laterSections = 0;
    run.replaceSection(ToolButton17Click, [&] {
        clock.advanceSeconds(5);
        run.requestStop();
        run.processMessages();
        run.eventLog().append("PLM finishes its own work");
    });
    run.replaceSection(ToolButton2Click, [&] { ++laterSections; });
    run.replaceSection(CollectUnits, [&] { ++laterSections; });
    run.ToolButton30Click();

    auto log = run.eventLog().texts();
    auto has = [&](const std::string& s) { return std::find(log.begin(), log.end(), s) != log.end(); };
    EXPECT_TRUE(has(stars("СТОП " + clock.shortDate(clock.time) + " - " + clockText(10, 0, 5))));
    EXPECT_TRUE(has("PLM finishes its own work"));
    EXPECT_FALSE(has("[X] МИРТАЛ-3D MCAD/AEC"));
    EXPECT_FALSE(has("Сокращения:"));
    EXPECT_EQ(laterSections, 0);

    auto timing = run.timingLog().lines();
    ASSERT_EQ(timing.size(), 6u);
    EXPECT_EQ(timing[1], "Информация о системе - " + zero());
    EXPECT_EQ(timing[2], "COD - " + zero());
    EXPECT_EQ(timing[3], "TAVIR Shared - " + zero());
    EXPECT_EQ(timing[4], stars("СТОП " + clock.shortDate(clock.time) + " - " + clockText(10, 0, 5)));
    EXPECT_EQ(timing[5], " ");
    EXPECT_NE(test::readFileBytes(at(kTimingLogFile)).find(utf8ToAnsi("СТОП")), std::string::npos);

    EXPECT_EQ(run.progressCaption(), "СТОП");
    EXPECT_EQ(observer.autoSaves, 0); // a stopped run is not saved on its own
    EXPECT_TRUE(test::fileExists(at(kSettingsFileName)));
    EXPECT_EQ(observer.progress.back(), 0);
    EXPECT_EQ(*std::max_element(observer.progress.begin(), observer.progress.end()), 100);
}

TEST_F(CollectionRunTest, StopDuringTheSystemSectionStillRunsTheRestOfTheSystemStep) {
    options.set(Option::AutoSave, true);
    int commonData = 0, shared = 0;
    run.replaceSection(CollectSystemSection, [&] {
        run.requestStop();
        run.processMessages();
    });
    run.replaceSection(CollectCommonDataFolder, [&] { ++commonData; });
    run.replaceSection(CollectSharedFolder, [&] { ++shared; });
    run.ToolButton30Click();
    EXPECT_EQ(commonData, 1);
    EXPECT_EQ(shared, 1);
    auto timing = run.timingLog().lines();
    ASSERT_EQ(timing.size(), 4u);
    EXPECT_EQ(timing[1].rfind("********************* СТОП", 0), 0u);
    EXPECT_EQ(timing[3], "Информация о системе - " + zero());
    // The sections that finish the step after Stop leave the caption alone, and nothing is saved.
    EXPECT_EQ(run.progressCaption(), "СТОП");
    EXPECT_EQ(observer.captions.back(), "СТОП");
    EXPECT_TRUE(run.stopped());
    EXPECT_EQ(observer.autoSaves, 0);
}

TEST_F(CollectionRunTest, StopArrivingDuringTheCompletionStepLeavesTheRunFinished) {
    options.set(Option::AutoSave, true);
    allCollectionOptionsOff();
    // The completion step empties the caption: a Stop (or a close) pressed just then.
    struct StopAtCompletion : RecordingObserver {
        CollectionRun* run = nullptr;
        void progressCaptionChanged(const std::string& t) override {
            RecordingObserver::progressCaptionChanged(t);
            if (t == " ")
                run->requestStop();
        }
    } late;
    late.run = &run;
    run.setObserver(&late);
    run.ToolButton30Click();
    auto log = run.eventLog().texts();
    EXPECT_TRUE(
        std::none_of(log.begin(), log.end(), [](const std::string& l) { return l.find("СТОП") != l.npos; }));
    EXPECT_FALSE(run.stopped());
    EXPECT_EQ(late.autoSaves, 1);
}

TEST_F(CollectionRunTest, DurationIsATimeOfDayInTheLocaleFormat) {
    run.replaceSection(ToolButton17Click, [&] { clock.advanceSeconds(75); });
    run.ToolButton30Click();
    auto timing = run.timingLog().lines();
    EXPECT_NE(std::find(timing.begin(), timing.end(), "ПЕЛТРАН - " + clockText(0, 1, 15)), timing.end());
    EXPECT_NE(std::find(timing.begin(), timing.end(), "МИРТАЛ-3D MCAD/AEC - " + zero()), timing.end());
    EXPECT_EQ(timing[timing.size() - 2],
              stars("Сбор информации завершен " + clock.shortDate(clock.time) + " - " + clockText(10, 1, 15) +
                    " |  Выполнен за: (" + clockText(10, 1, 15) + " - " + clockText(10, 0, 0) +
                    ") = " + clockText(0, 1, 15)));
}

TEST_F(CollectionRunTest, ASectionThatThrowsIsLoggedUnderItsCaptionAndTheRunGoesOn) {
    allCollectionOptionsOff();
    options.set(Option::Peltrand, true);
    options.set(Option::Mirtal, true);
    int later = 0;
    run.replaceSection(ToolButton17Click, [] { throw std::runtime_error("нет доступа"); });
    run.replaceSection(ToolButton2Click, [&] { ++later; });
    run.replaceSection(CollectUnits, [] {});
    run.ToolButton30Click();
    auto log = run.eventLog().texts();
    auto has = [&](const std::string& s) { return std::find(log.begin(), log.end(), s) != log.end(); };
    EXPECT_TRUE(has("[!!] [ПЕЛТРАН] - Exception ошибка, с сообщением: нет доступа"));
    EXPECT_TRUE(has("Сокращения:"));
    EXPECT_EQ(later, 1);
    auto timing = run.timingLog().lines();
    EXPECT_NE(std::find(timing.begin(), timing.end(), "ПЕЛТРАН - " + zero()), timing.end());
}

// A run of declared topics alone: each step takes its progress value from its position, and a topic whose
// section frames itself gets neither caption nor duration.
TEST_F(CollectionRunTest, StepsTakeTheirProgressValuesFromTheirPositions) {
    CollectionRun bare{{windowsFileSystem(), clock, windowsDesktop(), processes}, options, settings};
    RecordingObserver seen;
    bare.setObserver(&seen);
    std::vector<int> calledAt;
    bare.addTopic(StepPlace::SystemStep, {.caption = "Сам по себе", .announce = Announce::None},
                  [&] { calledAt.push_back(bare.progress()); });
    bare.addTopic(StepPlace::OwnStep, {.caption = "Первый "}, [&] { calledAt.push_back(bare.progress()); });
    bare.addTopic(StepPlace::OwnStep, {.gate = Option::Debug, .caption = "Второй ", .skipLine = "[X] Второй"},
                  [&] { calledAt.push_back(-1); });
    bare.ToolButton30Click();
    EXPECT_EQ(calledAt, (std::vector<int>{4, 8}));
    EXPECT_EQ(seen.progress, (std::vector<int>{0, 4, 8, 12, 16, 100, 0}));
    EXPECT_EQ(seen.topics.front(), "Первый ");
    auto timing = bare.timingLog().lines();
    ASSERT_EQ(timing.size(), 4u);
    EXPECT_EQ(timing[1], "Первый - " + zero());
    auto log = bare.eventLog().texts();
    EXPECT_NE(std::find(log.begin(), log.end(), "[X] Второй"), log.end());
}

TEST_F(CollectionRunTest, SecondRunFindsTheSettingsCopyAndStartsClean) {
    run.ToolButton30Click();
    test::writeFileBytes(at("(OLD)left-over.txt"), "x");
    run.ToolButton30Click();
    EXPECT_FALSE(test::fileExists(at("(OLD)left-over.txt")));
    auto log = run.eventLog().texts();
    EXPECT_EQ(log[1], "создан временный каталог: " + temp() + "KW_Temp");
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& l) {
                                return l.find("Начало сбора информации") != std::string::npos;
                            }),
              1);
}

TEST_F(CollectionRunTest, PlainFileNamedLikeTheWorkFolderIsRemoved) {
    test::writeFileBytes(temp() + "KW_Temp", "not a folder");
    run.ToolButton30Click();
    EXPECT_TRUE(windowsFileSystem().folderExists(temp() + "KW_Temp"));
    EXPECT_TRUE(test::fileExists(at(kTimingLogFile)));
}

TEST_F(CollectionRunTest, FullVariantAppliesThePresetWithLibrariesAndKeepsIt) {
    allCollectionOptionsOff();
    options.set(Option::ImportantShared, false);
    run.setStartVariant(StartVariant::Full);
    run.ToolButton30Click();
    for (Option o : {Option::SystemInfo, Option::Mirtal, Option::MirtalLibs, Option::Md5, Option::SuiteLogs,
                     Option::Quadrix, Option::CommonData})
        EXPECT_TRUE(options.get(o)) << optionInfo(o).caption;
    EXPECT_FALSE(options.get(Option::Vault));
    EXPECT_EQ(run.timingLog().lines()[0], stars("Начало сбора информации " + clock.shortDate(clock.time) +
                                                " - " + clockText(10, 0, 0) + " | Тип: \"Полный (+)\" "));

    run.setStartVariant(StartVariant::Main);
    run.ToolButton30Click();
    EXPECT_FALSE(options.get(Option::MirtalLibs));
    EXPECT_TRUE(options.get(Option::Mirtal));
}

TEST_F(CollectionRunTest, DebugCheckpointOnlyWithTheDebugOptionAndItSavesTheLog) {
    run.folders().CreateWorkFolder(kWorkFolder);
    run.DebugCheckpoint("first");
    EXPECT_FALSE(test::fileExists(at(kEventLogFile)));
    options.set(Option::Debug, true);
    run.DebugCheckpoint("second");
    auto log = run.eventLog().texts();
    EXPECT_EQ(log.back(), "... + second ...");
    EXPECT_EQ(log[log.size() - 2], "");
    EXPECT_TRUE(test::fileExists(at(kEventLogFile)));
}

TEST_F(CollectionRunTest, DebugOptionShowsTheTimingLogAtTheEndAndTurnsItself0ff) {
    struct : RecordingObserver {
        int shown = 0;
        void showTimingLog() override { ++shown; }
    } o;
    run.setObserver(&o);
    options.set(Option::Debug, true);
    run.ToolButton30Click();
    EXPECT_EQ(o.shown, 1);
    EXPECT_FALSE(options.get(Option::Debug));
}

TEST_F(CollectionRunTest, BannersRefreshTheSavedLogOnceItExists) {
    run.folders().CreateWorkFolder(kWorkFolder);
    run.LogBanner("one");
    EXPECT_FALSE(test::fileExists(at(kEventLogFile))); // a banner never creates the file
    run.saveEventLog();
    run.LogBanner("two");
    EXPECT_NE(test::readFileBytes(at(kEventLogFile)).find("two"), std::string::npos);
    auto lines = run.eventLog().lines();
    EXPECT_EQ(lines[3].text, "one");
    EXPECT_TRUE(lines[3].bold);
    EXPECT_EQ(lines[5].text, "two");
    EXPECT_FALSE(lines[5].bold);
}

} // namespace
} // namespace kw

namespace kw {
namespace {

// The copy in the work folder carries the options of the run that made it, the run's preset included,
// and is an ANSI file the settings reader takes back.
TEST_F(CollectionRunTest, SettingsCopyInTheWorkFolderHoldsTheRunsOptions) {
    options.set(Option::ComPlus, false);
    options.set(Option::MirtalLibs, false);
    options.setZebraBrightness(40);
    run.setStartVariant(StartVariant::Full);
    run.ToolButton30Click();
    std::string bytes = test::readFileBytes(at(kSettingsFileName));
    ASSERT_FALSE(bytes.empty());
    IniFile copy = IniFile::parse(ansiToUtf8(bytes));
    EXPECT_EQ(copy.get("System_Information", "COM_Plus"), "0");
    EXPECT_EQ(copy.get("TAVIR", "Libs"), "1"); // the full variant's preset
    EXPECT_EQ(copy.get("Table", "ZebraBright"), "40");
    auto log = run.eventLog().texts();
    EXPECT_NE(std::find(log.begin(), log.end(), "--- Создаем KW_scan.ini: " + at(kSettingsFileName) + "---"),
              log.end());
    // The settings file itself is not touched by a run.
    EXPECT_FALSE(test::fileExists(temp() + kSettingsFileName));
}

} // namespace
} // namespace kw
