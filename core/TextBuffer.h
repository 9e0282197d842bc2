// A list of plain text lines that one thread appends to while another shows it: the timing log and the
// capture buffer. Views ask what changed since their last look (a clear starts a new generation).
#pragma once
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

struct BufferChange {
    std::uint64_t generation = 0; // grows at every clear
    std::size_t lineCount = 0;
};

// The lines a view has not seen yet: all of them when the buffer was cleared since its last look.
template <typename Line>
std::vector<Line> unseenLines(const std::vector<Line>& lines, std::uint64_t generation, BufferChange seen,
                              BufferChange& now) {
    now = {generation, lines.size()};
    size_t from = seen.generation == generation && seen.lineCount <= lines.size() ? seen.lineCount : 0;
    return {lines.begin() + static_cast<std::ptrdiff_t>(from), lines.end()};
}

// Splits text at CR LF, CR or LF, the way a memo or rich-edit control takes an added line.
std::vector<std::string> splitLines(std::string_view text);

class TextBuffer {
  public:
    void append(std::string_view text);
    // One line as it is: a CR or LF inside stays part of the line (the file keeps it, a view breaks there).
    void appendLine(std::string_view line);
    void setLines(std::vector<std::string> lines);
    void clear();

    std::vector<std::string> lines() const;
    // Lines from index `from` on, if the buffer is still in generation `generation`; else all of them.
    std::vector<std::string> linesSince(BufferChange seen, BufferChange& now) const;
    BufferChange state() const;
    // CR LF after every line.
    std::string text() const;

    void onChange(std::function<void()> listener) { listener_ = std::move(listener); }

  private:
    void notify() {
        if (listener_)
            listener_();
    }
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    std::uint64_t generation_ = 0;
    std::function<void()> listener_;
};

} // namespace kw
