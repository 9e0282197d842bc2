// The event log of a run: append-only lines, each with the colour and bold state current when it was
// added. The main window shows it in a rich-edit pane; it is saved as rich text.
#pragma once
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/TextBuffer.h"

namespace kw {

enum class LogColor { Black, Blue, Green };

struct Rgb {
    int red, green, blue;
};
Rgb rgbOf(LogColor c);

struct LogLine {
    std::string text;
    LogColor color = LogColor::Black;
    bool bold = false;
    bool operator==(const LogLine&) const = default;
};

class EventLog {
  public:
    void append(std::string_view text); // one added line; line breaks inside make more lines
    // A banner in one step: a blank line, bold toggled, the text in blue, then black again. No line
    // appended from another thread meanwhile can take the banner's colour.
    void appendBanner(std::string_view text);
    void clear();

    void setColor(LogColor c);
    LogColor color() const;
    // Bold is removed when the current style is exactly bold, added otherwise.
    void toggleBold();
    bool bold() const;

    std::vector<LogLine> lines() const;
    std::vector<std::string> texts() const;
    std::vector<LogLine> linesSince(BufferChange seen, BufferChange& now) const;

    // Rich text in the ANSI code page, with the colours and bold of every line.
    std::string toRtf() const;

    void onChange(std::function<void()> listener) { listener_ = std::move(listener); }

  private:
    void notify() {
        if (listener_)
            listener_();
    }
    mutable std::mutex mutex_;
    std::vector<LogLine> lines_;
    LogColor color_ = LogColor::Black;
    bool bold_ = false;
    std::uint64_t generation_ = 0;
    std::function<void()> listener_;
};

} // namespace kw
