#include "settings/Settings.h"

#include <gtest/gtest.h>

#include "results/SecretMasking.h"

namespace kw {
namespace {

TEST(SettingsTest, WrittenInTheFixedOrderWithEveryKey) {
    OptionSet o;
    Settings s;
    o.set(Option::ComPlus, false);
    std::string text = composeSettingsFile(o, s);
    EXPECT_EQ(text.rfind("[position]\r\nleft=0\r\nwidth=500\r\ntop=0\r\nheight=500\r\n", 0), 0u);
    EXPECT_NE(text.find("\r\n[System_Information]\r\nnetstat=1\r\nMS_Office=0\r\nCOM_Plus=0\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("[Start]\r\nRBpo=1\r\nRBpoLIBS=0\r\nRBtools=0\r\nRBopen=0\r\n\r\n[Library]"),
              std::string::npos);
    // The support library's place after every key of the table, read back on start.
    s.library = {.place = "odbc:Driver={PostgreSQL Unicode};Server=СТП;",
                 .protectedPassword = "AQID",
                 .addOpened = false};
    text = composeSettingsFile(o, s);
    EXPECT_TRUE(text.ends_with("[Library]\r\nPlace=odbc:Driver={PostgreSQL "
                               "Unicode};Server=СТП;\r\nPassword=AQID\r\nAddOpened=0\r\n"));
    Settings read;
    readSettingsOnStart(IniFile::parse(text), o, read);
    EXPECT_EQ(read.library.place, s.library.place);
    EXPECT_EQ(read.library.protectedPassword, "AQID");
    EXPECT_FALSE(read.library.addOpened);
    // WordWrap, written last, joins the Tools section written earlier, as with the profile functions.
    EXPECT_NE(
        text.find(
            "[Tools]\r\nLogs=0\r\nmd5=1\r\nTAVIR_Shared=1\r\nCOD=1\r\nSisInf=1\r\nWordWrap=1\r\n\r\n[Table]"),
        std::string::npos);
}

TEST(SettingsTest, EachReadPathHasItsOwnDefaults) {
    IniFile ini = IniFile::parse("[tavir]\r\nPELTRAND=0\r\n[Table]\r\nZebraBright=10\r\nZebra=abc\r\n");
    OptionSet activated;
    Settings s;
    activated.set(Option::FerryOak, false);
    readSettingsOnActivation(ini, activated, s);
    EXPECT_TRUE(activated.get(Option::FerryOak));
    EXPECT_FALSE(activated.get(Option::Peltrand)); // names compare without regard to case
    EXPECT_TRUE(activated.get(Option::Zebra));     // not a number: the default
    EXPECT_EQ(activated.zebraBrightness(), 25);    // the track bar's minimum
    EXPECT_TRUE(activated.get(Option::AutoSave));  // on after the first settings read

    OptionSet loaded;
    readSettingsOnLoad(ini, loaded, s);
    EXPECT_FALSE(loaded.get(Option::FerryOak));

    IniFile numbers = IniFile::parse("[Tools]\nmd5=7\nSisInf=-1\n");
    OptionSet n;
    readSettingsOnActivation(numbers, n, s);
    EXPECT_TRUE(n.get(Option::Md5));
    EXPECT_TRUE(n.get(Option::SystemInfo));
}

TEST(SettingsTest, HidingPasswordsInThePackageHasItsOwnKeyAndIsOnByDefault) {
    // The key's name holds no word that masking takes for a secret: the settings copy in a package keeps
    // its value.
    EXPECT_EQ(maskSecrets("KW_scan.ini", "[Set]\r\nHideInPackage=1\r\n").bytes,
              "[Set]\r\nHideInPackage=1\r\n");
    OptionSet o;
    Settings s;
    EXPECT_TRUE(o.get(Option::HidePasswords));
    EXPECT_NE(composeSettingsFile(o, s).find("\r\nTAVIR_Shared_COD=1\r\nHideInPackage=1\r\n"),
              std::string::npos);
    readSettingsOnActivation(IniFile::parse("[Set]\r\nHideInPackage=0\r\n"), o, s);
    EXPECT_FALSE(o.get(Option::HidePasswords));
    EXPECT_NE(composeSettingsFile(o, s).find("HideInPackage=0"), std::string::npos);
    // A file of an earlier version, without the key: on again.
    readSettingsOnActivation(IniFile::parse("[Set]\r\nAutoSave=0\r\n"), o, s);
    EXPECT_TRUE(o.get(Option::HidePasswords));
    readSettingsOnLoad(IniFile::parse(""), o, s);
    EXPECT_TRUE(o.get(Option::HidePasswords));
}

TEST(SettingsTest, StartReadTakesGeometryAndTheHandSetKeys) {
    IniFile ini = IniFile::parse("[position]\nleft=40\nwidth=x\n[Tools]\nhost=10.0.0.5\nBlendValue=200\n");
    OptionSet o;
    Settings s;
    readSettingsOnStart(ini, o, s);
    EXPECT_EQ(s.geometry.left, 40);
    EXPECT_EQ(s.geometry.width, 500);
    EXPECT_EQ(s.handSet.host, "10.0.0.5");
    EXPECT_EQ(s.handSet.count, "12");
    EXPECT_EQ(s.handSet.blendValue, 200);
    EXPECT_EQ(composeSettingsFile(o, s).find("host"), std::string::npos); // read, never written
}

} // namespace
} // namespace kw

namespace kw {
namespace {

TEST(SettingsTest, SavedFileIsRewrittenWholeAndHandAddedKeysVanish) {
    // A file as a user might have edited it: a key of the hand-set table, a key of their own, a section of
    // their own, and the comparison options set inconsistently.
    IniFile ini = IniFile::parse("[Tools]\r\nhost=10.1.1.1\r\nMyKey=1\r\nmd5=0\r\n[Mine]\r\nx=y\r\n"
                                 "[Comparison]\r\nmd5_1=1\r\nmd5_2=1\r\nmd5_3=0\r\n");
    OptionSet o;
    Settings s;
    readSettingsOnStart(ini, o, s);
    readSettingsOnActivation(ini, o, s);
    std::string text = composeSettingsFile(o, s);
    for (const char* gone : {"host", "MyKey", "[Mine]", "x=y", "BlendValue", "status1"})
        EXPECT_EQ(text.find(gone), std::string::npos) << gone;
    EXPECT_NE(text.find("md5=0"), std::string::npos);
    // The radio buttons keep one choice: the last one set on wins, as on the form.
    EXPECT_NE(text.find("md5_1=0\r\nmd5_2=1\r\nmd5_3=0"), std::string::npos);
    EXPECT_EQ(s.handSet.host, "10.1.1.1");
}

TEST(SettingsTest, SelectAllIsWrittenButNeverRead) {
    OptionSet o;
    Settings s;
    o.set(Option::SelectAll, true);
    IniFile saved = IniFile::parse(composeSettingsFile(o, s));
    EXPECT_EQ(saved.get("TAVIR", "All"), "1");
    OptionSet fresh;
    readSettingsOnActivation(saved, fresh, s);
    readSettingsOnLoad(saved, fresh, s);
    EXPECT_FALSE(fresh.get(Option::SelectAll));
}

TEST(TransparencyTest, AlphaIs305MinusThePositionWithinTheTrackBarsRange) {
    EXPECT_EQ(alphaForBlendPosition(200), 105);
    EXPECT_EQ(alphaForBlendPosition(50), 255);
    EXPECT_EQ(alphaForBlendPosition(255), 50);
    EXPECT_EQ(alphaForBlendPosition(0), 255); // a hand-set value outside the range
    EXPECT_EQ(alphaForBlendPosition(1000), 50);
}

} // namespace
} // namespace kw
