// The text a window or control holds, in this process or another (WM_GETTEXT crosses the boundary,
// where GetWindowText would give another process's window only its caption); and the format of a
// rich-edit control's character, in this process.
#pragma once
#include <windows.h>

#include <richedit.h>

#include <string>

#include "platform/Text.h"

namespace kw::test {

inline std::string windowText(HWND w) {
    auto n = static_cast<size_t>(SendMessageW(w, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(n + 1, L'\0');
    n = static_cast<size_t>(SendMessageW(w, WM_GETTEXT, n + 1, reinterpret_cast<LPARAM>(text.data())));
    text.resize(n);
    return toUtf8(text);
}

// Selects the character at `pos` and reads its format.
inline CHARFORMAT2W charFormatAt(HWND richEdit, int pos) {
    SendMessageW(richEdit, EM_SETSEL, static_cast<WPARAM>(pos), pos + 1);
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    SendMessageW(richEdit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return cf;
}

} // namespace kw::test
