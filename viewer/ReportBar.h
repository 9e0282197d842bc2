// The row above the report of a whole comparison: the two noise options, "Не учитывать время,
// длительности и временные пути" and "Не учитывать имя компьютера и пользователя", and "Сохранить
// отчёт...". Its controls are children of the owner, which passes on their WM_COMMAND.
#pragma once
#include <windows.h>

#include <functional>

#include "results/NoiseRules.h"

namespace kw {

class ReportBar {
  public:
    bool create(HWND parent, HFONT font, int firstId);
    // Shown in the top strip of `room`, which loses that strip; hidden, `room` stays as it is.
    void place(RECT& room, bool visible, int height);

    NoiseOptions noise() const { return noise_; }
    void setNoise(const NoiseOptions& noise);

    // A WM_COMMAND of the owner: true when it came from the bar.
    bool command(int id);
    std::function<void()> onNoiseChanged; // an option was switched
    std::function<void()> onSave;         // "Сохранить отчёт..."

  private:
    HWND times_ = nullptr, names_ = nullptr, save_ = nullptr;
    int firstId_ = 0;
    NoiseOptions noise_;
};

} // namespace kw
