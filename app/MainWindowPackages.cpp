// The main window's package commands: "Сохранить информацию...", "Загрузить информацию (1)" and
// "(2)", "Открыть каталог с результатами", the packages named on the command line, and the package of
// a hidden run. Packing and unpacking run off the window's thread, which keeps painting and shows progress.
#include <windows.h>

#include "app/MainWindow.h"
#include "app/WindowMessages.h"
#include "app/resource.h"
#include "platform/Com.h"
#include "platform/Text.h"

namespace kw {
namespace {

constexpr const char* kOpenFilter = "KW_Scan! (*.kw)|*.kw;*.cab|Все файлы (*.*)|*.*";
constexpr const char* kSaveFilter = "Пакет KW_Scan! (*.cab)|*.cab|Все файлы (*.*)|*.*";

std::string fileNameOf(const std::string& path) {
    return path.substr(path.find_last_of("\\/") + 1);
}

} // namespace

void MainWindow::runJob(std::function<void()> work, std::function<void()> then) {
    jobDone_ = [this, then = std::move(then)] {
        if (then)
            then();
        if (closePending_.load() && !job_.joinable())
            PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    };
    job_ = std::thread([this, work = std::move(work)] {
        ComApartment com;
        work();
        PostMessageW(hwnd_, WM_APP_JOB_DONE, 0, 0);
    });
}

std::string MainWindow::programFolder() {
    std::string program = platform_.files.programPath();
    return program.substr(0, program.find_last_of('\\'));
}

void MainWindow::N14Click() {
    if (busy())
        return;
    // The save reports into the timing log: it is shown when the events panel hides it.
    if (eventsShown_ && !timingShown_)
        Button29Click();
    std::string folder = programFolder();
    auto outcome = std::make_shared<SaveOutcome>();
    runJob([this, folder, outcome] { *outcome = packages_->SavePackage(folder); },
           [this, outcome] { afterSave(*outcome); });
}

void MainWindow::afterSave(const SaveOutcome& first) {
    SaveOutcome outcome = first;
    // Only a written package ends the program; otherwise the results stay, and the user learns why and
    // may put the package somewhere else.
    while (outcome.result == SaveResult::CopyFailed) {
        if (!platform_.desktop.confirm(hwnd_, outcome.reason + "\r\n\r\nСохранить пакет в другом месте?"))
            return;
        auto path =
            platform_.desktop.chooseFileToSave(hwnd_, kSaveFilter, fileNameOf(outcome.package), "cab");
        if (!path)
            return;
        outcome = packages_->savePackageAs(*path);
    }
    if (outcome.result != SaveResult::Saved) {
        report(outcome.reason, MessageKind::Error);
        return;
    }
    PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void MainWindow::saveHiddenRunPackage() {
    std::string folder = args_.packageFolder.empty() ? programFolder() : args_.packageFolder;
    if (!platform_.files.folderExists(folder))
        platform_.files.createFolder(folder);
    auto outcome = std::make_shared<SaveOutcome>();
    runJob([this, folder, outcome] { *outcome = packages_->SavePackage(folder); },
           [this, outcome] {
               exitCode_ = outcome->result == SaveResult::Saved ? 0 : 1;
               PostMessageW(hwnd_, WM_CLOSE, 0, 0);
           });
}

void MainWindow::openPackageCommand(bool side2, std::optional<std::string> path) {
    if (busy())
        return;
    // "(2)" needs results to compare with: a finished run or an opened package.
    bool compareEnabled = !(GetMenuState(menu_, IDC_LOAD_COMPARE, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
    if (side2 && !path && !compareEnabled)
        return;
    if (!path)
        path = platform_.desktop.chooseFileToOpen(hwnd_, kOpenFilter);
    if (!path)
        return; // cancelled: nothing changes
    auto outcome = std::make_shared<OpenOutcome>();
    std::string package = *path;
    runJob([this, package, side2,
            outcome] { *outcome = packages_->OpenPackage(package, side2 ? kCompareFolder : kWorkFolder); },
           [this, package, side2, outcome] { afterOpen(side2, package, *outcome); });
}

void MainWindow::afterOpen(bool side2, const std::string& path, const OpenOutcome& outcome) {
    if (!outcome.opened) {
        report(
            "Не удалось открыть файл \"" + path + "\":\r\n" + outcome.reason +
                "\r\n\r\nФайл не является пакетом KW_Scan! или повреждён. Открытые результаты не изменились.",
            MessageKind::Error);
        openArgumentPackages();
        return;
    }
    if (side2) {
        viewer_->showSide2(true);
        viewer_->setSide2Caption("(2) " + fileNameOf(path));
        viewer_->showSide1Caption(true);
        EnableMenuItem(menu_, IDC_COMPARE_ALL, MF_BYCOMMAND | MF_ENABLED);
    } else {
        viewer_->setSide1Caption("(1) " + fileNameOf(path), true);
    }
    EnableMenuItem(menu_, IDC_SAVE_PACKAGE, MF_BYCOMMAND | MF_ENABLED);
    enableCommand(IDC_LOAD_COMPARE, true);
    DrawMenuBar(hwnd_);
    viewer_->RefreshCurrentNode();
    if (!outcome.refused.empty()) {
        std::string text = "Некоторые файлы пакета не открыты:";
        for (const auto& [name, reason] : outcome.refused)
            text += "\r\n\"" + name + "\" - " + reason;
        report(text, MessageKind::Warning);
    }
    openArgumentPackages();
}

void MainWindow::openArgumentPackages() {
    if (busy())
        return;
    if (!args_.unused.empty()) {
        std::string text = "Лишние параметры командной строки не использованы:";
        for (const std::string& a : args_.unused)
            text += "\r\n" + a;
        args_.unused.clear();
        report(text, MessageKind::Warning);
    }
    if (argumentPackagesOpened_ >= args_.packages.size())
        return;
    if (secondInstance_) {
        // The folders belong to the instance that is already open.
        args_.packages.clear();
        report("Пакеты из командной строки не открыты: открыт другой экземпляр KW_Scan!.\r\n"
               "Закройте его или откройте пакеты в нём командой \"Файл / Загрузить информацию\".",
               MessageKind::Warning);
        return;
    }
    size_t i = argumentPackagesOpened_++;
    openPackageCommand(i == 1, args_.packages[i]);
}

void MainWindow::openResultsFolder() {
    std::string folder = engine_.folders().folderPath(kWorkFolder);
    if (!platform_.files.folderExists(folder)) {
        report("Временный каталог не найден", MessageKind::Info);
        return;
    }
    platform_.desktop.shellOpen(folder);
}

} // namespace kw
