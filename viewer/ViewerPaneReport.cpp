// "Сравнить все разделы": every topic of the two results compared on the stored files, off the window's
// thread, and the report of which topics differ shown in place of the two sides.
#include <windows.h>

#include "platform/Text.h"
#include "results/ComparisonReport.h"
#include "results/FolderComparison.h"
#include "results/LocaleText.h"
#include "viewer/ViewerPane.h"

namespace kw {
namespace {

namespace id = viewer_id;
enum ReportCommand { kSaveTsv = 3001, kSaveRtf, kCloseReport };

} // namespace

void ViewerPane::compareAll() {
    if (comparingAll_) {
        stopAll_.store(true); // the button reads "Остановить сравнение" meanwhile
        return;
    }
    if (!side2Visible_)
        return;
    comparingAll_ = true;
    stopAll_.store(false);
    setStripButtonText(id::kCompareAll, L"Остановить сравнение");
    if (onStatus)
        onStatus("Сравнение разделов...");
    CompareOptions options = compareOptionsOf(options_);
    if (allWorker_.joinable())
        allWorker_.join();
    allWorker_ = std::thread([this, options] {
        auto result = std::make_shared<FolderComparison>(
            compareFolders(files_, workFolder_, compareFolder_, options, [this](int done, int total) {
                PostMessageW(hwnd_, kProgressMessage, static_cast<WPARAM>(done), static_cast<LPARAM>(total));
                return !stopAll_.load();
            }));
        std::lock_guard lock(allMutex_);
        allResult_ = std::move(result);
        PostMessageW(hwnd_, kCompareDoneMessage, 0, 0);
    });
}

void ViewerPane::compareProgress(int done, int total) {
    if (!comparingAll_)
        return;
    if (onProgress)
        onProgress(total > 0 ? done * 100 / total : 0);
    if (onStatus)
        onStatus("Сравнение разделов: " + std::to_string(done) + " из " + std::to_string(total));
}

void ViewerPane::compareAllDone() {
    if (allWorker_.joinable())
        allWorker_.join();
    comparingAll_ = false;
    setStripButtonText(id::kCompareAll, L"Сравнить все разделы");
    {
        std::lock_guard lock(allMutex_);
        report_ = std::move(*allResult_);
        allResult_.reset();
    }
    int differing = 0;
    for (const TopicComparison& row : report_.rows)
        differing += row.state != TopicState::Same;
    if (onProgress)
        onProgress(0);
    if (onStatus)
        onStatus((report_.stopped ? "Сравнение разделов остановлено: " : "Сравнение разделов: ") +
                 std::to_string(differing) + " различаются из " + std::to_string(report_.rows.size()));
    reportGrid_.model().ClearTable();
    reportGrid_.model().LoadTableFile(decodeText(comparisonReportTsv(report_), Encoding::Ansi));
    reportGrid_.modelChanged();
    reportGrid_.AutoSizeColumns(kTableColumns - 1);
    SendMessageW(strip_, TB_HIDEBUTTON, id::kShowReport, FALSE);
    showReport(true);
}

void ViewerPane::showReport(bool visible) {
    reportShown_ = visible;
    SendMessageW(strip_, TB_CHECKBUTTON, id::kShowReport, visible);
    layout();
    if (visible)
        SetFocus(reportGrid_.hwnd());
}

void ViewerPane::reportDoubleClick() {
    int row = reportGrid_.current().row;
    if (row < 1 || row > static_cast<int>(report_.rows.size()))
        return;
    // The topic's two files load as usual, and "Построчное сравнение" can be pressed there.
    showReport(false);
    selectNode(report_.rows[static_cast<size_t>(row - 1)].node);
}

void ViewerPane::reportContextMenu(int x, int y) {
    HMENU m = CreatePopupMenu();
    AppendMenuW(m, MF_STRING, kSaveTsv, L"Сохранить отчёт (текст с табуляцией)...");
    AppendMenuW(m, MF_STRING, kSaveRtf, L"Сохранить отчёт (RTF)...");
    AppendMenuW(m, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(m, MF_STRING, kCloseReport, L"Закрыть отчёт");
    int cmd = TrackPopupMenu(m, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, hwnd_, nullptr);
    DestroyMenu(m);
    if (cmd == kCloseReport)
        showReport(false);
    if (cmd == kSaveTsv)
        saveReport(false);
    if (cmd == kSaveRtf)
        saveReport(true);
}

bool ViewerPane::saveReport(bool richText) {
    auto path = desktop_.chooseFileToSave(hwnd_,
                                          richText ? "Rich Text Files (*.rtf)|*.rtf|Все файлы (*.*)|*.*"
                                                   : "Текст (*.txt)|*.txt|Все файлы (*.*)|*.*",
                                          richText ? "Сравнение разделов.rtf" : "Сравнение разделов.txt",
                                          richText ? "rtf" : "txt");
    if (!path)
        return false;
    if (files_.writeFile(*path, richText ? comparisonReportRtf(report_) : comparisonReportTsv(report_)))
        return true;
    desktop_.showMessage(hwnd_, "Не удалось записать файл " + *path, MessageKind::Error);
    return false;
}

} // namespace kw
