// A text view over a rich-edit control: plain or rich text shown, text read back, searched, cut and
// appended to. Used for the two sides of the results area and for the log panes; it can create its
// control or work on one made elsewhere. The appending calls work on a plain edit control too.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace kw {

class TextView {
  public:
    // A rich-edit control (Msftedit) as a child of parent.
    bool create(HWND parent, int id, DWORD style, DWORD exStyle, HFONT font);
    void attach(HWND edit) { edit_ = edit; }
    HWND hwnd() const { return edit_; }

    // Replaces the content; plain text loses any formatting left by a rich text shown before.
    void setPlainText(const std::wstring& text);
    void setRichText(const std::string& rtf); // streamed in as RTF
    void setText(const std::wstring& text);   // WM_SETTEXT, formatting as it stands
    // The text as the control holds it: paragraphs end in CR.
    std::wstring text() const;
    void setLimit(size_t characters);

    // Appended at the end; with a colour, in that colour and boldness.
    void append(const std::wstring& text);
    void append(const std::wstring& text, COLORREF color, bool bold);
    void scrollToEnd();
    // Characters [from, to) removed, the rest keeping its formatting.
    void removeRange(long from, long to);
    // Drawing held back while many changes are made; on again, the control is repainted.
    void setRedraw(bool on);
    void setSelection(long from, long to);

    // The next occurrence of `what` after the selection, selected and scrolled into sight; false when
    // there is none (or `what` is empty).
    bool findNext(const std::wstring& what);
    void setWordWrap(bool on);
    void copy();
    void selectAll();

    // Ctrl+F and F3 pressed in the control (created by create()); they do nothing else there.
    std::function<void(UINT key)> onSearchKey;

  private:
    HWND edit_ = nullptr;
};

} // namespace kw
