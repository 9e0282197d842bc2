// Splitting a room in two and dragging the bar between the parts.
#include "viewer/Splitter.h"

#include <algorithm>

namespace kw {

Splitter::Parts Splitter::split(const RECT& room, int bar, int minFirst, int minRest) {
    room_ = room;
    minFirst_ = minFirst;
    const bool across = direction == Direction::SideBySide;
    const int length = across ? room.right - room.left : room.bottom - room.top;
    const int wanted = keeps_ == Keeps::Share ? static_cast<int>((length - bar) * share) : extent;
    const int first = std::clamp(wanted, minFirst, std::max(minFirst, length - minRest));
    Parts parts{room, room};
    if (across) {
        parts.first.right = room.left + first;
        parts.second.left = parts.first.right + bar;
        bar_ = {parts.first.right, room.top, parts.second.left, room.bottom};
    } else {
        parts.first.bottom = room.top + first;
        parts.second.top = parts.first.bottom + bar;
        bar_ = {room.left, parts.first.bottom, room.right, parts.second.top};
    }
    return parts;
}

bool Splitter::press(POINT p) {
    dragging_ = over(p);
    return dragging_;
}

void Splitter::dragTo(POINT p) {
    const bool across = direction == Direction::SideBySide;
    const int at = across ? p.x - room_.left : p.y - room_.top;
    if (keeps_ == Keeps::Share) {
        const long length = across ? room_.right - room_.left : room_.bottom - room_.top;
        share = std::clamp(double(at) / std::max(1L, length), 0.05, 0.95);
    } else {
        extent = std::max(minFirst_, at);
    }
    if (onMoved)
        onMoved();
}

void Splitter::showCursor() const {
    SetCursor(LoadCursorW(nullptr, direction == Direction::SideBySide ? IDC_SIZEWE : IDC_SIZENS));
}

} // namespace kw
