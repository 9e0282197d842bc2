#include "app/ClearResults.h"

namespace kw {
namespace {

constexpr UINT_PTR kPauseTimer = 1;

} // namespace

void ClearResults::run() {
    if (windowBusy())
        return;
    if (!desktop_.confirm(window_, "Удалить результаты сканирования?"))
        return;
    engine_.eventLog().clear();
    engine_.captureBuffer().clear();
    engine_.folders().deleteWorkFolders();
    engine_.eventLog().append("Результаты сканирования удалены.");
    engine_.folders().CreateWorkFolder(kWorkFolder);
    engine_.folders().CreateWorkFolder(kCompareFolder);
    cleared();
    pausing_ = true;
    SetTimer(window_, kPauseTimer, 3 * 1000, nullptr);
}

void ClearResults::timer(WPARAM timerId) {
    if (timerId != kPauseTimer)
        return;
    KillTimer(window_, kPauseTimer);
    pausing_ = false;
    pauseOver();
    LocalTime now = system_.now();
    std::string line = "Удалены результаты - [" + system_.longTime(now) + "]";
    engine_.eventLog().append("\r\n" + line);
    engine_.timingLog().append(line);
    engine_.timingLog().append(" ");
    finished(line);
}

} // namespace kw
