// The result tree in a tree-view control: every node of resultTree() in tree order, selected, expanded,
// searched and exported by node index, and the selection reported through onSelectionChanged.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/UiHandles.h"

namespace kw {

class ResultTreeView {
  public:
    explicit ResultTreeView(FileSystem& files) : files_(files) {}
    ResultTreeView(const ResultTreeView&) = delete;
    ResultTreeView& operator=(const ResultTreeView&) = delete;

    // The control with its pictures, filled with every node.
    bool create(HWND parent, int id, HFONT font);
    HWND hwnd() const { return tree_; }

    int selectedNode() const; // -1: none
    void selectNode(int index);
    // FindTreeNode: the next node holding `text` (letter case aside) is selected.
    bool find(const std::string& text, bool continueSearch);
    void expandAll(bool expand);
    bool exportTo(const std::string& path); // the tree as text in the ANSI code page
    void exportChosen();                    // to a ".tree" file the user chooses

    // WM_NOTIFY reaching the parent: true when it came from the tree.
    bool notify(const NMHDR& header);
    std::function<void(int node)> onSelectionChanged; // -1: none
    std::function<void(UINT key)> onSearchKey;        // Ctrl+F, F3

  private:
    FileSystem& files_;
    HWND tree_ = nullptr;
    ImageList images_;
    std::vector<HTREEITEM> items_; // by node index
};

} // namespace kw
