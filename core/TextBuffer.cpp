#include "core/TextBuffer.h"

namespace kw {

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> out;
    std::string cur;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            out.push_back(std::move(cur));
            cur.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            cur.push_back(c);
        }
    }
    out.push_back(std::move(cur));
    return out;
}

void TextBuffer::append(std::string_view text) {
    {
        std::lock_guard lock(mutex_);
        for (auto& l : splitLines(text))
            lines_.push_back(std::move(l));
    }
    notify();
}

void TextBuffer::appendLine(std::string_view line) {
    {
        std::lock_guard lock(mutex_);
        lines_.emplace_back(line);
    }
    notify();
}

void TextBuffer::setLines(std::vector<std::string> lines) {
    {
        std::lock_guard lock(mutex_);
        lines_ = std::move(lines);
        ++generation_;
    }
    notify();
}

void TextBuffer::clear() {
    setLines({});
}

std::vector<std::string> TextBuffer::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

std::vector<std::string> TextBuffer::linesSince(BufferChange seen, BufferChange& now) const {
    std::lock_guard lock(mutex_);
    return unseenLines(lines_, generation_, seen, now);
}

BufferChange TextBuffer::state() const {
    std::lock_guard lock(mutex_);
    return {generation_, lines_.size()};
}

std::string TextBuffer::text() const {
    std::lock_guard lock(mutex_);
    std::string out;
    for (const auto& l : lines_)
        out += l + "\r\n";
    return out;
}

} // namespace kw
