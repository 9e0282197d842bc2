// The start-choice form "Внимание!": what the program collects, four ways to go on, "Закрыть и выйти".
// Its choice is kept in the settings (section Start); nothing else acts on it.
#pragma once
#include <windows.h>

#include "settings/DialogWindow.h"
#include "settings/Settings.h"

namespace kw {

class StartForm final : public DialogWindow {
  public:
    explicit StartForm(Settings& settings) : settings_(settings) {}
    bool create(HINSTANCE instance, HWND owner);

    static constexpr int kFirstChoiceId = 100;  // RBpo, RBpoLIBS, RBtools, RBopen
    static constexpr int kCloseAndExitId = 110; // CheckBox1 "Закрыть и выйти"
    static constexpr int kNextId = 111;         // Button1 "Далее"
    static constexpr int kCancelId = 112;       // Button2 "Отмена"

    bool closeAndExit() const;

  private:
    void buildControls() override;
    void shown() override;
    bool handle(UINT msg, WPARAM wp, LPARAM lp, INT_PTR* result) override;
    void Button1Click();

    Settings& settings_;
};

} // namespace kw
