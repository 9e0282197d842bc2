#include "core/EventLog.h"

#include "core/RtfWriter.h"

namespace kw {

Rgb rgbOf(LogColor c) {
    switch (c) {
    case LogColor::Blue:
        return {0, 0, 255};
    case LogColor::Green:
        return {0, 128, 0};
    case LogColor::Black:
        break;
    }
    return {0, 0, 0};
}

void EventLog::append(std::string_view text) {
    {
        std::lock_guard lock(mutex_);
        for (auto& l : splitLines(text))
            lines_.push_back({std::move(l), color_, bold_});
    }
    notify();
}

void EventLog::appendBanner(std::string_view text) {
    {
        std::lock_guard lock(mutex_);
        lines_.push_back({" ", color_, bold_});
        bold_ = !bold_;
        for (auto& l : splitLines(text))
            lines_.push_back({std::move(l), LogColor::Blue, bold_});
        color_ = LogColor::Black;
    }
    notify();
}

void EventLog::clear() {
    {
        std::lock_guard lock(mutex_);
        lines_.clear();
        ++generation_;
    }
    notify();
}

void EventLog::setColor(LogColor c) {
    std::lock_guard lock(mutex_);
    color_ = c;
}

LogColor EventLog::color() const {
    std::lock_guard lock(mutex_);
    return color_;
}

void EventLog::toggleBold() {
    std::lock_guard lock(mutex_);
    bold_ = !bold_;
}

bool EventLog::bold() const {
    std::lock_guard lock(mutex_);
    return bold_;
}

std::vector<LogLine> EventLog::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

std::vector<std::string> EventLog::texts() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    out.reserve(lines_.size());
    for (const auto& l : lines_)
        out.push_back(l.text);
    return out;
}

std::vector<LogLine> EventLog::linesSince(BufferChange seen, BufferChange& now) const {
    std::lock_guard lock(mutex_);
    return unseenLines(lines_, generation_, seen, now);
}

std::string EventLog::toRtf() const {
    return writeRtf(lines());
}

} // namespace kw
