// A bar the mouse drags between two parts of a room: the tree and the views, side 1 and side 2. It has
// no window of its own; the owner lays out through split() and passes on its mouse messages.
#pragma once
#include <windows.h>

#include <functional>

namespace kw {

class Splitter {
  public:
    enum class Direction { SideBySide, OneBelowTheOther };
    // What a drag sets and the layout keeps: the first part's extent in pixels, or its share of the room.
    enum class Keeps { FirstExtent, Share };

    explicit Splitter(Keeps keeps) : keeps_(keeps) {}

    Direction direction = Direction::SideBySide;
    int extent = 0;     // Keeps::FirstExtent
    double share = 0.5; // Keeps::Share: of the room less the bar

    struct Parts {
        RECT first, second;
    };
    // Divides the room by a bar `bar` pixels wide: the first part gets at least minFirst, the bar and
    // the second part at least minRest, where the room allows.
    Parts split(const RECT& room, int bar, int minFirst, int minRest);
    void clear() { bar_ = {}; } // nothing to drag until the next split()

    bool over(POINT p) const { return PtInRect(&bar_, p) != 0; }
    bool press(POINT p); // starts dragging when p is over the bar
    bool dragging() const { return dragging_; }
    void dragTo(POINT p);
    void release() { dragging_ = false; }
    void showCursor() const;

    std::function<void()> onMoved; // a drag changed the extent or share

  private:
    Keeps keeps_;
    RECT room_{}, bar_{};
    int minFirst_ = 0;
    bool dragging_ = false;
};

} // namespace kw
