// "Сравнить все разделы": every topic of the two results compared on the stored files by CompareAllJob,
// and the report of which topics differ shown in place of the two sides.
#include "platform/Text.h"
#include "results/ComparisonHtml.h"
#include "results/ComparisonReport.h"
#include "results/LocaleText.h"
#include "viewer/ViewerPane.h"

namespace kw {
namespace {

namespace id = viewer_id;

std::string windowText(HWND w) {
    wchar_t text[1024] = {};
    GetWindowTextW(w, text, 1024);
    return toUtf8(text);
}

} // namespace

void ViewerPane::compareAll() {
    if (compareJob_.running()) {
        compareJob_.stop(); // the button reads "Остановить сравнение" meanwhile
        return;
    }
    if (!side2Visible_)
        return;
    setStripButtonText(id::kCompareAll, L"Остановить сравнение");
    if (onStatus)
        onStatus("Сравнение разделов...");
    compareJob_.start(workFolder_, compareFolder_, compareOptionsOf(options_), reportBar_.noise());
}

void ViewerPane::compareProgress(int done, int total) {
    if (onProgress)
        onProgress(total > 0 ? done * 100 / total : 0);
    if (onStatus)
        onStatus("Сравнение разделов: " + std::to_string(done) + " из " + std::to_string(total));
}

void ViewerPane::compareAllDone(FolderComparison result) {
    setStripButtonText(id::kCompareAll, L"Сравнить все разделы");
    report_ = std::move(result);
    int differing = 0;
    for (const TopicComparison& row : report_.rows)
        differing += differs(row.state);
    if (onProgress)
        onProgress(0);
    if (onStatus)
        onStatus((report_.stopped ? "Сравнение разделов остановлено: " : "Сравнение разделов: ") +
                 std::to_string(differing) + " различаются из " + std::to_string(report_.rows.size()));
    reportGrid_.model().ClearTable();
    reportGrid_.model().LoadTableFile(decodeText(comparisonReportTsv(report_), Encoding::Ansi));
    reportGrid_.modelChanged();
    reportGrid_.AutoSizeColumns(kTableColumns - 1);
    strip_.show(id::kShowReport, true);
    showReport(true);
}

void ViewerPane::showReport(bool visible) {
    reportShown_ = visible;
    strip_.check(id::kShowReport, visible);
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

bool ViewerPane::saveReport(bool richText) {
    auto path = desktop_.chooseFileToSave(hwnd(),
                                          richText ? "Rich Text Files (*.rtf)|*.rtf|Все файлы (*.*)|*.*"
                                                   : "Текст (*.txt)|*.txt|Все файлы (*.*)|*.*",
                                          richText ? "Сравнение разделов.rtf" : "Сравнение разделов.txt",
                                          richText ? "rtf" : "txt");
    if (!path)
        return false;
    if (files_.writeFile(*path, richText ? comparisonReportRtf(report_) : comparisonReportTsv(report_)))
        return true;
    desktop_.showMessage(hwnd(), "Не удалось записать файл " + *path, MessageKind::Error);
    return false;
}

bool ViewerPane::saveReportHtml() {
    auto path = desktop_.chooseFileToSave(hwnd(), "Страница HTML (*.html)|*.html|Все файлы (*.*)|*.*",
                                          "Сравнение разделов.html", "html");
    if (!path)
        return false;
    // The side captions name the opened packages ("(1) " or "(2) " and the file name).
    std::string page = comparisonReportHtml(report_, windowText(caption1_), windowText(caption2_));
    if (files_.writeFile(*path, page))
        return true;
    desktop_.showMessage(hwnd(), "Не удалось записать файл " + *path, MessageKind::Error);
    return false;
}

} // namespace kw
