#include "settings/OptionSet.h"

#include <gtest/gtest.h>

namespace kw {
namespace {

TEST(OptionSetTest, DependantOptionsFollowTheirMasters) {
    OptionSet o;
    o.set(Option::Mirtal, false);
    o.set(Option::MirtalLibs, true); // the libraries need the CAD box
    EXPECT_TRUE(o.get(Option::Mirtal));
    o.set(Option::MirtalLibs, false); // and leaving them off keeps it
    EXPECT_TRUE(o.get(Option::Mirtal));
    o.set(Option::MirtalLibs, true);
    o.set(Option::Mirtal, false); // the CAD box off turns both off
    EXPECT_FALSE(o.get(Option::MirtalLibs));
    EXPECT_FALSE(o.get(Option::Mirtal));

    o.set(Option::StandardParts, false);
    o.set(Option::Vault, true);
    EXPECT_TRUE(o.get(Option::StandardParts));
    o.set(Option::StandardParts, false);
    EXPECT_FALSE(o.get(Option::Vault));

    o.set(Option::Peltrand, false);
    EXPECT_FALSE(o.get(Option::PeltrandLogs));
    EXPECT_FALSE(o.get(Option::Peltrand));
}

TEST(OptionSetTest, SelectAllOnThenOffLeavesTheRightColumnDebugAndVault) {
    OptionSet o;
    o.set(Option::Debug, true);
    o.set(Option::Vault, true);
    o.set(Option::ComPlus, false);
    o.set(Option::MsInfo32, true);
    o.set(Option::SelectAll, true);
    EXPECT_TRUE(o.get(Option::MirtalLibs));
    EXPECT_TRUE(o.get(Option::SuiteLogs));
    EXPECT_TRUE(o.get(Option::PeltrandLogs));
    o.set(Option::SelectAll, false);
    for (Option id : {Option::SystemInfo, Option::Peltrand, Option::PeltrandLogs, Option::Mirtal,
                      Option::MirtalLibs, Option::Md5, Option::SuiteLogs, Option::Quadrix, Option::CommonData,
                      Option::SharedFolder, Option::StandardParts})
        EXPECT_FALSE(o.get(id)) << optionInfo(id).caption;
    EXPECT_TRUE(o.get(Option::Debug));
    EXPECT_TRUE(o.get(Option::Vault));
    EXPECT_FALSE(o.get(Option::ComPlus));
    EXPECT_TRUE(o.get(Option::MsInfo32));
    EXPECT_TRUE(o.get(Option::AutoFit));
}

TEST(OptionSetTest, ZebraBrightnessKeepsTheTrackBarRange) {
    OptionSet o;
    EXPECT_EQ(o.zebraBrightness(), 75);
    o.setZebraBrightness(10);
    EXPECT_EQ(o.zebraBrightness(), 25);
    o.setZebraBrightness(120);
    EXPECT_EQ(o.zebraBrightness(), 95);
}

TEST(OptionSetTest, TableHoldsEveryOptionInItsOwnPlace) {
    auto table = optionTable();
    ASSERT_EQ(table.size(), static_cast<size_t>(Option::Count));
    for (size_t i = 0; i < table.size(); ++i)
        EXPECT_EQ(static_cast<size_t>(table[i].id), i);
    EXPECT_EQ(optionInfo(Option::MirtalLibs).caption, "   Библиотеки и справочники МИРТАЛ-3D");
}

} // namespace
} // namespace kw
