// The main window "Информация о системе": start and stop, progress, the events panel with its logs,
// the results area and the status bar. It is a view of the collection engine, which runs on a worker
// thread and reports back through RunObserver.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/LogViews.h"
#include "app/StartArguments.h"
#include "core/CollectionRun.h"
#include "platform/Processes.h"
#include "results/ResultPackage.h"
#include "settings/AboutBox.h"
#include "settings/OptionsDialog.h"
#include "settings/StartForm.h"
#include "viewer/ViewerPane.h"

namespace kw {

class MainWindow final : public RunObserver {
  public:
    MainWindow(Platform platform, StartArguments args);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window (FormCreate) and shows it unless the run is hidden.
    bool create(HINSTANCE instance);
    HWND hwnd() const { return hwnd_; }
    CollectionRun& engine() { return engine_; }
    OptionSet& options() { return options_; }
    OptionsDialog& optionsDialog() { return optionsDialog_; }
    AboutBox& aboutBox() { return aboutBox_; }
    StartForm& startForm() { return startForm_; }
    bool runInProgress() const { return worker_.joinable(); }
    bool destroyed() const { return destroyed_; }
    ViewerPane& viewer() { return *viewer_; }
    // The program's exit code: 0, or 1 when a hidden run could not write its package.
    int exitCode() const { return exitCode_; }
    // Ctrl+O, Ctrl+P and Ctrl+S of the menu "Файл", for the message loop.
    bool translateAccelerator(MSG& msg);

    // RunObserver, called on the run's thread and carried over to the window's thread.
    void progressChanged(int value) override;
    void progressCaptionChanged(const std::string& text) override;
    void topicChanged(const std::string& text) override;
    void runningLayout() override;
    void idleLayout() override;
    void showTimingLog() override;
    void resultCommandsEnabled(bool on) override;
    void saveFailed(const std::string& path) override;
    void autoSave() override;

  private:
    static LRESULT CALLBACK windowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);
    void onUiThread(const std::function<void()>& fn);

    void createControls();
    void layout();
    void FormCreate();
    void FormClose();
    void onActivate();
    void onCommand(int id);
    void onNotify(NMHDR* hdr);

    void ToolButton30Click(); // start a run
    void ToolButton48Click(); // Stop
    void ToolButton1Click();  // clear results
    void ToolButton5Click();  // screenshot (Alt+Shift+F9)
    // Result packages (MainWindowPackages.cpp).
    bool busy() const {
        return worker_.joinable() || job_.joinable() || (viewer_ && viewer_->comparingAll());
    }
    void runJob(std::function<void()> work, std::function<void()> then); // off the window's thread
    void N14Click(); // "Сохранить информацию..."
    void afterSave(const SaveOutcome& outcome);
    void openPackageCommand(bool side2,
                            std::optional<std::string> path); // "Загрузить информацию (1)" / "(2)"
    void afterOpen(bool side2, const std::string& path, const OpenOutcome& outcome);
    void openArgumentPackages(); // the packages named on the command line
    void openResultsFolder();    // "Открыть каталог с результатами"
    void saveHiddenRunPackage(); // "fullin": the package, then the end of the program
    std::string programFolder();
    void finishClearResults();
    void ToggleEventsPanel(bool open);
    void Button28Click(); // "Скрыть"
    void Button29Click(); // "Показать лог"
    void Button33Click(); // "Сохранить лог"
    void GroupBox4DblClick(); // hides the timing log and offers "Показать лог" and "Сохранить лог"
    void setStartVariant(StartVariant v);
    void onRunFinished();
    void createForms(HINSTANCE instance); // the about box, the options dialog, the start form
    void showOptionsDialog();
    void loadSettings(); // "Загрузить настройки"
    void openHelpEntry(int command);
    void applyTransparency();
    void storeGeometry();

    void setStatusText(int part, const std::string& text);
    void setControlText(int id, const std::string& text);
    void showControl(int id, bool visible);
    void enableCommand(int id, bool on);
    void setToolButtonVisible(int id, bool visible);
    void report(const std::string& text, MessageKind kind);
    IniFile readSettingsFile(); // "KW_scan.ini" in the temporary directory; empty when missing  // a message
                                // box, or the event log when hidden

    Platform platform_;
    StartArguments args_;
    OptionSet options_;
    Settings settings_;
    CollectionRun engine_;
    AboutBox aboutBox_;
    OptionsDialog optionsDialog_{options_};
    StartForm startForm_{settings_};
    bool firstActivation_ = true;
    bool readOnActivation_ = false; // the options dialog has just saved the settings
    std::unique_ptr<InstanceLock> instanceLock_;
    bool secondInstance_ = false;

    HWND hwnd_ = nullptr;
    HMENU menu_ = nullptr;
    HFONT font_ = nullptr;
    EventLogView logView_;
    MemoView timingView_, captureView_;
    std::unique_ptr<ViewerPane> viewer_;
    std::atomic<bool> logPending_{false};
    std::thread worker_;
    std::thread job_; // a package being saved or opened
    std::function<void()> jobDone_;
    std::unique_ptr<ResultPackages> packages_;
    std::atomic<bool> autoSavePending_{false};
    size_t argumentPackagesOpened_ = 0;
    int exitCode_ = 0;
    HACCEL accelerators_ = nullptr;
    std::atomic<bool> closePending_{false};
    bool destroyed_ = false;
    bool autoStartDone_ = false;

    bool running_ = false; // running layout
    bool eventsShown_ = true;
    bool timingShown_ = true;
    int eventsHeight_ = 0; // the events panel's height in the idle layout
    std::string caption_;
};

} // namespace kw
