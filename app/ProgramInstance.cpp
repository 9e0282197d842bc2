#include "app/ProgramInstance.h"

#include "app/StartArguments.h"
#include "results/ResultPackage.h"

namespace kw {
namespace {

constexpr int kHotKeyId = 1;

} // namespace

void ProgramInstance::start(HWND window) {
    window_ = window;
    std::string temp = engine_.folders().GetTempDirectory();
    lock_ = processes_.lockInstance(instanceLockName(temp));
    second_ = lock_->heldElsewhere();

    // A second instance leaves the folders of the first one alone; what ended instances and commands
    // left behind goes.
    if (!second_)
        engine_.folders().deleteWorkFolders();
    removeStaleStagingFolders(engine_.platform().files, temp);
    engine_.eventLog().append("Пожалуйста закройте все программы ТАВИР до начала сканирования\r\n");
    engine_.folders().CreateWorkFolder(kWorkFolder);
    engine_.folders().CreateWorkFolder(kCompareFolder);

    bool hotKey = desktop_.registerHotKey(window, kHotKeyId, kModAlt | kModShift, kVkF9);
    if (!hotKey || second_)
        report("ВНИМАНИЕ! Открыто новое окно KW_Scan!\r\n"
               "Информация из предыдущего экземпляра KW_Scan! могла была удалена или изменена.\r\n"
               "Закройте второй экземпляр KW_Scan! и воспользуйтесь командой:\r\n"
               "Файл / Загрузить информацию для сравнения",
               MessageKind::Warning);
}

bool ProgramInstance::isHotKey(WPARAM id) const {
    return id == kHotKeyId;
}

void ProgramInstance::close() {
    // The folders belong to whoever holds the lock now: this instance too, once the first has closed
    // (its collection may be in them).
    if (lock_ && lock_->heldElsewhere())
        return;
    if (keepWork_)
        engine_.folders().DeleteFolderTree(engine_.folders().folderPath(kCompareFolder));
    else
        engine_.folders().deleteWorkFolders();
}

void ProgramInstance::destroy() {
    desktop_.unregisterHotKey(window_, kHotKeyId);
}

} // namespace kw
