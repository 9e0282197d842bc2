#include "core/CollectionRun.h"

#include <algorithm>
#include <exception>

#include "core/Version.h"
#include "platform/Text.h"

namespace kw {
namespace {

constexpr const char* kStars = "*********************";

std::string rtrim(std::string_view s) {
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return std::string(s);
}

} // namespace

CollectionRun::CollectionRun(Platform platform, OptionSet& options, Settings& settings)
    : platform_(platform), options_(options), settings_(settings), folders_(platform.files, log_) {}

void CollectionRun::addTopic(StepPlace place, const Topic& topic,
                             std::span<const SectionProcedure> procedures) {
    TopicSections added{topic, {}};
    for (SectionProcedure p : procedures)
        added.sections.push_back({p, [this, p] { p(*this); }});
    (place == StepPlace::SystemStep ? systemTopics_ : productSteps_).push_back(std::move(added));
}

void CollectionRun::addTopic(StepPlace place, const Topic& topic, std::function<void()> procedure) {
    (place == StepPlace::SystemStep ? systemTopics_ : productSteps_)
        .push_back({topic, {{nullptr, std::move(procedure)}}});
}

void CollectionRun::replaceSection(SectionProcedure procedure, std::function<void()> by) {
    for (auto* topics : {&systemTopics_, &productSteps_})
        for (TopicSections& topic : *topics)
            for (Section& section : topic.sections)
                if (section.procedure == procedure)
                    section.call = by;
}

std::string CollectionRun::progressCaption() const {
    std::lock_guard lock(captionMutex_);
    return caption_;
}

void CollectionRun::setProgress(int value) {
    // The progress bar keeps its range 0..100: a step that ends after Stop cannot push it past 100.
    value = std::clamp(value, 0, 100);
    progress_.store(value);
    observer_->progressChanged(value);
}

void CollectionRun::setCaption(const std::string& text) {
    // After Stop the caption keeps "СТОП" while the sections still under way finish.
    if (stopped_.load())
        return;
    {
        std::lock_guard lock(captionMutex_);
        caption_ = text;
        dotsBase_ = text;
        dots_ = 0;
    }
    observer_->progressCaptionChanged(text);
}

std::string CollectionRun::nowText() {
    LocalTime now = platform_.system.now();
    return platform_.system.shortDate(now) + " - " + platform_.system.longTime(now);
}

std::string CollectionRun::durationSince(const LocalTime& from) {
    return platform_.system.longTime(timeOfDay(millisecondsBetween(from, platform_.system.now())));
}

void CollectionRun::advanceProgressDots() {
    if (stopped_.load())
        return;
    std::string text;
    {
        std::lock_guard lock(captionMutex_);
        dots_ = dots_ % 5 + 1;
        caption_ = text = dotsBase_ + std::string(static_cast<size_t>(dots_), '.');
    }
    observer_->progressCaptionChanged(text);
    observer_->topicChanged(text);
}

void CollectionRun::waitForConsoleProcesses() {
    // Outside a run the stop flag stands set; only a Stop during the run ends the wait.
    bool inRun = running_.load();
    consoles_.waitAll([this, inRun] {
        processMessages();
        return !(inRun && stopFlag_.load());
    });
}

void CollectionRun::processMessages() {
    if (stopRequested_.exchange(false) && running_.load())
        stop();
}

void CollectionRun::ToolButton30Click() {
    const StartVariantInfo& variant = startVariantInfo(variant_);
    std::string plus = options_.get(Option::ImportantShared) ? "" : "(+)";
    options_.applyPreset(variant_);

    observer_->runningLayout();
    stopRequested_.store(false);
    stopped_.store(false);
    stopFlag_.store(false);
    running_.store(true);

    for (const RunStep& step : runSteps(productSteps_.size())) {
        processMessages();
        if (stopFlag_.load() || progress_.load() != step.value)
            continue;
        switch (step.kind) {
        case StepKind::Preparation:
            prepare();
            timing_.append(std::string(kStars) + " Начало сбора информации " + nowText() + " | Тип: \"" +
                           std::string(variant.runType) + " " + plus + "\"  " + kStars);
            t0_ = ts_ = platform_.system.now();
            setProgress(progress_.load() + kProgressStep);
            break;
        case StepKind::System:
            collectSystem();
            break;
        case StepKind::Product:
            runTopic(productSteps_[step.product]);
            setProgress(progress_.load() + kProgressStep);
            break;
        case StepKind::Completion:
            waitForConsoleProcesses();
            if (!stopFlag_.load())
                complete();
            break;
        }
    }
    // No message-processing point here: a Stop that comes after the completion step has begun no
    // longer turns the finished run into a stopped one.
    if (progress_.load() == 100)
        endOfRun();
}

void CollectionRun::prepare() {
    FileSystem& files = platform_.files;
    std::string temp = folders_.GetTempDirectory();
    if (files.plainFileExists(temp + "KW_Temp"))
        files.deleteFile(temp + "KW_Temp");
    // A settings copy means the folder holds an earlier run or an opened package.
    if (files.plainFileExists(folders_.workPath(kSettingsFileName))) {
        folders_.DeleteFolderTree(folders_.folderPath(kWorkFolder));
        log_.clear();
        platform_.processes.sleepMs(500);
    }
    // The capture pane keeps what it shows: the scratch list that preparation clears is the Unicode
    // capture's, which here lives inside each conversion.
    folders_.CreateWorkFolder(kWorkFolder);
    setProgress(0);
    LogBanner(std::string(kStars) + " Начало сбора информации " + nowText() + " " + kStars);
    log_.append(std::string("KW_Scan! V") + kProgramVersion + " [" + files.programPath() + "]");
}

void CollectionRun::collectSystem() {
    LogBanner(std::string(kStars) + " Системная информация: " + kStars);
    for (const TopicSections& topic : systemTopics_)
        runTopic(topic);
    setProgress(progress_.load() + kProgressStep);
}

void CollectionRun::runTopic(const TopicSections& entry) {
    const Topic& topic = entry.topic;
    if (topic.gate && !options_.get(*topic.gate)) {
        log_.append(topic.skipLine);
        return;
    }
    if (topic.announce == Announce::None) {
        for (const Section& section : entry.sections)
            callGuarded(topic, section);
        return;
    }
    if (topic.place == BannerPlace::BeforeCaption)
        LogBanner(std::string(topic.banner));
    setCaption(std::string(topic.caption));
    observer_->topicChanged(std::string(topic.caption));
    if (topic.place == BannerPlace::AfterCaption)
        LogBanner(std::string(topic.banner));
    for (const Section& section : entry.sections)
        callGuarded(topic, section);
    if (topic.duration == DurationLine::EvenAfterStop || running_.load())
        timing_.append(rtrim(topic.caption) + " - " + durationSince(ts_));
    ts_ = platform_.system.now();
}

void CollectionRun::callGuarded(const Topic& topic, const Section& section) {
    try {
        section.call();
    } catch (const std::exception& e) {
        log_.setColor(LogColor::Black);
        log_.append("[!!] [" + rtrim(topic.caption) + "] - Exception ошибка, с сообщением: " + e.what());
    }
}

void CollectionRun::complete() {
    log_.setColor(LogColor::Green);
    log_.append(
        "\r\nСокращения:\r\n"
        "     \"--->\" - информация или файл скопированы во временный каталог утилиты с указанным именем\r\n"
        "     \"[-]\" - файл или продукт не найден\r\n"
        "     \"[X]\" - по продукту настройка не активна, данные не собраны.");
    LocalTime now = platform_.system.now();
    std::string when = platform_.system.shortDate(now) + " - " + platform_.system.longTime(now);
    LogBanner(std::string(kStars) + " Сбор информации завершен " + when + " " + kStars);
    log_.append("  ");
    observer_->topicChanged("Сбор информации завершен " + when);
    timing_.append(std::string(kStars) + " Сбор информации завершен " + when + " |  Выполнен за: (" +
                   platform_.system.longTime(now) + " - " + platform_.system.longTime(t0_) + ") = " +
                   platform_.system.longTime(timeOfDay(millisecondsBetween(t0_, now))) + " " + kStars);
    timing_.append(" ");
    setCaption(" ");
    saveTimingLog();
    saveEventLog();
    setProgress(100);
}

void CollectionRun::endOfRun() {
    if (options_.get(Option::Debug)) {
        observer_->showTimingLog();
        options_.set(Option::Debug, false);
    }
    observer_->idleLayout();
    observer_->resultCommandsEnabled(true);
    stopFlag_.store(true);
    running_.store(false);
    setProgress(0);
    if (options_.get(Option::OpenResultsFolder))
        platform_.desktop.shellOpen(folders_.folderPath(kWorkFolder));
    if (runEnd_) {
        try {
            runEnd_();
        } catch (const std::exception& e) {
            log_.append("[!!] [Найденные проблемы] - Exception ошибка, с сообщением: " +
                        std::string(e.what()));
        }
    }
    observer_->refreshCurrentNode();
    SaveSettings(kWorkFolder);
    if (options_.get(Option::AutoSave) && !stopped_.load())
        observer_->autoSave();
}

void CollectionRun::stop() {
    observer_->idleLayout();
    setProgress(100);
    std::string line = std::string(kStars) + " СТОП " + nowText() + " " + kStars;
    LogBanner(line);
    timing_.append(line);
    timing_.append(" ");
    saveTimingLog();
    setCaption("СТОП");
    stopped_.store(true);
    stopFlag_.store(true);
    running_.store(false);
}

void CollectionRun::LogBanner(const std::string& text) {
    log_.appendBanner(text);
    if (platform_.files.plainFileExists(folders_.workPath(kEventLogFile)))
        saveEventLog();
}

void CollectionRun::DebugCheckpoint(const std::string& name) {
    if (!options_.get(Option::Debug))
        return;
    log_.append("\r... + " + name + " ...");
    saveEventLog();
}

std::string CollectionRun::settingsPath(const std::string& folder) {
    std::string temp = folders_.GetTempDirectory();
    return folder.empty() ? temp + kSettingsFileName : temp + folder + "\\" + kSettingsFileName;
}

void CollectionRun::SaveSettings(const std::string& folder) {
    std::string path = settingsPath(folder);
    if (platform_.files.plainFileExists(path))
        platform_.files.deleteFile(path);
    LogBanner("--- Создаем KW_scan.ini: " + path + "---");
    log_.append("  ");
    platform_.files.writeFile(path, utf8ToAnsi(composeSettingsFile(options_, settings_)));
}

bool CollectionRun::writeLogFile(const std::string& path, const std::string& bytes) {
    if (platform_.files.writeFile(path, bytes))
        return true;
    observer_->saveFailed(path);
    return false;
}

bool CollectionRun::saveEventLog() {
    // The window's thread saves it too (a screenshot during a run): one writer at a time, so that the
    // file is never a refused or torn write and the last save holds the latest lines.
    std::string path = folders_.workPath(kEventLogFile);
    bool saved;
    {
        std::lock_guard lock(eventLogFileMutex_);
        saved = platform_.files.writeFile(path, log_.toRtf());
    }
    if (!saved)
        observer_->saveFailed(path);
    return saved;
}

bool CollectionRun::saveTimingLog() {
    return writeLogFile(folders_.workPath(kTimingLogFile), utf8ToAnsi(timing_.text()));
}

} // namespace kw
