// Screenshot helper for scripts/screens-viewer.sh: selects a result-tree node of a running KW_Scan! window
// by its text, as a click would, and optionally hides the events panel. Usage:
//   select_node.exe "<node text>" [hide-events]
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/resource.h"
#include "platform/Text.h"
#include "results/ResultTree.h"
#include "viewer/ViewerPane.h"

namespace {

HWND child(HWND top, int id) {
    struct S {
        int id;
        HWND found;
    } s{id, nullptr};
    EnumChildWindows(
        top,
        [](HWND w, LPARAM lp) WINAPI -> BOOL {
            auto* s = reinterpret_cast<S*>(lp);
            if (GetDlgCtrlID(w) != s->id)
                return TRUE;
            s->found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 2;
    const kw::ResultNode* node = kw::findAssociation(kw::toUtf8(argv[1]));
    HWND main = FindWindowW(L"TForm1", nullptr);
    if (!node || !main) {
        std::fprintf(stderr, "no such node or no KW_Scan! window\n");
        return 1;
    }
    HWND tree = child(main, kw::viewer_id::kTree);
    size_t index = static_cast<size_t>(node - kw::resultTree().data());
    auto next = [tree](HTREEITEM item, UINT how) {
        return reinterpret_cast<HTREEITEM>(
            SendMessageW(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
    };
    std::vector<HTREEITEM> items;
    for (HTREEITEM item = next(nullptr, TVGN_ROOT); item;) {
        items.push_back(item);
        if (HTREEITEM c = next(item, TVGN_CHILD)) {
            item = c;
            continue;
        }
        while (item && !next(item, TVGN_NEXT))
            item = next(item, TVGN_PARENT);
        if (item)
            item = next(item, TVGN_NEXT);
    }
    if (index >= items.size())
        return 1;
    if (argc > 2 && std::wstring(argv[2]) == L"hide-events")
        SendMessageW(main, WM_COMMAND, IDC_EVENTS, 0);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items[index]));
    SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(items[index]));
    SendMessageW(tree, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
    SetForegroundWindow(main);
    return 0;
}
