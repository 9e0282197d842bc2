// The start-choice form's texts and buttons.
#include "settings/StartForm.h"

namespace kw {
namespace {

constexpr const char* kLines[] = {
    "   KW_Scan! не собирает конфиденциальную информацию и самостоятельно не отсылает ее.",
    "   Собранная информация доступна для просмотра в каталоге %Temp%\\KW_Temp (кнопка \"Открыть каталог с "
    "разультатами\").",
    "   Результат работы программы - файл с расширением \"kw\" (\"cab\" - архив, м.б. открыт, например 7z "
    "или "
    "ассоциативно KW_Scan!).",
};

constexpr const char* kChoices[] = {
    "Сбор информации о системе и установленном ПО ТАВИР",
    "Сбор информации о системе и установленном ПО ТАВИР (включая информацию о библиотеках МИРТАЛ)",
    "Настроить KW_Scan! и начать сбор информации",
    "Открыть kw файл",
};

} // namespace

bool StartForm::create(HINSTANCE instance, HWND owner) {
    return DialogWindow::create(instance, owner, "Внимание!", 605, 224);
}

void StartForm::buildControls() {
    // Label1, Label6, Label7: the longer two wrap onto a second line.
    const int lineY[] = {8, 26, 58};
    for (int i = 0; i < 3; ++i)
        addControl(L"STATIC", kLines[i], WS_VISIBLE | SS_LEFT, -1, 8, lineY[i], 589, i == 0 ? 16 : 30);
    addControl(L"BUTTON", " Варианты: ", WS_VISIBLE | BS_GROUPBOX, -1, 8, 90, 589, 92);
    for (int i = 0; i < 4; ++i)
        addControl(L"BUTTON", kChoices[i],
                   WS_VISIBLE | BS_AUTORADIOBUTTON | BS_NOTIFY | (i == 0 ? WS_GROUP | WS_TABSTOP : 0),
                   kFirstChoiceId + i, 20, 106 + 18 * i, 565, 17);
    addControl(L"BUTTON", "Закрыть и выйти", WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX,
               kCloseAndExitId, 12, 194, 200, 17);
    addControl(L"BUTTON", "Далее", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, kNextId, 418, 190, 85, 26);
    addControl(L"BUTTON", "Отмена", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kCancelId, 512, 190, 85, 26);
    shown();
}

void StartForm::shown() {
    for (int i = 0; i < 4; ++i)
        setChecked(hwnd(), kFirstChoiceId + i, static_cast<int>(settings_.startChoice) == i);
}

bool StartForm::closeAndExit() const {
    return isChecked(hwnd(), kCloseAndExitId);
}

void StartForm::Button1Click() {
    setChecked(hwnd(), kCloseAndExitId, true);
    close();
}

bool StartForm::handle(UINT msg, WPARAM wp, LPARAM, INT_PTR* result) {
    if (msg != WM_COMMAND)
        return false;
    int id = LOWORD(wp), code = HIWORD(wp);
    *result = 0;
    if (id >= kFirstChoiceId && id < kFirstChoiceId + 4) {
        if (code == BN_CLICKED && isChecked(hwnd(), id))
            settings_.startChoice = static_cast<StartChoice>(id - kFirstChoiceId);
        if (code == BN_DOUBLECLICKED)
            Button1Click();
        return true;
    }
    if ((id == kNextId || id == IDOK) && code == BN_CLICKED) {
        Button1Click();
        return true;
    }
    if (id == kCancelId || id == IDCANCEL) {
        close();
        return true;
    }
    return false;
}

} // namespace kw
