// The main window "Информация о системе": start and stop, progress, the events panel with its logs,
// the results area and the status bar. It is a view of the collection engine, which runs on a worker
// thread and reports back through RunObserver. The window wires its parts together and lays them out;
// each part does one job in files of its own.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include "app/ClearResults.h"
#include "app/CommandBar.h"
#include "app/EventsPanel.h"
#include "app/LibraryWindow.h"
#include "app/PackageCommands.h"
#include "app/ProgramInstance.h"
#include "app/ResultsArea.h"
#include "app/RunController.h"
#include "app/StartArguments.h"
#include "app/StatusBar.h"
#include "app/WindowSettings.h"
#include "core/CollectionRun.h"
#include "platform/UiHandles.h"
#include "platform/Window.h"
#include "settings/AboutBox.h"
#include "settings/OptionsDialog.h"
#include "settings/StartForm.h"
#include "viewer/ViewerPane.h"

namespace kw {

class MainWindow final : public Window, public RunObserver {
  public:
    MainWindow(Platform platform, StartArguments args);
    ~MainWindow() override;

    // Creates the window (FormCreate) and shows it unless the run is hidden.
    bool create(HINSTANCE instance);
    CollectionRun& engine() { return engine_; }
    OptionSet& options() { return options_; }
    // The dialogs are made when first asked for: a window that is only looked at starts sooner without them.
    OptionsDialog& optionsDialog();
    AboutBox& aboutBox();
    StartForm& startForm();
    bool runInProgress() const { return run_.running(); }
    bool destroyed() const { return destroyed_; }
    ViewerPane& viewer() { return results_.viewer(); }
    // The program's exit code: 0, or 1 when a hidden run could not write its package.
    int exitCode() const { return run_.exitCode(); }
    // Ctrl+O, Ctrl+P and Ctrl+S of the menu "Файл", for the message loop.
    bool translateAccelerator(MSG& msg) { return commands_.translateAccelerator(msg); }

    // RunObserver, on the window's thread: the run controller carries the engine's reports over.
    void progressChanged(int value) override;
    void progressCaptionChanged(const std::string& text) override { events_.setProgressCaption(text); }
    void topicChanged(const std::string& text) override { status_.setTopic(text); }
    void runningLayout() override;
    void idleLayout() override;
    void showTimingLog() override { events_.showTimingLog(); }
    void resultCommandsEnabled(bool on) override { results_.offerResults(on); }
    void saveFailed(const std::string& path) override;
    // Called at the end of the run procedure: the save follows once the run's thread has returned.
    void autoSave() override { run_.saveWhenDone(); }

  private:
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) override;
    void wireParts();
    void createControls();
    void wireForms(); // the options dialog's callbacks; the dialogs themselves come later
    void layout();
    void FormCreate();
    void FormClose();
    void onActivate(HWND previous); // WM_ACTIVATE: `previous` lost the activation (null: unknown)
    void onCommand(int id);
    bool busy() const {
        return run_.running() || packages_.busy() || results_.comparingAll() || clear_.pausing();
    }

    void ToolButton5Click(); // screenshot (Alt+Shift+F9), MainWindowScreenshot.cpp
    // "Библиотека пакетов...", MainWindowLibrary.cpp: the box made when first asked for, wired here.
    void showLibrary();
    void wireLibrary();
    LibraryWindow& library();
    void showOptionsDialog();
    void loadSettings(); // "Загрузить настройки"
    void openHelpEntry(const HelpEntry& entry);
    void report(const std::string& text, MessageKind kind); // a message box, or the event log when hidden
    void hiddenRunFailed(const std::string& reason);        // "fullin" without a package

    Platform platform_;
    const StartArguments args_;
    OptionSet options_;
    Settings settings_;
    CollectionRun engine_;
    HINSTANCE module_ = nullptr; // the program's, for the dialogs made later
    AboutBox aboutBox_;
    OptionsDialog optionsDialog_{options_};
    StartForm startForm_{settings_};
    std::unique_ptr<LibraryWindow> library_;

    ProgramInstance instance_{platform_.processes, platform_.desktop, engine_};
    WindowThreadObserver handOver_{*this};
    RunController run_{engine_, args_.hidden};
    PackageCommands packages_{platform_.files, platform_.desktop, engine_, handOver_, args_};
    ClearResults clear_{engine_, platform_.desktop, platform_.system};
    WindowSettings windowSettings_{platform_.files, platform_.desktop, engine_,
                                   options_,        settings_,         optionsDialog_};
    CommandBar commands_;
    EventsPanel events_{options_};
    StatusBar status_;
    Font font_; // the children's (WM_GETFONT)
    ResultsArea results_{platform_, options_, settings_, engine_.folders(), commands_};
    std::unordered_map<int, std::function<void()>> actions_; // WM_COMMAND by command id
    bool destroyed_ = false;
    bool firstActivationDone_ = false;
    LPARAM laidOut_ = 0; // the client size of the last layout, as WM_SIZE gives it
    std::string caption_;
};

} // namespace kw
