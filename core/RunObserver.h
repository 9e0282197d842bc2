// What a collection run tells the window that shows it (or a hidden run, or a test).
// Calls come from the thread that runs the collection.
#pragma once
#include <string>

namespace kw {

class RunObserver {
  public:
    virtual ~RunObserver() = default;
    virtual void progressChanged(int /*value*/) {} // bar, percentage label, status panel 1
    virtual void progressCaptionChanged(const std::string& /*text*/) {} // the caption of the progress group
    virtual void topicChanged(const std::string& /*text*/) {}           // status panel 2
    virtual void runningLayout() {} // events panel fills the window, progress group shown, "Стоп" shown
    virtual void idleLayout() {}    // events panel back at the bottom, results shown, "Пуск" shown
    virtual void showTimingLog() {} // "Показать лог"
    virtual void resultCommandsEnabled(bool /*on*/) {} // "Сохранить информацию..." and "Загрузить ... (2)"
    virtual void refreshCurrentNode() {}
    virtual void autoSave() {} // "Сохранить информацию..." after a complete run
    virtual void saveFailed(const std::string& /*path*/) {}
};

} // namespace kw
