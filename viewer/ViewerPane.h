// The results area of the main window: the result tree on the left with its splitter, side 1 (work
// folder) with its caption bar, side 2 (comparison folder) hidden until a comparison package is
// opened, the viewer's tool strip and the hidden search bar. The main window hosts it as one child.
// The pane composes and lays out its components; the commands of its menus and shortcuts are in
// ViewerPaneCommands.cpp and ViewerPaneMenus.cpp, the comparisons in ViewerPaneCompare.cpp and
// ViewerPaneReport.cpp.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/Window.h"
#include "results/FolderComparison.h"
#include "results/ResultViewer.h"
#include "settings/OptionSet.h"
#include "settings/Settings.h"
#include "viewer/CompareAllJob.h"
#include "viewer/ReportBar.h"
#include "viewer/ResultTreeView.h"
#include "viewer/Splitter.h"
#include "viewer/TableGrid.h"
#include "viewer/TextView.h"
#include "viewer/ViewToolStrip.h"
#include "viewer/ViewerIds.h"

namespace kw {

class ViewerPane : public Window {
  public:
    ViewerPane(FileSystem& files, Desktop& desktop, OptionSet& options, Settings& settings,
               std::string workFolder, std::string compareFolder);
    ~ViewerPane() override;

    bool create(HWND parent, HFONT font);
    void move(int x, int y, int width, int height);
    // The tree panel as wide as the settings say (after "Загрузить настройки").
    void applyTreeWidth();

    void RefreshCurrentNode();
    // The main window became the active window: the draw options are applied again, and side 1's table
    // gets its inventory column widths when `resetWidths`.
    void activated(bool resetWidths = true);

    // Side 2 with its splitter and "Размещение панелей" (a comparison package is open).
    void showSide2(bool visible);
    bool side2Visible() const { return side2Visible_; }
    void setSide1Caption(const std::string& text, bool visible);
    void showSide1Caption(bool visible);
    void setSide2Caption(const std::string& text);
    void setSideBySide(bool sideBySide); // ToolButton39

    // The tree, by node index in tree order (-1: none).
    int selectedNode() const { return tree_.selectedNode(); }
    void selectNode(int index) { tree_.selectNode(index); }
    bool FindTreeNode(const std::string& text, bool continueSearch) {
        return tree_.find(text, continueSearch);
    }
    void expandAll(bool expand) { tree_.expandAll(expand); }
    bool exportTree(const std::string& path) { return tree_.exportTo(path); } // ANSI text
    bool exportTreeDat() { return exportTree(workFolder_ + "\\tree.dat"); }   // the hidden tool button

    ResultViewer& viewer() { return *viewer_; }
    TableGrid& table(int side) { return side == 1 ? side1_.grid : side2_.grid; }
    HWND textView(int side) const { return side == 1 ? side1_.text.hwnd() : side2_.text.hwnd(); }
    void setConsoleConversion(bool on); // ToolButton45 toggled: the open node is shown again
    void setWordWrap(bool on);          // ToolButton55

    // The commands of the context menus, for the shortcuts and for tests.
    void treeSearch(bool continueSearch);
    void tableSearch(int side, bool continueSearch);
    void FindInText(int side, bool continueSearch);
    void CopySelectedRows(int side);
    void SortByFirstColumn(int side);
    void autoFit(int side, bool firstColumnOnly);
    void headerPress(int side, CellPos cell); // SortByColumn, with the side 1 gate
    void tableDoubleClick();
    // "Построчное сравнение": the lines or rows the two sides of the open node have in common are removed
    // from both views (the files stay as they are; selecting the node again shows them whole).
    void compareVisiblePair();
    // "Сравнить все разделы": every topic of both folders compared on the files as stored, off this
    // thread; pressed again while it runs, it stops. The report then stands in place of the two sides.
    void compareAll();
    bool comparingAll() const { return compareJob_.running(); }
    bool reportShown() const { return reportShown_; }
    const FolderComparison& report() const { return report_; }
    TableGrid& reportTable() { return reportGrid_; }
    void showReport(bool visible);
    void reportDoubleClick(); // selects the topic of the current report row
    bool saveReport(bool richText);
    bool saveReportHtml(); // "Сохранить отчёт...": the page with the differing lines
    // The noise options of the report bar, which the next whole comparison applies.
    NoiseOptions reportNoise() const { return reportBar_.noise(); }
    void setReportNoise(const NoiseOptions& noise) { reportBar_.setNoise(noise); }
    std::function<void(const std::string&)> onStatus; // what a long command is doing, for the status bar
    std::function<void(int)> onProgress;              // its percentage

    // Questions and messages go through these, so that tests can answer them.
    std::function<std::optional<std::string>(const std::string& title, const std::string& prompt,
                                             const std::string& initial)>
        ask;
    std::string sharedSearch; // tree and table searches

  private:
    struct Side final : SideViews {
        TextView text;
        TableGrid grid;
        bool textShown = true, tableShown = false;
        bool richShown = false; // the text view shows a rich-text file
        std::function<void()> relayout;
        void showText(bool v) override;
        void showTable(bool v) override;
        void setPlainText(const std::wstring& t) override;
        void setRichText(const std::string& rtf) override;
        void setWordWrap(bool on) override { text.setWordWrap(on); }
        TableModel& table() override { return grid.model(); }
        void tableChanged() override { grid.modelChanged(); }
        void autoFitTable() override { grid.AutoSizeColumns(kTableColumns); }
    };

    LRESULT handle(UINT, WPARAM, LPARAM) override;
    void createSides();
    void wireCommands(); // the shortcut keys and the table events (ViewerPaneCommands.cpp)
    void layout();
    void placeSides(const RECT& room);
    void nodeSelected(int node);
    void contextMenu(HWND control, int x, int y);
    void reportContextMenu(int x, int y);
    void applyDrawOptions();
    void notFound(const std::string& text);
    void searchBarFind();
    Side& side(int n) { return n == 1 ? side1_ : side2_; }
    void setStripButtonText(int command, const wchar_t* text);
    void CopyRows(TableGrid& g);
    void compareProgress(int done, int total);
    void compareAllDone(FolderComparison result);

    FileSystem& files_;
    Desktop& desktop_;
    OptionSet& options_;
    Settings& settings_;
    std::string workFolder_, compareFolder_;
    Side side1_, side2_;
    std::unique_ptr<ResultViewer> viewer_;
    std::string textSearch_[2]; // remembered per text view

    ResultTreeView tree_;
    ViewToolStrip strip_;
    HWND caption1_ = nullptr, caption2_ = nullptr;
    HFONT font_ = nullptr;
    bool side2Visible_ = false, caption1Visible_ = false;
    Splitter treeSplitter_{Splitter::Keeps::FirstExtent}; // between the tree and the views
    Splitter sidesSplitter_{Splitter::Keeps::Share};      // Splitter6, between side 1 and side 2

    TableGrid reportGrid_;
    ReportBar reportBar_;
    FolderComparison report_;
    bool reportShown_ = false;
    CompareAllJob compareJob_;
};

} // namespace kw
