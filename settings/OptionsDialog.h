// The options dialog "Параметры KW_Scan!": one control per option of the option set, which it edits in
// place (the collectors read the set itself), the couplings answered at once, the zebra brightness
// track bar, and the hidden debug option with its two secret panels.
#pragma once
#include <windows.h>

#include <functional>

#include "settings/DialogWindow.h"
#include "settings/OptionSet.h"

namespace kw {

class OptionsDialog final : public DialogWindow {
  public:
    explicit OptionsDialog(OptionSet& options) : options_(options) {}

    bool create(HINSTANCE instance, HWND owner);

    // "OK" (BitBtn1): the main window's start button goes back to "per settings".
    std::function<void()> onOk;
    // The box closes by any path: the settings are saved.
    std::function<void()> onClosed;
    // The main window's "Показать лог" (Button29).
    std::function<void()> onShowLog;
    // The main window hides its log panel and offers "Показать лог" and "Сохранить лог".
    std::function<void()> onDebugShown;

    // The controls show the option set (it changes behind the box when the settings file is read).
    void showOptions();

    static constexpr int kFirstOptionId = 100; // + the option's index
    static constexpr int kZebraTrackId = 300;  // TrackBar2
    static constexpr int kZebraLabelId = 301;  // Label15
    static constexpr int kPanel3Id = 302;
    static constexpr int kPanel4Id = 303;
    static int controlId(Option id) { return kFirstOptionId + static_cast<int>(id); }

  private:
    void buildControls() override;
    void shown() override { showOptions(); }
    void closing() override;
    bool handle(UINT msg, WPARAM wp, LPARAM lp, INT_PTR* result) override;

    void controlClicked(Option id);
    void zebraMoved();
    void Panel3DblClick();
    void Panel4DblClick();
    void showDebugOption(bool visible);

    OptionSet& options_;
    int zebraShown_ = 75; // the track bar's position that the label shows
};

} // namespace kw
