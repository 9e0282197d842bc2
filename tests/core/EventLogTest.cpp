#include "core/EventLog.h"

#include <gtest/gtest.h>

namespace kw {
namespace {

TEST(EventLogTest, AddedTextWithLineBreaksBecomesSeveralLinesInTheCurrentStyle) {
    EventLog log;
    log.setColor(LogColor::Blue);
    log.append("\r\nheading");
    log.setColor(LogColor::Black);
    log.toggleBold();
    log.append("a\rb\nc");
    std::vector<LogLine> expected = {{"", LogColor::Blue, false},
                                     {"heading", LogColor::Blue, false},
                                     {"a", LogColor::Black, true},
                                     {"b", LogColor::Black, true},
                                     {"c", LogColor::Black, true}};
    EXPECT_EQ(log.lines(), expected);
}

TEST(EventLogTest, ViewsCatchUpAfterAppendsAndStartOverAfterAClear) {
    EventLog log;
    log.append("one");
    BufferChange seen;
    EXPECT_EQ(log.linesSince(seen, seen).size(), 1u);
    log.append("two");
    auto more = log.linesSince(seen, seen);
    ASSERT_EQ(more.size(), 1u);
    EXPECT_EQ(more[0].text, "two");
    log.clear();
    log.append("three");
    auto fresh = log.linesSince(seen, seen);
    ASSERT_EQ(fresh.size(), 1u);
    EXPECT_EQ(fresh[0].text, "three");
}

TEST(EventLogTest, RichTextIsAnsiWithColoursBoldAndEscapes) {
    EventLog log;
    log.setColor(LogColor::Green);
    log.toggleBold();
    log.append("Сокращения: {a\\b} €");
    log.toggleBold();
    log.setColor(LogColor::Blue);
    log.append("日");
    std::string rtf = log.toRtf();
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg1251", 0), 0u);
    EXPECT_NE(rtf.find("\\fcharset204"), std::string::npos);
    EXPECT_NE(rtf.find("\\red0\\green0\\blue255;\\red0\\green128\\blue0;"), std::string::npos);
    // "Со" in Windows-1251, the braces and backslash escaped, the euro sign in the code page too.
    EXPECT_NE(rtf.find("\\cf3\\b \\'d1\\'ee"), std::string::npos);
    EXPECT_NE(rtf.find("\\{a\\\\b\\} \\'88\\par"), std::string::npos);
    // A character outside the code page is kept as a Unicode escape.
    EXPECT_NE(rtf.find("\\cf2\\b0 \\u26085?\\par"), std::string::npos);
    for (unsigned char c : rtf)
        EXPECT_LT(c, 0x80);
}

} // namespace
} // namespace kw
