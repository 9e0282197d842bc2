// The shortcut menus of the results area, as rows: the tree's, a text view's, a table's and the report's.
#include "platform/PopupMenu.h"
#include "viewer/ViewerPane.h"

namespace kw {
namespace {

enum MenuCommand {
    kExpand = 1,
    kCollapse,
    kTreeFind,
    kTreeFindNext,
    kCopy,
    kSelectAll,
    kTextFind,
    kTextFindNext,
    kCopyRow,
    kSortFirst,
    kFitFirst,
    kFitAll,
    kTableFind,
    kTableFindNext,
};
enum ReportCommand { kSaveTsv = 3001, kSaveRtf, kCloseReport, kSaveHtml };

} // namespace

void ViewerPane::contextMenu(HWND control, int x, int y) {
    if (control == tree_.hwnd()) {
        const MenuRow rows[] = {
            {.command = kExpand, .text = L"Развернуть", .run = [this] { expandAll(true); }},
            {.command = kCollapse, .text = L"Свернуть", .run = [this] { expandAll(false); }},
            {},
            {.command = kTreeFind, .text = L"Поиск по дереву\tCtrl+F", .run = [this] { treeSearch(false); }},
            {.command = kTreeFindNext,
             .text = L"Продолжить поиск по дереву\tF3",
             .run = [this] { treeSearch(true); }},
        };
        showPopupMenu(hwnd(), rows, x, y, control);
        return;
    }
    int n = control == side1_.text.hwnd() || control == side1_.grid.hwnd() ? 1 : 2;
    if (control == side(n).text.hwnd()) {
        const MenuRow rows[] = {
            {.command = kCopy, .text = L"Копировать", .run = [this, n] { side(n).text.copy(); }},
            {.command = kSelectAll, .text = L"Выделить все", .run = [this, n] { side(n).text.selectAll(); }},
            {},
            {.command = kTextFind, .text = L"Поиск\tCtrl+F", .run = [this, n] { FindInText(n, false); }},
            {.command = kTextFindNext,
             .text = L"Продолжить поиск\tF3",
             .run = [this, n] { FindInText(n, true); }},
        };
        showPopupMenu(hwnd(), rows, x, y, control);
    } else if (control == side(n).grid.hwnd()) {
        const MenuRow rows[] = {
            {.command = kCopyRow,
             .text = L"Копировать строку\tCtrl+C",
             .run = [this, n] { CopySelectedRows(n); }},
            {},
            {.command = kSortFirst,
             .text = L"Сортировать первый столбец",
             .run = [this, n] { SortByFirstColumn(n); }},
            {},
            {.command = kFitFirst,
             .text = L"Автоподбор, первый столбец",
             .run = [this, n] { autoFit(n, true); }},
            {.command = kFitAll, .text = L"Автоподбор, таблица", .run = [this, n] { autoFit(n, false); }},
            {},
            {.command = kTableFind, .text = L"Поиск\tCtrl+F", .run = [this, n] { tableSearch(n, false); }},
            {.command = kTableFindNext,
             .text = L"Продолжить поиск\tF3",
             .run = [this, n] { tableSearch(n, true); }},
        };
        showPopupMenu(hwnd(), rows, x, y, control);
    }
}

void ViewerPane::reportContextMenu(int x, int y) {
    const MenuRow rows[] = {
        {.command = kSaveHtml, .text = L"Сохранить отчёт...", .run = [this] { saveReportHtml(); }},
        {.command = kSaveTsv,
         .text = L"Сохранить отчёт (текст с табуляцией)...",
         .run = [this] { saveReport(false); }},
        {.command = kSaveRtf, .text = L"Сохранить отчёт (RTF)...", .run = [this] { saveReport(true); }},
        {},
        {.command = kCloseReport, .text = L"Закрыть отчёт", .run = [this] { showReport(false); }},
    };
    showPopupMenu(hwnd(), rows, x, y);
}

} // namespace kw
