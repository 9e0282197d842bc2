#include "app/PackageCommands.h"

#include "app/RunFindings.h"
#include "app/WindowMessages.h"
#include "platform/Com.h"

namespace kw {
namespace {

constexpr const char* kOpenFilter = "KW_Scan! (*.kw;*.cab)|*.kw;*.cab|Все файлы (*.*)|*.*";
constexpr const char* kSaveFilter = "Пакет KW_Scan! (*.cab)|*.cab|Все файлы (*.*)|*.*";

std::string fileNameOf(const std::string& path) {
    return path.substr(path.find_last_of("\\/") + 1);
}

// Creates the folder with every missing folder above it; false when one cannot be made.
bool createFolderPath(FileSystem& files, const std::string& folder) {
    if (files.folderExists(folder))
        return true;
    std::size_t cut = folder.find_last_of("\\/");
    if (cut != std::string::npos && cut > 0 && folder[cut - 1] != ':' && folder[cut - 1] != '\\' &&
        !createFolderPath(files, folder.substr(0, cut)))
        return false;
    return files.createFolder(folder) || files.folderExists(folder);
}

// What differs between an opened package and its contents list, for the one message of the package.
std::string checkMessage(const std::string& package, const PackageCheck& check) {
    std::string text = "Пакет \"" + fileNameOf(package) + "\" не совпадает со своим составом (" +
                       kManifestFile + "): файлов с расхождениями - " + std::to_string(check.differing()) +
                       ".";
    int shown = 0;
    for (const MemberCheck& m : check.members) {
        if (m.state == MemberState::Same)
            continue;
        if (++shown > 10) {
            text += "\r\n...";
            break;
        }
        text += "\r\n\"" + m.name + "\" - " + memberStateText(m.state);
    }
    return text + "\r\n\r\nПакет открыт: подробности - в журнале событий (строки \"[!!]\"). Решите, можно "
                  "ли опираться на эти данные.";
}

} // namespace

PackageCommands::PackageCommands(FileSystem& files, Desktop& desktop, CollectionRun& engine,
                                 RunObserver& observer, const StartArguments& args)
    : files_(files), desktop_(desktop), engine_(engine), packages_(engine, observer),
      packageFolder_(args.packageFolder), argumentPackages_(args.packages), unusedArguments_(args.unused) {}

bool PackageCommands::holdClose() {
    if (!busy())
        return false;
    // A package is being written or read: the window closes when that is done.
    closePending_.store(true);
    return true;
}

void PackageCommands::jobDone() {
    if (job_.joinable())
        job_.join();
    auto then = std::move(jobDone_);
    jobDone_ = nullptr;
    if (then)
        then();
}

void PackageCommands::wait() {
    if (job_.joinable())
        job_.join();
}

void PackageCommands::runJob(std::function<void()> work, std::function<void()> then) {
    jobDone_ = [this, then = std::move(then)] {
        if (then)
            then();
        if (closePending_.load() && !job_.joinable())
            PostMessageW(window_, WM_CLOSE, 0, 0);
    };
    job_ = std::thread([window = window_, work = std::move(work)] {
        ComApartment com;
        work();
        PostMessageW(window, WM_APP_JOB_DONE, 0, 0);
    });
}

std::string PackageCommands::programFolder() {
    std::string program = files_.programPath();
    return program.substr(0, program.find_last_of('\\'));
}

void PackageCommands::save() {
    if (windowBusy())
        return;
    beforeSave();
    std::string folder = programFolder();
    auto outcome = std::make_shared<SaveOutcome>();
    runJob([this, folder, outcome] { *outcome = packages_.SavePackage(folder); },
           [this, outcome] { afterSave(*outcome); });
}

void PackageCommands::afterSave(const SaveOutcome& first) {
    SaveOutcome outcome = first;
    // Only a written package ends the program; otherwise the results stay, and the user learns why and
    // may put the package somewhere else.
    while (outcome.result == SaveResult::CopyFailed) {
        if (!desktop_.confirm(window_, outcome.reason + "\r\n\r\nСохранить пакет в другом месте?"))
            return;
        auto path = desktop_.chooseFileToSave(window_, kSaveFilter, fileNameOf(outcome.package), "cab");
        if (!path)
            return;
        outcome = packages_.savePackageAs(*path);
    }
    if (outcome.result == SaveResult::NotListed) {
        reportError("Ошибка", outcome.reason);
        return;
    }
    if (outcome.result != SaveResult::Saved) {
        report(outcome.reason, MessageKind::Error);
        return;
    }
    PostMessageW(window_, WM_CLOSE, 0, 0);
}

void PackageCommands::saveHiddenRunPackage(std::function<void(bool saved)> done) {
    std::string folder = packageFolder_.empty() ? programFolder() : packageFolder_;
    if (!createFolderPath(files_, folder)) {
        hiddenRunFailed("Не удалось создать каталог " + folder);
        done(false);
        return;
    }
    auto outcome = std::make_shared<SaveOutcome>();
    runJob([this, folder, outcome] { *outcome = packages_.SavePackage(folder); },
           [this, outcome, done = std::move(done)] {
               bool saved = outcome->result == SaveResult::Saved;
               if (!saved)
                   hiddenRunFailed(outcome->reason);
               done(saved);
           });
}

void PackageCommands::openPackage(bool side2, std::optional<std::string> path, std::function<void()> then) {
    if (windowBusy())
        return;
    // "(2)" needs results to compare with: a finished run or an opened package.
    if (side2 && !path && !compareOffered())
        return;
    if (!path)
        path = desktop_.chooseFileToOpen(window_, kOpenFilter, "kw");
    if (!path)
        return; // cancelled: nothing changes
    auto outcome = std::make_shared<OpenOutcome>();
    auto library = std::make_shared<std::string>();
    std::string package = *path;
    runJob(
        [this, package, side2, outcome, library] {
            const char* folder = side2 ? kCompareFolder : kWorkFolder;
            *outcome = packages_.OpenPackage(package, folder);
            // Older packages carry no findings, and newer rules may find more: they are made again.
            if (outcome->opened)
                writeOpenedFindings(files_, engine_.folders().folderPath(folder));
            if (outcome->opened && addToLibrary)
                *library = addToLibrary(package);
        },
        [this, package, side2, outcome, library, then = std::move(then)] {
            afterOpen(side2, package, *outcome, *library, then);
        });
}

void PackageCommands::afterOpen(bool side2, const std::string& path, const OpenOutcome& outcome,
                                const std::string& library, const std::function<void()>& then) {
    if (!outcome.opened) {
        report(
            "Не удалось открыть файл \"" + path + "\":\r\n" + outcome.reason +
                "\r\n\r\nФайл не является пакетом KW_Scan! или повреждён. Открытые результаты не изменились.",
            MessageKind::Error);
        // The second package of the command line is compared with the first: without it, it is not
        // opened at all.
        if (argumentPackagesOpened_ == 1)
            argumentPackagesOpened_ = argumentPackages_.size();
        openArgumentPackages();
        return;
    }
    opened(side2, fileNameOf(path));
    if (!library.empty())
        status(library);
    // One message per package: what was left out, and what differs from the contents list.
    std::string text;
    if (!outcome.refused.empty()) {
        text = "Некоторые файлы пакета не открыты:";
        for (const auto& [name, reason] : outcome.refused)
            text += "\r\n\"" + name + "\" - " + reason;
    }
    if (int differing = outcome.check.differing(); differing > 0) {
        status("Не совпадают с составом пакета файлов: " + std::to_string(differing) + " - " +
               fileNameOf(path));
        text += (text.empty() ? "" : "\r\n\r\n") + checkMessage(path, outcome.check);
    }
    if (!text.empty())
        report(text, MessageKind::Warning);
    if (then)
        then();
    openArgumentPackages();
}

void PackageCommands::openArgumentPackages() {
    if (windowBusy())
        return;
    if (!unusedArguments_.empty()) {
        std::string text = "Лишние параметры командной строки не использованы:";
        for (const std::string& a : unusedArguments_)
            text += "\r\n" + a;
        unusedArguments_.clear();
        report(text, MessageKind::Warning);
    }
    if (argumentPackagesOpened_ >= argumentPackages_.size())
        return;
    if (secondInstance_) {
        // The folders belong to the instance that is already open.
        argumentPackages_.clear();
        report("Пакеты из командной строки не открыты: открыт другой экземпляр KW_Scan!.\r\n"
               "Закройте его или откройте пакеты в нём командой \"Файл / Загрузить информацию\".",
               MessageKind::Warning);
        return;
    }
    size_t i = argumentPackagesOpened_++;
    openPackage(i == 1, argumentPackages_[i]);
}

void PackageCommands::openResultsFolder() {
    std::string folder = engine_.folders().folderPath(kWorkFolder);
    if (!files_.folderExists(folder)) {
        report("Временный каталог не найден", MessageKind::Info);
        return;
    }
    desktop_.shellOpen(folder);
}

} // namespace kw
