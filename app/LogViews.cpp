#include "app/LogViews.h"

#include <richedit.h>

#include "platform/Text.h"

namespace kw {
namespace {

void appendStyled(HWND edit, const std::wstring& text, const LogLine& style) {
    int end = GetWindowTextLengthW(edit);
    SendMessageW(edit, EM_SETSEL, end, end);
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_COLOR | CFM_BOLD;
    Rgb rgb = rgbOf(style.color);
    cf.crTextColor = RGB(rgb.red, rgb.green, rgb.blue);
    cf.dwEffects = style.bold ? CFE_BOLD : 0;
    SendMessageW(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

} // namespace

void EventLogView::refresh() {
    if (!edit_ || !log_)
        return;
    BufferChange now;
    auto lines = log_->linesSince(seen_, now);
    bool reload = now.generation != seen_.generation || now.lineCount < seen_.lineCount;
    if (reload)
        SetWindowTextW(edit_, L"");
    bool first = reload || seen_.lineCount == 0;
    SendMessageW(edit_, WM_SETREDRAW, FALSE, 0);
    for (const auto& line : lines) {
        std::wstring text = (first ? L"" : L"\r") + toWide(line.text);
        first = false;
        appendStyled(edit_, text, line);
    }
    SendMessageW(edit_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(edit_, nullptr, TRUE);
    seen_ = now;
    // The log follows its newest lines.
    SendMessageW(edit_, WM_VSCROLL, SB_BOTTOM, 0);
}

void MemoView::refresh() {
    if (!edit_ || !buffer_)
        return;
    BufferChange now;
    auto lines = buffer_->linesSince(seen_, now);
    bool reload = now.generation != seen_.generation || now.lineCount < seen_.lineCount;
    std::wstring text;
    bool first = reload || seen_.lineCount == 0;
    for (const auto& line : lines) {
        if (!first)
            text += L"\r\n";
        first = false;
        text += toWide(line);
    }
    if (reload) {
        SetWindowTextW(edit_, text.c_str());
    } else {
        int end = GetWindowTextLengthW(edit_);
        SendMessageW(edit_, EM_SETSEL, end, end);
        SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    }
    seen_ = now;
    SendMessageW(edit_, WM_VSCROLL, SB_BOTTOM, 0);
}

} // namespace kw
