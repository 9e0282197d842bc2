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
};

} // namespace kw
