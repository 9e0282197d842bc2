// The splitter's arithmetic: how it divides a room, and what a drag may make of the extent or share.
#include "viewer/Splitter.h"

#include <gtest/gtest.h>

namespace kw {
namespace {

TEST(SplitterTest, ShareOfTheRoomIsClampedWhileDraggingAndWhenLaidOut) {
    Splitter s(Splitter::Keeps::Share);
    int moved = 0;
    s.onMoved = [&] { ++moved; };
    const RECT room{100, 30, 700, 430};
    Splitter::Parts p = s.split(room, 4, 40, 44);
    EXPECT_EQ(p.first.right, 100 + 298); // half of the room less the bar
    EXPECT_EQ(p.second.left, 402);
    EXPECT_EQ(p.second.right, 700);
    EXPECT_FALSE(s.press({397, 100}));
    ASSERT_TRUE(s.press({400, 100}));

    s.dragTo({-500, 100});
    EXPECT_DOUBLE_EQ(s.share, 0.05);
    EXPECT_EQ(s.split(room, 4, 40, 44).first.right, 140); // the first part keeps its minimum
    s.dragTo({5000, 100});
    EXPECT_DOUBLE_EQ(s.share, 0.95);
    EXPECT_EQ(s.split(room, 4, 40, 44).second.left, 700 - 40); // and so does the second
    EXPECT_EQ(moved, 2);

    // A room too small for both: the first part still gets its minimum.
    EXPECT_EQ(s.split({0, 0, 60, 10}, 4, 40, 44).first.right, 40);

    // One below the other, the drag follows the pointer's height.
    s.release();
    s.direction = Splitter::Direction::OneBelowTheOther;
    p = s.split(room, 4, 40, 44);
    EXPECT_EQ(p.first.right, 700);
    ASSERT_TRUE(s.press({300, p.first.bottom + 1}));
    s.dragTo({300, 30 + 100});
    EXPECT_DOUBLE_EQ(s.share, 0.25);

    s.clear(); // side 2 hidden: nothing to press
    EXPECT_FALSE(s.press({300, p.first.bottom + 1}));
}

TEST(SplitterTest, ExtentKeepsItsMinimumWhileDraggingAndLeavesTheRestTheirs) {
    Splitter s(Splitter::Keeps::FirstExtent);
    s.extent = 312;
    Splitter::Parts p = s.split({0, 0, 300, 200}, 4, 60, 120);
    EXPECT_EQ(p.first.right, 180);
    EXPECT_EQ(p.second.left, 184);
    ASSERT_TRUE(s.press({182, 50}));
    s.dragTo({10, 50});
    EXPECT_EQ(s.extent, 60);
    s.dragTo({1000, 50}); // kept as dragged; the layout narrows it to what the room allows
    EXPECT_EQ(s.extent, 1000);
    EXPECT_EQ(s.split({0, 0, 900, 200}, 4, 60, 120).first.right, 780);
}

} // namespace
} // namespace kw
