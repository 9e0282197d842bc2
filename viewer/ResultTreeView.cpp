// The tree-view control of the result tree.
#include "viewer/ResultTreeView.h"

#include <commdlg.h>

#include "platform/Text.h"
#include "platform/Window.h"
#include "results/LocaleText.h"
#include "results/ResultTree.h"
#include "viewer/SearchKeys.h"
#include "viewer/TreeImages.h"

namespace kw {

bool ResultTreeView::create(HWND parent, int id, HFONT font) {
    loadCommonControls(ICC_TREEVIEW_CLASSES);
    tree_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                                TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                            0, 0, 10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleW(nullptr), nullptr);
    if (!tree_)
        return false;
    SendMessageW(tree_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(tree_, TVM_SETINDENT, static_cast<WPARAM>(scaledPixels(parent, 19)), 0);
    images_ = makeTreeImages(scaledPixels(parent, 16));
    SendMessageW(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_.get()));

    SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
    std::vector<HTREEITEM> parents;
    auto nodes = resultTree();
    items_.reserve(nodes.size());
    for (size_t i = 0; i < nodes.size(); ++i) {
        const ResultNode& n = nodes[i];
        parents.resize(static_cast<size_t>(n.depth));
        std::wstring text = toWide(n.text);
        TVINSERTSTRUCTW ins{};
        ins.hParent = parents.empty() ? TVI_ROOT : parents.back();
        ins.hInsertAfter = TVI_LAST;
        ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
        ins.item.pszText = text.data();
        ins.item.iImage = ins.item.iSelectedImage = n.image;
        ins.item.lParam = static_cast<LPARAM>(i);
        HTREEITEM item = reinterpret_cast<HTREEITEM>(
            SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
        items_.push_back(item);
        parents.push_back(item);
    }
    SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
    // Subclassed only now: under Wine a subclassed control costs a server round trip per message, which
    // made the nodes' insertion about 40 ms of the start.
    routeSearchKeys(tree_, &onSearchKey);
    return true;
}

int ResultTreeView::selectedNode() const {
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item)
        return -1;
    TVITEMW it{};
    it.mask = TVIF_PARAM;
    it.hItem = item;
    SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it));
    return static_cast<int>(it.lParam);
}

void ResultTreeView::selectNode(int index) {
    if (index < 0 || index >= static_cast<int>(items_.size()))
        return;
    HTREEITEM item = items_[static_cast<size_t>(index)];
    SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    SendMessageW(tree_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    // Long texts must not push the icons out of sight.
    SendMessageW(tree_, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
}

bool ResultTreeView::find(const std::string& text, bool continueSearch) {
    auto found =
        findTreeNode(text, selectedNode(), continueSearch, [](std::string_view hay, std::string_view needle) {
            return containsNoCaseUtf8(hay, needle);
        });
    if (!found)
        return false;
    selectNode(*found);
    return true;
}

void ResultTreeView::expandAll(bool expand) {
    SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
    for (HTREEITEM item : items_)
        SendMessageW(tree_, TVM_EXPAND, expand ? TVE_EXPAND : TVE_COLLAPSE, reinterpret_cast<LPARAM>(item));
    SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree_, nullptr, TRUE);
}

bool ResultTreeView::exportTo(const std::string& path) {
    return files_.writeFile(path, utf8ToAnsi(treeExportText()));
}

void ResultTreeView::exportChosen() {
    wchar_t file[MAX_PATH] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = GetParent(tree_);
    ofn.lpstrFilter = L"*.tree\0*.tree\0";
    ofn.lpstrDefExt = L"tree";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
    if (GetSaveFileNameW(&ofn))
        exportTo(toUtf8(file));
}

bool ResultTreeView::notify(const NMHDR& header) {
    if (header.hwndFrom != tree_)
        return false;
    if (header.code == TVN_SELCHANGEDW && onSelectionChanged) {
        const auto& nm = reinterpret_cast<const NMTREEVIEWW&>(header);
        size_t i = static_cast<size_t>(nm.itemNew.lParam);
        onSelectionChanged(nm.itemNew.hItem && i < resultTree().size() ? static_cast<int>(i) : -1);
    }
    return true;
}

} // namespace kw
