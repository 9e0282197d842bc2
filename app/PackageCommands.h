// The main window's package commands: "Сохранить информацию..." (and, when the copy fails, saving
// elsewhere), "Загрузить информацию (1)" and "(2)", "Открыть каталог с результатами", the packages named
// on the command line and the package of a hidden run. Packing and unpacking run off the window's
// thread, which keeps painting and shows progress.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/StartArguments.h"
#include "core/CollectionRun.h"
#include "results/ResultPackage.h"

namespace kw {

class PackageCommands {
  public:
    PackageCommands(FileSystem& files, Desktop& desktop, CollectionRun& engine, RunObserver& observer,
                    const StartArguments& args);
    ~PackageCommands() { wait(); }
    PackageCommands(const PackageCommands&) = delete;
    PackageCommands& operator=(const PackageCommands&) = delete;

    void attach(HWND window) { window_ = window; }
    // A second instance opens no packages from the command line: the folders are the first one's.
    void setSecondInstance(bool second) { secondInstance_ = second; }
    bool busy() const { return job_.joinable(); }
    // WM_CLOSE during a job: the window closes when it is done; false when no job holds the close.
    bool holdClose();
    void jobDone(); // WM_APP_JOB_DONE: the job's thread has returned
    void wait();

    void save(); // N14Click
    // "fullin": the package into the folder of the command line, or beside the program.
    void saveHiddenRunPackage(std::function<void(bool saved)> done);
    void open(bool side2) { openPackage(side2, std::nullopt); }
    // A package the library names; `then` runs once it is open.
    void openNamed(bool side2, const std::string& path, std::function<void()> then = {}) {
        openPackage(side2, path, std::move(then));
    }
    void openArgumentPackages();
    void openResultsFolder();

    std::function<bool()> windowBusy; // a run, a comparison or a package job
    std::function<void(const std::string& text, MessageKind kind)> report;
    // A message box with a title of its own ("Ошибка" when the work folder cannot be listed).
    std::function<void(const std::string& title, const std::string& text)> reportError;
    // A hidden run's package was not written, for this reason: the results must stay.
    std::function<void(const std::string& reason)> hiddenRunFailed;
    std::function<void(const std::string& text)> status; // the status bar's topic panel
    std::function<void()> beforeSave;                    // the save reports into the timing log: it is shown
    std::function<bool()> compareOffered;                // "(2)" is enabled
    std::function<void(bool side2, const std::string& fileName)> opened;
    // Off the window's thread, after a package has opened: its place in the support library, if it is to
    // join one; the text goes to the status bar.
    std::function<std::string(const std::string& package)> addToLibrary;

  private:
    void runJob(std::function<void()> work, std::function<void()> then); // off the window's thread
    void openPackage(bool side2, std::optional<std::string> path, std::function<void()> then = {});
    void afterSave(const SaveOutcome& outcome);
    void afterOpen(bool side2, const std::string& path, const OpenOutcome& outcome,
                   const std::string& library, const std::function<void()>& then);
    std::string programFolder();

    FileSystem& files_;
    Desktop& desktop_;
    CollectionRun& engine_;
    ResultPackages packages_;
    std::string packageFolder_;
    std::vector<std::string> argumentPackages_, unusedArguments_;
    size_t argumentPackagesOpened_ = 0;
    bool secondInstance_ = false;
    HWND window_ = nullptr;
    std::thread job_;
    std::function<void()> jobDone_;
    std::atomic<bool> closePending_{false};
};

} // namespace kw
