#include "app/ResultsArea.h"

#include "app/resource.h"

namespace kw {

void ResultsArea::create(HWND window, HFONT font) {
    viewer_ =
        std::make_unique<ViewerPane>(platform_.files, platform_.desktop, options_, settings_,
                                     folders_.folderPath(kWorkFolder), folders_.folderPath(kCompareFolder));
    viewer_->create(window, font);
}

void ResultsArea::move(int x, int y, int width, int height) {
    if (viewer_)
        viewer_->move(x, y, width, height);
}

void ResultsArea::show(bool visible) {
    if (viewer_)
        ShowWindow(viewer_->hwnd(), visible ? SW_SHOW : SW_HIDE);
}

void ResultsArea::runStarted() {
    HWND caption = GetDlgItem(viewer_->hwnd(), viewer_id::kCaption1);
    if (GetWindowTextLengthW(caption) > 0)
        SetWindowTextW(caption, L"");
}

void ResultsArea::offerResults(bool on) {
    commands_.setEnabled(IDC_SAVE_PACKAGE, on);
    commands_.setEnabled(IDC_LOAD_COMPARE, on);
}

void ResultsArea::showPackage(bool side2, const std::string& fileName) {
    if (side2) {
        viewer_->showSide2(true);
        viewer_->setSide2Caption("(2) " + fileName);
        viewer_->showSide1Caption(true);
        commands_.setMenuItemEnabled(IDC_COMPARE_ALL, true);
    } else {
        viewer_->setSide1Caption("(1) " + fileName, true);
    }
    // The menu's save only: the tool button stays as the last run left it.
    commands_.setMenuItemEnabled(IDC_SAVE_PACKAGE, true);
    commands_.setEnabled(IDC_LOAD_COMPARE, true);
    commands_.redrawMenuBar();
    viewer_->RefreshCurrentNode();
}

void ResultsArea::showCleared() {
    commands_.setEnabled(IDC_SAVE_PACKAGE, false);
    commands_.setEnabled(IDC_LOAD_COMPARE, false);
    viewer_->setSide1Caption("Информация", false);
    viewer_->showSide2(false);
    commands_.setMenuItemEnabled(IDC_COMPARE_ALL, false);
}

void ResultsArea::compareAll() {
    if (viewer_->side2Visible())
        viewer_->compareAll();
}

} // namespace kw
