// The memo panes keep the newest lines of their buffers: a capture of a whole inventory must not make
// the pane lay out megabytes, and what it drops must be the oldest lines, never the newest.
#include "app/LogViews.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kw {
namespace {

std::wstring paneText(HWND edit) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring rowsText(int from, int to) { // rows from..to-1, as the pane joins them
    std::wstring text;
    for (int i = from; i < to; ++i)
        text += (i > from ? L"\r\n" : L"") + std::to_wstring(i);
    return text;
}

TEST(MemoViewTest, KeepsTheNewestLinesOfALargeCaptureAndOfLinesAddedOneByOne) {
    // As the window makes its capture pane.
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0,
                                0, 300, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
    TextBuffer buffer;
    MemoView view;
    view.attach(edit, &buffer);

    std::vector<std::string> rows;
    for (int i = 0; i < 10000; ++i)
        rows.push_back(std::to_string(i));
    buffer.setLines(rows);
    view.refresh();
    EXPECT_EQ(paneText(edit), rowsText(10000 - static_cast<int>(kMemoLines), 10000));

    // Rows that come one by one (the debug option) are appended until twice the limit, then the pane
    // starts again from the newest: always an unbroken run of lines up to the newest.
    for (int i = 10000; i < 10000 + static_cast<int>(kMemoLines) + 5; ++i) {
        buffer.appendLine(std::to_string(i));
        view.refresh();
    }
    int end = 10000 + static_cast<int>(kMemoLines) + 5;
    std::wstring text = paneText(edit);
    int shown = static_cast<int>(std::count(text.begin(), text.end(), L'\n')) + 1;
    EXPECT_GE(shown, static_cast<int>(kMemoLines));
    EXPECT_LE(shown, 2 * static_cast<int>(kMemoLines));
    EXPECT_EQ(text, rowsText(end - shown, end));

    buffer.clear();
    buffer.appendLine("новый");
    view.refresh();
    EXPECT_EQ(paneText(edit), L"новый");
    DestroyWindow(edit);
}

} // namespace
} // namespace kw
