// The results area of the main window: the result tree on the left with its splitter, side 1 (work
// folder) with its caption bar, side 2 (comparison folder) hidden until a comparison package is
// opened, the viewer's tool strip and the hidden search bar. The main window hosts it as one child.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/UiHandles.h"
#include "results/FolderComparison.h"
#include "results/ResultViewer.h"
#include "settings/OptionSet.h"
#include "settings/Settings.h"
#include "viewer/TableGrid.h"
#include "viewer/ViewerIds.h"

namespace kw {

class ViewerPane {
  public:
    ViewerPane(FileSystem& files, Desktop& desktop, OptionSet& options, Settings& settings,
               std::string workFolder, std::string compareFolder);
    ~ViewerPane();
    ViewerPane(const ViewerPane&) = delete;
    ViewerPane& operator=(const ViewerPane&) = delete;

    bool create(HWND parent, HFONT font);
    HWND hwnd() const { return hwnd_; }
    void move(int x, int y, int width, int height);

    void RefreshCurrentNode();
    // The main window became the active window: side 1's table gets its inventory column widths.
    void activated();

    // Side 2 with its splitter and "Размещение панелей" (a comparison package is open).
    void showSide2(bool visible);
    bool side2Visible() const { return side2Visible_; }
    void setSide1Caption(const std::string& text, bool visible);
    void showSide1Caption(bool visible);
    void setSide2Caption(const std::string& text);
    void setSideBySide(bool sideBySide); // ToolButton39

    // The tree, by node index in tree order (-1: none).
    int selectedNode() const;
    void selectNode(int index);
    bool FindTreeNode(const std::string& text, bool continueSearch);
    void expandAll(bool expand);
    bool exportTree(const std::string& path); // the tree as text in the ANSI code page
    bool exportTreeDat() { return exportTree(workFolder_ + "\\tree.dat"); } // the hidden tool button

    ResultViewer& viewer() { return *viewer_; }
    TableGrid& table(int side) { return side == 1 ? side1_.grid : side2_.grid; }
    HWND textView(int side) const { return side == 1 ? side1_.text : side2_.text; }
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
    bool comparingAll() const { return comparingAll_; }
    bool reportShown() const { return reportShown_; }
    const FolderComparison& report() const { return report_; }
    TableGrid& reportTable() { return reportGrid_; }
    void showReport(bool visible);
    void reportDoubleClick(); // selects the topic of the current report row
    bool saveReport(bool richText);
    std::function<void(const std::string&)> onStatus; // what a long command is doing, for the status bar
    std::function<void(int)> onProgress;              // its percentage

    // Questions and messages go through these, so that tests can answer them.
    std::function<std::optional<std::string>(const std::string& title, const std::string& prompt,
                                             const std::string& initial)>
        ask;
    std::string sharedSearch; // tree and table searches

  private:
    struct Side final : SideViews {
        HWND text = nullptr;
        TableGrid grid;
        bool textShown = true, tableShown = false;
        bool richShown = false; // the text view shows a rich-text file
        std::function<void()> relayout;
        void showText(bool v) override;
        void showTable(bool v) override;
        void setPlainText(const std::wstring& t) override;
        void setRichText(const std::string& rtf) override;
        void setWordWrap(bool on) override;
        TableModel& table() override { return grid.model(); }
        void tableChanged() override { grid.modelChanged(); }
        void autoFitTable() override { grid.AutoSizeColumns(kTableColumns); }
    };

    static LRESULT CALLBACK proc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK keyProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    LRESULT handle(UINT, WPARAM, LPARAM);
    void layout();
    void createTree();
    void contextMenu(HWND control, int x, int y);
    bool overSplitter(int x) const; // between the tree and the views
    void applyDrawOptions();
    bool onKey(HWND control, UINT key);
    void notFound(const std::string& text);
    Side& side(int n) { return n == 1 ? side1_ : side2_; }
    void setStripButtonText(int command, const wchar_t* text);
    void CopyRows(TableGrid& g);
    void compareProgress(int done, int total);
    void compareAllDone();
    void reportContextMenu(int x, int y);
    static constexpr UINT kProgressMessage = WM_APP + 40;    // wParam done, lParam total
    static constexpr UINT kCompareDoneMessage = WM_APP + 41; // the whole comparison has ended

    FileSystem& files_;
    Desktop& desktop_;
    OptionSet& options_;
    Settings& settings_;
    std::string workFolder_, compareFolder_;
    Side side1_, side2_;
    std::unique_ptr<ResultViewer> viewer_;
    std::string textSearch_[2]; // remembered per text view

    HWND hwnd_ = nullptr, tree_ = nullptr, strip_ = nullptr, caption1_ = nullptr, caption2_ = nullptr;
    HWND searchBar_ = nullptr;
    HFONT font_ = nullptr;
    ImageList images_;
    std::vector<HTREEITEM> items_;
    bool side2Visible_ = false, sideBySide_ = true, caption1Visible_ = false;
    int treeWidth_ = 312;
    bool draggingSplitter_ = false;
    bool draggingSides_ = false;
    double side1Share_ = 0.5;            // of the room the two sides share
    RECT sidesSplitter_{}, sidesArea_{}; // Splitter6 and the room of both sides, from the last layout

    TableGrid reportGrid_;
    FolderComparison report_;
    bool reportShown_ = false, comparingAll_ = false;
    std::atomic<bool> stopAll_{false};
    std::thread allWorker_;
    std::mutex allMutex_;
    std::shared_ptr<FolderComparison> allResult_; // handed over from the comparing thread
};

} // namespace kw
