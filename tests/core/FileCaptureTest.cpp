#include "core/FileCapture.h"

#include <windows.h>

#include "platform/WinHandle.h"
#include "tests/core/PrimitivesTest.h"

namespace kw {
namespace {

const std::string kRule(68, '_');

class FileCaptureTest : public test::PrimitivesTest {
  protected:
    FileCapture capture{run};
    std::string src;
    void SetUp() override {
        PrimitivesTest::SetUp();
        src = scratch("src");
    }
    void put(const std::string& name, const std::string& bytes) { test::writeFileBytes(src + name, bytes); }
    std::string folder() { return src.substr(0, src.size() - 1); } // without its trailing separator
};

TEST_F(FileCaptureTest, CopyHasHeaderAndEndsAtTheFirstNul) {
    put("a.ini", std::string("[S]\r\nk=\xc2\xe0\0tail", 13));
    capture.CaptureFile(folder(), "(K2011)", "(Peltrand)", "a.ini");
    std::string source = folder() + "\\a.ini";
    EXPECT_EQ(test::readFileBytes(work("(Peltrand)a.ini")),
              utf8ToAnsi("a.ini (K2011): [" + source + "]\r\n" + kRule + "\r\n  \r\n") +
                  "[S]\r\nk=\xc2\xe0\r\n");
    EXPECT_EQ(log(), (std::vector<std::string>{"", "a.ini (K2011) (Peltrand): [" + folder() + "]",
                                               "[" + source + "] ---> \"(Peltrand)a.ini\""}));
    EXPECT_EQ(run.eventLog().lines()[1].color, LogColor::Blue);
    EXPECT_EQ(run.eventLog().lines()[2].color, LogColor::Black);
}

TEST_F(FileCaptureTest, EmptyMissingRawAndTwice) {
    put("empty.txt", "");
    capture.CaptureFile(folder(), "", "(P)", "empty.txt");
    EXPECT_TRUE(logHas("[-] [" + folder() + "\\empty.txt] x (P)empty.txt"));
    EXPECT_FALSE(inWork("(P)empty.txt"));

    capture.CaptureFile(folder(), "", "(P)", "none.txt");
    EXPECT_TRUE(logHas("[-] [" + folder() + "\\none.txt]"));

    put("c.xml", "<?xml version=\"1.0\"?><a/>");
    capture.CaptureFile(folder(), "", "(P)", "c.xml", Header::None);
    EXPECT_EQ(test::readFileBytes(work("(P)c.xml")), "<?xml version=\"1.0\"?><a/>\r\n");

    // An empty tag leaves a blank before the colon; a second capture replaces the first.
    put("c.xml", "second");
    capture.CaptureFile(folder(), "", "(P)", "c.xml");
    EXPECT_EQ(workText("(P)c.xml"), "c.xml : [" + folder() + "\\c.xml]\r\n" + kRule + "\r\n  \r\nsecond\r\n");
}

TEST_F(FileCaptureTest, DoubledSeparatorsAreFoundAndNetworkPathsKeepTheirPair) {
    put("d.log", "x");
    std::string doubled = folder();
    doubled.insert(doubled.rfind('\\'), "\\");
    capture.CaptureFile(doubled + "\\", "", "(D)", "d.log");
    EXPECT_TRUE(logHas("[" + folder() + "\\d.log] ---> \"(D)d.log\""));
    capture.CaptureFile("\\\\nohost\\\\share", "", "(N)", "f.txt");
    EXPECT_TRUE(logHas("[-] [\\\\nohost\\share\\f.txt]"));
}

TEST_F(FileCaptureTest, UnwritableTargetFallsBackToAByteCopy) {
    put("f.ini", std::string("a\0b", 3));
    // A folder of the target's name makes the text copy fail; the byte copy then lands inside it.
    windowsFileSystem().createFolder(work("(F)f.ini"));
    capture.CaptureFile(folder(), "", "(F)", "f.ini");
    auto l = log();
    ASSERT_GE(l.size(), 4u);
    EXPECT_EQ(l[2].rfind("[!!] [ 2) Создать файл не удалось] [\"" + folder() +
                             "\\f.ini\"] - EFCreateError ошибка, "
                             "с сообщением: ",
                         0),
              0u);
    EXPECT_EQ(l.back(), "[ 3)" + folder() + "\\f.ini] ---> \"(F)f.ini\"");
}

TEST_F(FileCaptureTest, LargeFileIsStreamedWithTheSameBytes) {
    std::string big;
    for (int i = 0; i < 300000; ++i)
        big += "line " + std::to_string(i) + "\r\n"; // several blocks
    put("big.log", big);
    capture.CaptureFile(folder(), "", "(B)", "big.log");
    std::string out = test::readFileBytes(work("(B)big.log"));
    std::string header = utf8ToAnsi("big.log : [" + folder() + "\\big.log]\r\n" + kRule + "\r\n  \r\n");
    // The text ends with one line break, its own: none is added to it.
    EXPECT_EQ(out.size(), header.size() + big.size());
    EXPECT_TRUE(out == header + big);
}

TEST_F(FileCaptureTest, CopyWithHeaderEndsInOneLineBreak) {
    const std::string header = "h: [x]\r\n" + kRule + "\r\n";
    for (auto [text, copied] :
         std::vector<std::pair<std::string, std::string>>{{"a\r\nb\r\n", "a\r\nb\r\n"},
                                                          {"a\r\nb", "a\r\nb\r\n"},
                                                          {"a\r", "a\r\n"},
                                                          {"", ""},
                                                          {std::string("a\r\n\0b", 5), "a\r\n"}}) {
        put("s.log", text);
        ASSERT_TRUE(capture.CopyWithHeader(src + "s.log", "s.log", header));
        EXPECT_EQ(test::readFileBytes(work("s.log")), header + copied) << text;
    }
    EXPECT_FALSE(capture.CopyWithHeader(src + "none.log", "none.log", header));
    EXPECT_FALSE(inWork("none.log"));
}

TEST_F(FileCaptureTest, UnicodeFilesByTheirByteOrderMark) {
    const std::string ru = "Привет"; // UTF-8 here, ANSI in the copy
    std::wstring w = toWide(ru + "\r\nline2\nline3");
    std::string le = "\xff\xfe", be = "\xfe\xff";
    for (wchar_t c : w) {
        le += std::string{static_cast<char>(c & 0xff), static_cast<char>(c >> 8)};
        be += std::string{static_cast<char>(c >> 8), static_cast<char>(c & 0xff)};
    }
    put("le.log", le);
    put("be.log", be);
    put("u8.log", "\xef\xbb\xbf" + ru + "\r\nline2\nline3");
    put("ansi.log", utf8ToAnsi(ru) + "\r\nline2\nline3");
    for (std::string name : {"le.log", "be.log", "u8.log", "ansi.log"}) {
        capture.CaptureUnicodeFile(src, "(U)", name);
        EXPECT_EQ(workText("(U)" + name), name + ": [" + src + name + "] (U)\r\n" + kRule + "\r\n  \r\n" +
                                              ru + "\r\nline2\r\nline3\r\n")
            << name;
        EXPECT_FALSE(inWork(name)) << "the temporary copy is removed";
        EXPECT_TRUE(logHas("[" + src + name + "] ---> \"(U)" + name + "\""));
    }
    capture.CaptureUnicodeFile(src, "(U)", "none.log");
    EXPECT_TRUE(logHas("[-] [" + src + "none.log] x \"(U)none.log\""));
}

TEST_F(FileCaptureTest, UnicodeFileAlreadyInTheWorkFolderAndAnUnrelatedNamesake) {
    test::writeFileBytes(work("SMB2.txt"), std::string("\xff\xfe"
                                                       "a\0b\0",
                                                       6));
    capture.CaptureUnicodeFile(run.folders().workFolderPath(), "(REG)", "SMB2.txt");
    EXPECT_TRUE(logHas("Файл \"SMB2.txt\" уже существует в KW_Temp"));
    EXPECT_FALSE(inWork("SMB2.txt"));
    EXPECT_NE(workText("(REG)SMB2.txt").find("\r\nab\r\n"), std::string::npos);
    EXPECT_TRUE(logHas(work("SMB2.txt") + " - временный файл удалён"));

    // A file of the same name that came from elsewhere stays where it is.
    test::writeFileBytes(work("x.log"), "mine");
    put("x.log", "theirs");
    capture.CaptureUnicodeFile(src, "(X)", "x.log");
    EXPECT_EQ(test::readFileBytes(work("x.log")), "mine");
    EXPECT_NE(workText("(X)x.log").find("theirs"), std::string::npos);
}

TEST_F(FileCaptureTest, LockedAndRegisteredFiles) {
    put("held.log", "busy");
    wchar_t before[MAX_PATH] = {}, after[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    {
        // Held open by "another program" that lets others read it.
        FileHandle held(CreateFileW(toWide(src + "held.log").c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        capture.CaptureLockedFile(folder(), "(L)", "held.log");
    }
    EXPECT_EQ(workText("(L)held.log"), "held.log: [" + folder() + "]\r\n" + kRule + "\r\n \r\nbusy\r\n");
    EXPECT_TRUE(logHas("[" + folder() + "\\held.log] ---> (L)held.log"));
    EXPECT_TRUE(logHas(work("held.log") + " - временный файл удалён"));
    // The run works on a thread of its own: the process's current folder is left alone.
    GetCurrentDirectoryW(MAX_PATH, after);
    EXPECT_STREQ(before, after);
    capture.CaptureLockedFile(folder(), "(L)", "gone.log");
    EXPECT_TRUE(logHas("[-][" + folder() + "\\gone.log] x (L)gone.log"));

    put("reg.ini", "r");
    EXPECT_EQ(
        capture.CaptureRegisteredFile(RegistryRoot::LocalMachine, "", "", src, "", "reg.ini", "Prod", ""),
        src + "reg.ini");
    EXPECT_EQ(workText("(Prod)reg.ini"), "reg.ini: [" + src + "reg.ini]\r\n" + kRule + "\r\n  \r\nr\r\n");
    // The folder from a registry value that is missing: not found.
    EXPECT_EQ(capture.CaptureRegisteredFile(RegistryRoot::LocalMachine, "SOFTWARE\\TAVIR\\Samples", "Export",
                                            "", "\\", "reg.ini", "Prod", "NoSuchValue"),
              "");
    EXPECT_TRUE(logHas("(Prod)reg.ini - не найден."));
}

TEST_F(FileCaptureTest, RegisteredAndLockedFilesFallBackToAByteCopy) {
    put("r.ini", "r");
    windowsFileSystem().createFolder(work("(Prod)r.ini")); // the text copy cannot be created
    EXPECT_EQ(capture.CaptureRegisteredFile(RegistryRoot::LocalMachine, "", "", src, "", "r.ini", "Prod", ""),
              src + "r.ini");
    EXPECT_TRUE(logHas("[ 3)" + src + "r.ini] ---> \"(Prod)r.ini\""));
    EXPECT_EQ(test::readFileBytes(work("(Prod)r.ini\\r.ini")), "r");

    put("l.log", "held");
    windowsFileSystem().createFolder(work("(L)l.log"));
    capture.CaptureLockedFile(folder(), "(L)", "l.log");
    EXPECT_TRUE(logHas("[ 3)" + folder() + "\\l.log] ---> \"(L)l.log\""));
    EXPECT_EQ(test::readFileBytes(work("(L)l.log\\l.log")), "held");
}

TEST_F(FileCaptureTest, LockedFileWithoutPrefixIsNotCopiedOntoItself) {
    put("same.log", "abc\r\n");
    capture.CaptureLockedFile(folder(), "", "same.log");
    EXPECT_EQ(test::readFileBytes(work("same.log")), "abc\r\n");
    EXPECT_TRUE(logHas("[ 3)" + folder() + "\\same.log] ---> \"same.log\""));
}

TEST_F(FileCaptureTest, ReadWholeFileAndSpecialFolders) {
    std::string text;
    put("w.txt", "abc");
    EXPECT_TRUE(capture.ReadWholeFile(src + "w.txt", text));
    EXPECT_EQ(text, "abc");
    EXPECT_FALSE(capture.ReadWholeFile(src + "none.txt", text));
    EXPECT_EQ(
        log().back().rfind("[!!] [ 1) Открыть файл не удалось] [\"" + src + "none.txt\"] - EFOpenError", 0),
        0u);
    EXPECT_FALSE(capture.GetSpecialFolder(kCsidlCommonAppData).empty());
    EXPECT_TRUE(capture.ShellCopyFile(src + "w.txt", run.folders().workFolderPath()));
    EXPECT_EQ(test::readFileBytes(work("w.txt")), "abc");
}

} // namespace
} // namespace kw
