// The library box's controls, its searches on the window's thread (an index answers in milliseconds) and
// the adding of a folder on a thread of its own, which tells its progress by posted messages.
#include "app/LibraryWindow.h"

#include <commctrl.h>

#include "app/LibraryPlaceFromSettings.h"
#include "library/LibraryReport.h"
#include "library/PackageIntake.h"
#include "platform/Processes.h"
#include "platform/SystemInfo.h"
#include "platform/Text.h"
#include "platform/Window.h"

namespace kw {
namespace {

constexpr UINT kAddProgress = WM_APP + 40, kAddDone = WM_APP + 41;
constexpr int kWidth = 780, kHeight = 520;

std::string nowText() {
    return libraryTimestamp(windowsSystemInfo());
}

} // namespace

LibraryWindow::~LibraryWindow() {
    stop_ = true;
    if (worker_.joinable())
        worker_.join();
}

bool LibraryWindow::create(HINSTANCE instance, HWND owner) {
    loadCommonControls(ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS);
    return DialogWindow::create(instance, owner, "Библиотека пакетов", kWidth, kHeight);
}

void LibraryWindow::buildControls() {
    const struct {
        const char* label;
        int id;
    } filters[] = {{"Компьютер:", kComputerId},   {"Продукт:", kProductId}, {"Версия:", kVersionId},
                   {"Код проблемы:", kFindingId}, {"Имя файла:", kFileId},  {"MD5 или SHA-256:", kHashId}};
    for (int i = 0; i < 6; ++i) {
        int x = 12 + (i % 3) * 250, y = 12 + (i / 3) * 28;
        addControl(L"STATIC", filters[i].label, WS_VISIBLE | SS_RIGHT, 0, x, y + 3, 100, 18);
        addControl(L"EDIT", "", WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, filters[i].id, x + 104,
                   y, 136, 22);
    }
    addControl(L"BUTTON", "Найти", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, kFindId, 12, 70, 100, 26);
    addControl(L"STATIC", "", WS_VISIBLE | SS_LEFT | SS_ENDELLIPSIS, kCountId, 124, 75, 640, 18);
    HWND list =
        addControl(WC_LISTVIEWW, "", WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                   kListId, 12, 102, 756, 290, WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    const int widths[] = {210, 110, 100, 120, 110, 100};
    for (int c = 0; c < 6; ++c) {
        std::wstring title = toWide(kLibraryColumns[c]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = title.data();
        column.cx = px(widths[c]);
        ListView_InsertColumn(list, c, &column);
    }
    int y = 400;
    addControl(L"BUTTON", "Открыть", WS_VISIBLE | WS_TABSTOP, kOpenId, 12, y, 100, 26);
    addControl(L"BUTTON", "Открыть для сравнения", WS_VISIBLE | WS_TABSTOP, kOpenSide2Id, 118, y, 160, 26);
    addControl(L"BUTTON", "Сравнить с предыдущим", WS_VISIBLE | WS_TABSTOP, kPreviousId, 284, y, 160, 26);
    addControl(L"BUTTON", "Добавить пакеты...", WS_VISIBLE | WS_TABSTOP, kAddId, 450, y, 130, 26);
    addControl(L"BUTTON", "Стоп", WS_TABSTOP, kStopId, 586, y, 60, 26);
    HWND bar = addControl(PROGRESS_CLASSW, "", PBS_SMOOTH, kProgressId, 652, y + 4, 116, 18);
    SendMessageW(bar, PBM_SETRANGE32, 0, 100);
    y += 40;
    addControl(L"STATIC", "Библиотека:", WS_VISIBLE | SS_RIGHT, 0, 12, y + 3, 76, 18);
    addControl(L"EDIT", "", WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, kPlaceId, 92, y, 570, 22);
    addHint(GetDlgItem(hwnd(), kPlaceId),
            "Путь файла SQLite или odbc: и строка подключения ODBC (пароль хранится в защищённом виде)");
    addControl(L"BUTTON", "Применить", WS_VISIBLE | WS_TABSTOP, kApplyPlaceId, 668, y - 1, 100, 26);
    addControl(L"BUTTON", "Добавлять открытые пакеты в библиотеку", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
               kAddOpenedId, 92, y + 32, 400, 20);
}

void LibraryWindow::shown() {
    LibraryPlace place = libraryPlaceOf(settings_, files_);
    SetDlgItemTextW(hwnd(), kPlaceId, toWide(place.odbc() ? settings_.place : place.text).c_str());
    setChecked(hwnd(), kAddOpenedId, settings_.addOpened);
    if (openLibrary())
        find();
}

void LibraryWindow::closing() {
    stop_ = true;
}

bool LibraryWindow::openLibrary() {
    LibraryPlace place = libraryPlaceOf(settings_, files_);
    try {
        library_ = std::make_unique<PackageLibrary>(place);
        return true;
    } catch (const SqlError& e) {
        library_.reset();
        setCount("Библиотека " + place.shown() + " не открыта: " + e.what());
        return false;
    }
}

void LibraryWindow::setCount(const std::string& text) {
    SetDlgItemTextW(hwnd(), kCountId, toWide(text).c_str());
}

std::string LibraryWindow::countText() const {
    return windowText(GetDlgItem(hwnd(), kCountId));
}

void LibraryWindow::find() {
    if (!library_ && !openLibrary())
        return;
    auto field = [&](int id) { return windowText(GetDlgItem(hwnd(), id)); };
    LibraryFilter filter{.computer = field(kComputerId),
                         .product = field(kProductId),
                         .version = field(kVersionId),
                         .finding = field(kFindingId),
                         .file = field(kFileId),
                         .hash = field(kHashId)};
    try {
        found_ = library_->find(filter);
    } catch (const SqlError& e) {
        found_.clear();
        setCount(std::string("Поиск не удался: ") + e.what());
        return;
    }
    HWND list = GetDlgItem(hwnd(), kListId);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    for (size_t i = 0; i < found_.size(); ++i) {
        std::vector<std::string> cells = libraryCells(found_[i]);
        std::wstring first = toWide(cells[0]);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = first.data();
        int row = ListView_InsertItem(list, &item);
        for (int c = 1; c < 6; ++c) {
            std::wstring text = toWide(cells[static_cast<size_t>(c)]);
            ListView_SetItemText(list, row, c, text.data());
        }
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    setCount("Найдено пакетов: " + std::to_string(found_.size()) + " (в библиотеке " +
             std::to_string(library_->packageCount()) + ")");
}

std::optional<LibraryPackage> LibraryWindow::selected() {
    int row = ListView_GetNextItem(GetDlgItem(hwnd(), kListId), -1, LVNI_SELECTED);
    if (row < 0 || static_cast<size_t>(row) >= found_.size()) {
        if (report)
            report("Выберите пакет в списке.");
        return std::nullopt;
    }
    return found_[static_cast<size_t>(row)];
}

void LibraryWindow::openSelected(bool side2) {
    std::optional<LibraryPackage> p = selected();
    if (!p)
        return;
    if (!files_.plainFileExists(p->sourcePath)) {
        if (report)
            report("Файл пакета не найден: " + p->sourcePath);
        return;
    }
    close();
    if (open)
        open(p->sourcePath, side2);
}

void LibraryWindow::compareSelectedWithPrevious() {
    std::optional<LibraryPackage> p = selected();
    if (!p || !library_)
        return;
    std::optional<LibraryPackage> before;
    try {
        before = p->collectedOrder.empty() ? std::nullopt : library_->previous(*p);
    } catch (const SqlError& e) {
        if (report)
            report(std::string("Поиск предыдущего пакета не удался: ") + e.what());
        return;
    }
    if (!before) {
        if (report)
            report("В библиотеке нет пакета компьютера " + p->computer + ", собранного раньше " +
                   p->collected + ".");
        return;
    }
    for (const std::string& path : {p->sourcePath, before->sourcePath})
        if (!files_.plainFileExists(path)) {
            if (report)
                report("Файл пакета не найден: " + path);
            return;
        }
    close();
    if (compareWithPrevious)
        compareWithPrevious(p->sourcePath, before->sourcePath);
}

void LibraryWindow::addFolder() {
    if (adding() || (!library_ && !openLibrary()))
        return;
    std::optional<std::string> folder = chooseFolder ? chooseFolder() : std::nullopt;
    if (!folder)
        return;
    std::vector<std::string> missing;
    std::vector<std::string> packages = packagesUnder(files_, {*folder}, missing);
    stop_ = false;
    done_ = 0, refused_ = 0, total_ = static_cast<int>(packages.size());
    ShowWindow(GetDlgItem(hwnd(), kStopId), SW_SHOW);
    ShowWindow(GetDlgItem(hwnd(), kProgressId), SW_SHOW);
    EnableWindow(GetDlgItem(hwnd(), kAddId), FALSE);
    setCount("Добавляем пакеты: 0 из " + std::to_string(packages.size()));
    // A connection of its own: the box keeps searching meanwhile.
    LibraryPlace place = libraryPlaceOf(settings_, files_);
    HWND box = hwnd();
    worker_ = std::thread([this, box, place, packages] {
        try {
            PackageLibrary library(place);
            std::string staging =
                files_.tempDirectory() + "KW_Library_" + std::to_string(currentProcessId()) + "_window";
            PackageIntake intake(files_, library, staging, editions_);
            intake.addAll(packages, nowText, [&](const std::string&, const IntakeOutcome& outcome) {
                if (outcome.state == IntakeState::Refused)
                    ++refused_;
                ++done_;
                PostMessageW(box, kAddProgress, 0, 0);
                return !stop_;
            });
        } catch (const SqlError&) {
            refused_ = total_ - done_;
        }
        PostMessageW(box, kAddDone, 0, 0);
    });
}

void LibraryWindow::addingDone() {
    if (worker_.joinable())
        worker_.join();
    ShowWindow(GetDlgItem(hwnd(), kStopId), SW_HIDE);
    ShowWindow(GetDlgItem(hwnd(), kProgressId), SW_HIDE);
    EnableWindow(GetDlgItem(hwnd(), kAddId), TRUE);
    find();
    setCount(countText() + (stop_ ? ". Добавление остановлено: " : ". Просмотрено пакетов: ") +
             std::to_string(done_.load()) + " из " + std::to_string(total_.load()) +
             ", отклонено: " + std::to_string(refused_.load()));
}

void LibraryWindow::applyPlace() {
    std::string text = windowText(GetDlgItem(hwnd(), kPlaceId));
    if (text.empty()) {
        settings_.place.clear();
        settings_.protectedPassword.clear();
    } else if (!rememberLibraryPlace(LibraryPlace{text}, settings_)) {
        if (report)
            report("Пароль не удалось сохранить в защищённом виде: место библиотеки не изменено.");
        return;
    }
    if (settingsChanged)
        settingsChanged();
    SetDlgItemTextW(hwnd(), kPlaceId,
                    toWide(libraryPlaceOf(settings_, files_).odbc() ? settings_.place
                                                                    : libraryPlaceOf(settings_, files_).text)
                        .c_str());
    library_.reset();
    if (openLibrary())
        find();
}

bool LibraryWindow::handle(UINT msg, WPARAM wp, LPARAM lp, INT_PTR* result) {
    switch (msg) {
    case WM_COMMAND: {
        const int id = LOWORD(wp), code = HIWORD(wp);
        if (code != BN_CLICKED && id != IDCANCEL && id != IDOK)
            return false;
        switch (id) {
        case kFindId:
        case IDOK: // Enter in a condition
            find();
            break;
        case kOpenId:
            openSelected(false);
            break;
        case kOpenSide2Id:
            openSelected(true);
            break;
        case kPreviousId:
            compareSelectedWithPrevious();
            break;
        case kAddId:
            addFolder();
            break;
        case kStopId:
            stop_ = true;
            break;
        case kApplyPlaceId:
            applyPlace();
            break;
        case kAddOpenedId:
            settings_.addOpened = isChecked(hwnd(), kAddOpenedId);
            if (settingsChanged)
                settingsChanged();
            break;
        case IDCANCEL:
            close();
            break;
        default:
            return false;
        }
        *result = 0;
        return true;
    }
    case WM_NOTIFY: {
        const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lp);
        if (hdr->idFrom == static_cast<UINT_PTR>(kListId) && hdr->code == NM_DBLCLK) {
            openSelected(false);
            *result = 0;
            return true;
        }
        return false;
    }
    case kAddProgress:
        SendDlgItemMessageW(hwnd(), kProgressId, PBM_SETPOS, total_ ? done_ * 100 / total_ : 0, 0);
        setCount("Добавляем пакеты: " + std::to_string(done_.load()) + " из " +
                 std::to_string(total_.load()));
        *result = 0;
        return true;
    case kAddDone:
        addingDone();
        *result = 0;
        return true;
    }
    (void)lp;
    return false;
}

} // namespace kw
