// The log panes brought up to date through the text view: the event log with its colours, the memos
// as plain text.
#include "app/LogViews.h"

#include "platform/Text.h"

namespace kw {

void EventLogView::refresh() {
    if (!view_.hwnd() || !log_)
        return;
    BufferChange now;
    auto lines = log_->linesSince(seen_, now);
    bool reload = now.generation != seen_.generation || now.lineCount < seen_.lineCount;
    if (reload)
        view_.setText(L"");
    bool first = reload || seen_.lineCount == 0;
    view_.setRedraw(false);
    for (const auto& line : lines) {
        std::wstring text = (first ? L"" : L"\r") + toWide(line.text);
        first = false;
        Rgb rgb = rgbOf(line.color);
        view_.append(text, RGB(rgb.red, rgb.green, rgb.blue), line.bold);
    }
    view_.setRedraw(true);
    seen_ = now;
    // The log follows its newest lines.
    view_.scrollToEnd();
}

void MemoView::refresh() {
    if (!view_.hwnd() || !buffer_)
        return;
    BufferChange now;
    auto lines = buffer_->linesSince(seen_, now);
    bool reload = now.generation != seen_.generation || now.lineCount < seen_.lineCount;
    if (!reload && shown_ + lines.size() > 2 * kMemoLines) {
        lines = buffer_->linesSince({}, now); // the whole buffer, of which the newest lines stay
        reload = true;
    }
    size_t from = reload && lines.size() > kMemoLines ? lines.size() - kMemoLines : 0;
    std::wstring text;
    bool first = reload || shown_ == 0;
    for (size_t i = from; i < lines.size(); ++i) {
        if (!first)
            text += L"\r\n";
        first = false;
        text += toWide(lines[i]);
    }
    if (reload) {
        view_.setText(text);
        shown_ = lines.size() - from;
    } else {
        view_.append(text);
        shown_ += lines.size();
    }
    seen_ = now;
    view_.scrollToEnd();
}

} // namespace kw
