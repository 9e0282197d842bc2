// The main window's settings and geometry: the settings file read before the window is made, again on
// its first activation and after the options dialog has saved it, and on "Загрузить настройки"; the
// window's place stored with them; the transparency that the hand-set blend value gives.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "core/CollectionRun.h"
#include "settings/OptionsDialog.h"
#include "settings/Settings.h"

namespace kw {

// The restored position of a window in screen coordinates: GetWindowPlacement gives it in workspace
// coordinates, which are shifted by a taskbar at the top or on the left of the monitor.
RECT screenRectOfPlacement(const RECT& normalPosition, const RECT& monitor, const RECT& workArea);

class WindowSettings {
  public:
    WindowSettings(FileSystem& files, Desktop& desktop, CollectionRun& engine, OptionSet& options,
                   Settings& settings, OptionsDialog& optionsDialog)
        : files_(files), desktop_(desktop), engine_(engine), options_(options), settings_(settings),
          optionsDialog_(optionsDialog) {}

    // Before the window exists: it takes its geometry from them.
    void readOnStart();
    const WindowGeometry& geometry() const { return settings_.geometry; }
    // The text of the status bar's last panel ("status1" of the file).
    const std::string& statusNote() const { return settings_.handSet.status1; }
    // The group "Прозрачность" with its track bar, created hidden: no path shows it, and the track bar
    // keeps the position the settings file gave it.
    void createTransparencyControls(HWND window);

    // WM_ACTIVATE: the options follow the file on the first activation and after the options dialog.
    void activated(bool runInProgress);
    bool rereadPending() const { return rereadOnActivation_; }
    void reread(); // a hidden run, which is never activated, before it starts
    // The window takes the track bar's transparency (layered, unless it is opaque and never was layered).
    void applyTransparency();
    void trackBarScrolled(HWND control); // WM_HSCROLL

    void save(); // the window's place and the settings file (FormClose)
    // The window's place into the settings, in screen coordinates, as the window is now: the settings
    // copy of a run carries where the window is at the run's end.
    void storeGeometry();
    void optionsDialogClosed(); // saved, and read again on the next activation
    // "Загрузить настройки": the file the user chose; nothing when cancelled or unreadable.
    std::optional<std::string> load();

    std::function<void(const std::string& text, MessageKind kind)> report;

  private:
    IniFile readSettingsFile(); // "KW_scan.ini" in the temporary directory; empty when missing

    FileSystem& files_;
    Desktop& desktop_;
    CollectionRun& engine_;
    OptionSet& options_;
    Settings& settings_;
    OptionsDialog& optionsDialog_;
    HWND window_ = nullptr;
    HWND trackBar_ = nullptr;
    bool firstActivation_ = true;
    bool rereadOnActivation_ = false; // the options dialog has just saved the settings
};

} // namespace kw
