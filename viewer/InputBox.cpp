// The input box, built from an in-memory dialog template.
#include "viewer/InputBox.h"

#include <vector>

#include "platform/Text.h"

namespace kw {
namespace {

constexpr int kEdit = 100;

struct State {
    std::wstring prompt, text;
    bool ok = false;
};

void addString(std::vector<WORD>& t, const std::wstring& s) {
    for (wchar_t c : s)
        t.push_back(static_cast<WORD>(c));
    t.push_back(0);
}

void addItem(std::vector<WORD>& t, DWORD style, short x, short y, short cx, short cy, WORD id, WORD cls,
             const std::wstring& text) {
    while (t.size() % 2)
        t.push_back(0); // DLGITEMTEMPLATE is DWORD aligned
    DLGITEMTEMPLATE item{style | WS_CHILD | WS_VISIBLE, 0, x, y, cx, cy, id};
    const WORD* p = reinterpret_cast<const WORD*>(&item);
    t.insert(t.end(), p, p + sizeof item / sizeof(WORD));
    t.push_back(0xFFFF);
    t.push_back(cls);
    addString(t, text);
    t.push_back(0);
}

INT_PTR CALLBACK dialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto* st = reinterpret_cast<State*>(GetWindowLongPtrW(dlg, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dlg, DWLP_USER, lp);
        st = reinterpret_cast<State*>(lp);
        SetDlgItemTextW(dlg, kEdit, st->text.c_str());
        SendDlgItemMessageW(dlg, kEdit, EM_SETSEL, 0, -1);
        SetFocus(GetDlgItem(dlg, kEdit));
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            wchar_t buf[1024] = {};
            GetDlgItemTextW(dlg, kEdit, buf, 1024);
            st->text = buf;
            st->ok = true;
            EndDialog(dlg, IDOK);
        } else if (LOWORD(wp) == IDCANCEL) {
            EndDialog(dlg, IDCANCEL);
        }
        return TRUE;
    }
    return FALSE;
}

} // namespace

std::optional<std::string> askString(HWND owner, const std::string& title, const std::string& prompt,
                                     const std::string& initial) {
    std::vector<WORD> t;
    DLGTEMPLATE dt{
        DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 4, 0, 0, 220, 66};
    const WORD* p = reinterpret_cast<const WORD*>(&dt);
    t.insert(t.end(), p, p + sizeof dt / sizeof(WORD));
    t.push_back(0); // no menu
    t.push_back(0); // default class
    addString(t, toWide(title));
    t.push_back(8);
    addString(t, L"MS Shell Dlg");
    addItem(t, SS_LEFT, 7, 7, 206, 10, 0xFFFF, 0x0082, toWide(prompt));
    addItem(t, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 20, 206, 13, kEdit, 0x0081, L"");
    addItem(t, BS_DEFPUSHBUTTON | WS_TABSTOP, 106, 44, 50, 14, IDOK, 0x0080, L"OK");
    addItem(t, BS_PUSHBUTTON | WS_TABSTOP, 163, 44, 50, 14, IDCANCEL, 0x0080, L"Отмена");
    State st{toWide(prompt), toWide(initial)};
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(t.data()), owner,
                            dialogProc, reinterpret_cast<LPARAM>(&st));
    if (!st.ok)
        return std::nullopt;
    return toUtf8(st.text);
}

} // namespace kw
