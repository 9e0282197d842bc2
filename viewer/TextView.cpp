// The rich-edit messages behind a text view.
#include "viewer/TextView.h"

#include <commdlg.h>
#include <richedit.h>

#include <algorithm>
#include <cstring>

#include "platform/Window.h"
#include "viewer/SearchKeys.h"

namespace kw {

bool TextView::create(HWND parent, int id, DWORD style, DWORD exStyle, HFONT font) {
    loadRichEdit();
    edit_ = CreateWindowExW(exStyle, MSFTEDIT_CLASS, L"", WS_CHILD | style, 0, 0, 10, 10, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                            nullptr);
    if (!edit_)
        return false;
    SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    routeSearchKeys(edit_, &onSearchKey);
    return true;
}

void TextView::setPlainText(const std::wstring& text) {
    // Emptied and reset to the default format first, so that no colour of a rich file shown before stays.
    SETTEXTEX st{ST_DEFAULT, 1200};
    SendMessageW(edit_, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&st), reinterpret_cast<LPARAM>(L""));
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE;
    cf.dwEffects = CFE_AUTOCOLOR;
    SendMessageW(edit_, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
    SendMessageW(edit_, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&st), reinterpret_cast<LPARAM>(text.c_str()));
    setSelection(0, 0); // a loaded file is shown from its top
}

void TextView::setRichText(const std::string& rtf) {
    struct Source {
        const std::string* bytes;
        size_t pos;
    } src{&rtf, 0};
    EDITSTREAM es{};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&src);
    es.pfnCallback = [](DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* got) WINAPI -> DWORD {
        auto* s = reinterpret_cast<Source*>(cookie);
        size_t n = std::min(static_cast<size_t>(cb), s->bytes->size() - s->pos);
        memcpy(buf, s->bytes->data() + s->pos, n);
        s->pos += n;
        *got = static_cast<LONG>(n);
        return 0;
    };
    SendMessageW(edit_, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
    setSelection(0, 0);
}

void TextView::setText(const std::wstring& text) {
    SetWindowTextW(edit_, text.c_str());
}

std::wstring TextView::text() const {
    GETTEXTLENGTHEX len{GTL_DEFAULT | GTL_NUMCHARS, 1200};
    LRESULT n = SendMessageW(edit_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&len), 0);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GETTEXTEX get{static_cast<DWORD>((n + 1) * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
    LRESULT got = SendMessageW(edit_, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                               reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(got));
    return text;
}

void TextView::setLimit(size_t characters) {
    SendMessageW(edit_, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(characters));
}

void TextView::append(const std::wstring& text) {
    int end = GetWindowTextLengthW(edit_);
    SendMessageW(edit_, EM_SETSEL, end, end);
    SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void TextView::append(const std::wstring& text, COLORREF color, bool bold) {
    int end = GetWindowTextLengthW(edit_);
    SendMessageW(edit_, EM_SETSEL, end, end);
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_COLOR | CFM_BOLD;
    cf.crTextColor = color;
    cf.dwEffects = bold ? CFE_BOLD : 0;
    SendMessageW(edit_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void TextView::scrollToEnd() {
    SendMessageW(edit_, WM_VSCROLL, SB_BOTTOM, 0);
}

void TextView::removeRange(long from, long to) {
    CHARRANGE range{from, to};
    SendMessageW(edit_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
}

void TextView::setRedraw(bool on) {
    SendMessageW(edit_, WM_SETREDRAW, on, 0);
    if (on)
        InvalidateRect(edit_, nullptr, TRUE);
}

void TextView::setSelection(long from, long to) {
    SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(from), static_cast<LPARAM>(to));
}

bool TextView::findNext(const std::wstring& what) {
    CHARRANGE sel{};
    SendMessageW(edit_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    FINDTEXTEXW ft{};
    ft.chrg = {sel.cpMax, -1};
    ft.lpstrText = what.c_str();
    LRESULT at = SendMessageW(edit_, EM_FINDTEXTEXW, FR_DOWN, reinterpret_cast<LPARAM>(&ft));
    if (at < 0 || what.empty())
        return false;
    SendMessageW(edit_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&ft.chrgText));
    SendMessageW(edit_, EM_SCROLLCARET, 0, 0);
    return true;
}

void TextView::setWordWrap(bool on) {
    SendMessageW(edit_, EM_SETTARGETDEVICE, 0, on ? 0 : 1);
}

void TextView::copy() {
    SendMessageW(edit_, WM_COPY, 0, 0);
}

void TextView::selectAll() {
    SendMessageW(edit_, EM_SETSEL, 0, -1);
}

} // namespace kw
