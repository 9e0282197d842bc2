// Keeps the event-log rich-edit pane and the two memo panes in step with their models. The models are
// written from the run's thread; the panes are brought up to date on the window's thread.
#pragma once
#include <windows.h>

#include "core/EventLog.h"
#include "core/TextBuffer.h"
#include "viewer/TextView.h"

namespace kw {

class EventLogView {
  public:
    void attach(HWND richEdit, const EventLog* log) {
        view_.attach(richEdit);
        log_ = log;
    }
    void refresh(); // appends what is new, or reloads after a clear

  private:
    TextView view_;
    const EventLog* log_ = nullptr;
    BufferChange seen_;
};

// A memo pane shows the newest lines of its buffer, at most `kMemoLines` of them (and as many again
// before it drops the older ones). The capture buffer can hold a whole inventory of a hundred thousand
// rows: an edit control lays out every wrapped line of its text, and doing that for megabytes keeps the
// window busy for tens of seconds, for a pane four lines high. The file keeps every line.
inline constexpr size_t kMemoLines = 2000;

class MemoView {
  public:
    void attach(HWND edit, const TextBuffer* buffer) {
        view_.attach(edit);
        buffer_ = buffer;
    }
    void refresh();

  private:
    TextView view_; // a plain edit control
    const TextBuffer* buffer_ = nullptr;
    BufferChange seen_;
    size_t shown_ = 0; // lines in the pane
};

} // namespace kw
