#include "core/RegistryExport.h"

#include <map>

#include "core/RegistryReaders.h"
#include "tests/core/PrimitivesTest.h"

namespace kw {
namespace {

using test::crlfLines;

RegistryValue value(std::string name, std::uint32_t type, std::string data) {
    return {name, type, data};
}
std::string utf16(const std::string& ascii) {
    std::string out;
    for (char c : ascii)
        out += std::string{c, '\0'};
    return out + std::string(2, '\0');
}
std::string bytes(size_t n) {
    std::string out;
    for (size_t i = 0; i < n; ++i)
        out.push_back(static_cast<char>(i));
    return out;
}

TEST(RegistryValueLines, EveryTypeHasItsForm) {
    EXPECT_EQ(registryValueLines(value("", kRegSz, utf16("x"))), std::vector<std::string>{"@=\"x\""});
    EXPECT_EQ(registryValueLines(value("a\\b", kRegSz, utf16("C:\\P \"q\""))),
              std::vector<std::string>{"\"a\\\\b\"=\"C:\\\\P \"q\"\""});
    EXPECT_EQ(registryValueLines(value("E", kRegExpandSz, utf16("%TEMP%"))),
              std::vector<std::string>{"\"E\"=\"%TEMP%\""});
    EXPECT_EQ(registryValueLines(value("D", kRegDword, std::string("\x2a\0\0\xff", 4))),
              std::vector<std::string>{"\"D\"=dword:FF00002A"});
    EXPECT_EQ(registryValueLines(value("B", kRegBinary, "")), std::vector<std::string>{"\"B\"=hex:"});
    // Data with no text form keeps its type and bytes instead of showing as empty.
    EXPECT_EQ(registryValueLines(value("Q", kRegQword, bytes(8))),
              std::vector<std::string>{"\"Q\"=hex(b):00,01,02,03,04,05,06,07"});
    EXPECT_EQ(registryValueLines(value("N", kRegNone, "")), std::vector<std::string>{"\"N\"=hex(0):"});
    EXPECT_EQ(registryValueLines(value("M", kRegMultiSz, std::string("a\0\0\0", 4))),
              std::vector<std::string>{"\"M\"=hex(7):61,00,00,00"});
    // A DWORD of a strange size is shown by its bytes.
    EXPECT_EQ(registryValueLines(value("S", kRegDword, "\x01")), std::vector<std::string>{"\"S\"=hex(4):01"});
}

TEST(RegistryValueLines, BinaryWrapsAfter26ThenEvery25Bytes) {
    auto lines = registryValueLines(value("B", kRegBinary, bytes(60)));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0],
              "\"B\"=hex:00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F,10,11,12,13,14,15,16,17,18,19,\\");
    EXPECT_EQ(lines[1], "1A,1B,1C,1D,1E,1F,20,21,22,23,24,25,26,27,28,29,2A,2B,2C,2D,2E,2F,30,31,32,\\");
    EXPECT_EQ(lines[2], "33,34,35,36,37,38,39,3A,3B");
    // Exactly 26 bytes: no comma after the last, so no wrap.
    EXPECT_EQ(registryValueLines(value("B", kRegBinary, bytes(26))).size(), 1u);
    EXPECT_EQ(registryValueLines(value("B", kRegBinary, bytes(27))).size(), 2u);
}

TEST(EscapeBackslashesTest, DoublesOnlyBackslashes) {
    EXPECT_EQ(EscapeBackslashes("\\\\srv\\a \"b\""), "\\\\\\\\srv\\\\a \"b\"");
    EXPECT_EQ(EscapeBackslashes(""), "");
}

// A registry that keeps its keys in the order they were added, as Windows does and Wine does not.
class FakeRegistry : public Registry {
  public:
    std::map<std::string, RegistryKeyContents> keys; // by "view|path"
    bool wow64 = true;

    void add(RegistryView view, const std::string& path, std::vector<RegistryValue> values,
             std::vector<std::string> subkeys = {}) {
        keys[key(view, path)] = {std::move(values), std::move(subkeys)};
    }
    std::optional<std::string> readString(RegistryRoot, const std::string&, const std::string&,
                                          RegistryView) override {
        return std::nullopt;
    }
    std::optional<RegistryKeyContents> readKey(RegistryRoot, const std::string& path,
                                               RegistryView view) override {
        auto it = keys.find(key(view, path));
        if (it == keys.end())
            return std::nullopt;
        return it->second;
    }
    RegistryRead readValue(RegistryRoot, const std::string& path, const std::string& name,
                           RegistryView view) override {
        RegistryRead r;
        auto it = keys.find(key(view, path));
        if (it == keys.end())
            return r;
        r.status = RegistryStatus::NoValue;
        for (auto& v : it->second.values)
            if (v.name == name)
                r.status = RegistryStatus::Ok, r.value = v;
        return r;
    }
    bool isWow64() override { return wow64; }

  private:
    static std::string key(RegistryView v, const std::string& p) {
        return (v == RegistryView::Default ? "32|" : "64|") + p;
    }
};

class RegistryExportFakeTest : public test::PrimitivesTest {
  protected:
    FakeRegistry fake;
    CollectionRun fakeRun{
        {windowsFileSystem(), windowsSystemInfo(), windowsDesktop(), windowsProcesses(), fake},
        options,
        settings};
    void SetUp() override {
        fakeRun.folders().CreateWorkFolder(kWorkFolder);
        fakeRun.eventLog().clear();
    }
};

TEST_F(RegistryExportFakeTest, KeysDepthFirstInTheRegistrysOwnOrder) {
    fake.add(RegistryView::Default, "SOFTWARE\\T",
             {value("z", kRegSz, utf16("1")), value("", kRegSz, utf16("d"))}, {"Zeta", "Alpha"});
    fake.add(RegistryView::Default, "SOFTWARE\\T\\Zeta", {value("b", kRegDword, std::string(4, '\0'))},
             {"Deep"});
    fake.add(RegistryView::Default, "SOFTWARE\\T\\Zeta\\Deep", {});
    // "Alpha" is listed but cannot be opened: its key line stands alone.
    RegistryExporter(fakeRun).ExportRegistryBranch(RegistryRoot::LocalMachine, "SOFTWARE\\T\\", "(REG)T.txt");

    std::string expected = "Windows Registry Editor Version 5.00\r\n"
                           "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\r\n\"z\"=\"1\"\r\n@=\"d\"\r\n"
                           "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T\\Zeta]\r\n\"b\"=dword:00000000\r\n"
                           "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T\\Zeta\\Deep]\r\n"
                           "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T\\Alpha]\r\n";
    EXPECT_EQ(test::readFileBytes(fakeRun.folders().workPath("(REG)T.txt")), expected);
    // The trailing backslash makes no difference.
    RegistryExporter(fakeRun).ExportRegistryBranch(RegistryRoot::LocalMachine, "SOFTWARE\\T", "(REG)T2.txt");
    EXPECT_EQ(test::readFileBytes(fakeRun.folders().workPath("(REG)T2.txt")), expected);
}

TEST_F(RegistryExportFakeTest, BufferModesHoldOnlyIndentedValueLines) {
    fake.add(RegistryView::Default, "K", {value("s", kRegSz, utf16("v")), value("b", kRegBinary, "\x01\x02")},
             {"C"});
    fake.add(RegistryView::Default, "K\\C", {value("c", kRegSz, utf16("w"))});
    RegistryExporter(fakeRun).ExportRegistryBranch(RegistryRoot::LocalMachine, "K", "",
                                                   ExportInto::SystemText);
    EXPECT_EQ(
        fakeRun.systemTextBuffer().lines(),
        (std::vector<std::string>{"    \"s\"=\"v\"", "    \"b\"=hex:", "01", ",", "02", "    \"c\"=\"w\""}));
    fakeRun.eventLog().clear();
    RegistryExporter(fakeRun).ExportRegistryBranch(RegistryRoot::LocalMachine, "K\\C", "",
                                                   ExportInto::EventLog);
    EXPECT_EQ(fakeRun.eventLog().texts(), std::vector<std::string>{"    \"c\"=\"w\""});
    EXPECT_FALSE(test::fileExists(fakeRun.folders().workPath("")));
}

TEST_F(RegistryExportFakeTest, SixtyFourBitHeaderAndNothingWithoutWow64) {
    fake.add(RegistryView::Wow64_64, "K", {value("v", kRegSz, utf16("64"))});
    RegistryExporter(fakeRun).ExportRegistryBranch64(RegistryRoot::LocalMachine, "K", "(REG)(64)K.txt");
    EXPECT_EQ(
        test::readFileBytes(fakeRun.folders().workPath("(REG)(64)K.txt")),
        utf8ToAnsi("!--- 64-разрядный раздел реестра ---!\r\n \r\nWindows Registry Editor Version 5.00\r\n"
                   "\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"v\"=\"64\"\r\n"));
    fake.wow64 = false;
    RegistryExporter(fakeRun).ExportRegistryBranch64(RegistryRoot::LocalMachine, "K", "(REG)(64)L.txt");
    EXPECT_FALSE(test::fileExists(fakeRun.folders().workPath("(REG)(64)L.txt")));
}

TEST_F(RegistryExportFakeTest, FindSubkeyWithValueLogsEveryKeyAndTakesTheLastHit) {
    fake.add(RegistryView::Default, "S\\M", {}, {"1.0", "2.0", "3.0"});
    fake.add(RegistryView::Default, "S\\M\\1.0", {value("InstallPath", kRegSz, utf16("C:\\A"))});
    fake.add(RegistryView::Default, "S\\M\\2.0", {value("Other", kRegDword, std::string(4, '\0'))});
    fake.add(RegistryView::Default, "S\\M\\3.0",
             {value("InstallPath", kRegSz, utf16("C:\\B")), value("3.0", kRegSz, utf16("own"))});
    std::string found = RegistryReader(fakeRun).FindRegistrySubkeyWithValue(RegistryRoot::LocalMachine,
                                                                            "S\\M", "InstallPath");
    EXPECT_EQ(found, "S\\M\\3.0");
    auto log = fakeRun.eventLog().texts();
    std::vector<std::string> expected = {" ",
                                         "Проверяем в: S\\M существует ли InstallPath",
                                         "    Ключ № \"0\" : \"1.0\" = \"\"",
                                         "    Обнаружена ветка реестра. Ищем \"InstallPath\": \"S\\M\\1.0\"",
                                         " ",
                                         "      Парметр № \"0\" : \"InstallPath\" = \"C:\\A\"",
                                         "      InstallPath = \"C:\\A",
                                         "      Result = \"S\\M\\1.0",
                                         " ",
                                         "    Ключ № \"1\" : \"2.0\" = \"\"",
                                         "    Обнаружена ветка реестра. Ищем \"InstallPath\": \"S\\M\\2.0\"",
                                         " ",
                                         "      Result!! = \"S\\M\\1.0",
                                         "    Ключ № \"2\" : \"3.0\" = \"own\"",
                                         "    Обнаружена ветка реестра. Ищем \"InstallPath\": \"S\\M\\3.0\"",
                                         " ",
                                         "      Парметр № \"0\" : \"InstallPath\" = \"C:\\B\"",
                                         "      InstallPath = \"C:\\B",
                                         "      Result = \"S\\M\\3.0",
                                         " "};
    EXPECT_EQ(log, expected);
}

// The demo machine's sample branch, exported from the real registry. Wine lists values by name, so
// each key's value lines are compared as a set; key lines keep their order.
class RegistryExportRealTest : public test::PrimitivesTest {
  protected:
    static std::map<std::string, std::vector<std::string>> blocks(const std::vector<std::string>& lines,
                                                                  std::vector<std::string>& keyOrder) {
        std::map<std::string, std::vector<std::string>> out;
        std::string current;
        for (const auto& l : lines) {
            if (l.starts_with("["))
                keyOrder.push_back(current = l);
            else if (!l.empty() && !current.empty())
                out[current].push_back(l);
        }
        for (auto& [k, v] : out)
            std::sort(v.begin(), v.end());
        return out;
    }
};

TEST_F(RegistryExportRealTest, SampleBranchWithEveryValueType) {
    RegistryExporter(run).ExportRegistryBranch(RegistryRoot::LocalMachine, "SOFTWARE\\TAVIR\\Samples\\Export",
                                               "(REG)Samples.txt");
    auto lines = crlfLines(workText("(REG)Samples.txt"));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "Windows Registry Editor Version 5.00");
    std::vector<std::string> order;
    auto got = blocks(lines, order);
    const std::string top = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\Samples\\Export]";
    const std::string child = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\Samples\\Export\\Child]";
    EXPECT_EQ(order, (std::vector<std::string>{top, child}));
    std::vector<std::string> expected = {
        "@=\"default\"",
        "\"View\"=\"32\"",
        "\"Path\"=\"C:\\\\Program Files\\\\TAVIR\\\\\"",
        "\"Quote\"=\"say \"hi\"\"",
        "\"Back\\\\slash\"=\"x\"",
        "\"Count\"=dword:0000002A",
        "\"Blob60\"=hex:00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F,10,11,12,13,14,15,16,17,18,19,\\",
        "1A,1B,1C,1D,1E,1F,20,21,22,23,24,25,26,27,28,29,2A,2B,2C,2D,2E,2F,30,31,32,\\",
        "33,34,35,36,37,38,39,3A,3B",
        "\"Empty\"=hex:",
        "\"List\"=hex(7):61,00,00,00,62,00,00,00,00,00",
        "\"Big\"=hex(b):01,02,03,04,05,06,07,08",
        "\"Nothing\"=hex(0):",
        "\"Expand\"=\"%TEMP%\""};
    // The wrapped binary value must stay together: its three lines follow each other.
    auto at = std::find(lines.begin(), lines.end(), expected[6]);
    ASSERT_NE(at, lines.end());
    EXPECT_EQ(*(at + 1), expected[7]);
    EXPECT_EQ(*(at + 2), expected[8]);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(got[top], expected);
    EXPECT_EQ(got[child], std::vector<std::string>{"\"Leaf\"=\"1\""});
}

TEST_F(RegistryExportRealTest, SixtyFourBitViewOnlyOn64BitWindows) {
    RegistryExporter(run).ExportRegistryBranch64(RegistryRoot::LocalMachine,
                                                 "SOFTWARE\\TAVIR\\Samples\\Export", "(REG)(64)Samples.txt");
    if (!RegistryReader(run).IsWow64()) {
        EXPECT_FALSE(inWork("(REG)(64)Samples.txt"));
        return;
    }
    auto lines = crlfLines(workText("(REG)(64)Samples.txt"));
    std::vector<std::string> order;
    auto got = blocks(lines, order);
    EXPECT_EQ(got["[HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\Samples\\Export]"],
              (std::vector<std::string>{"\"Blob\"=hex:DE,AD", "\"View\"=\"64\""}));
    EXPECT_EQ(lines[0], "!--- 64-разрядный раздел реестра ---!");
}

TEST_F(RegistryExportRealTest, ReadersInBothViewsAndTheirFailures) {
    RegistryReader reader(run);
    EXPECT_EQ(
        reader.ReadRegistryString(RegistryRoot::LocalMachine, "SOFTWARE\\TAVIR\\Samples", "Export", "View"),
        "32");
    EXPECT_EQ(reader.ReadRegistryString(RegistryRoot::LocalMachine, "SOFTWARE\\TAVIR\\Samples\\Export", "",
                                        "Expand"),
              "%TEMP%");
    EXPECT_EQ(reader.ReadRegistryString(RegistryRoot::LocalMachine, "SOFTWARE\\TAVIR\\Samples", "Export",
                                        "Missing"),
              "");
    EXPECT_TRUE(log().empty());
    if (reader.IsWow64()) {
        EXPECT_EQ(reader.ReadRegistryString64(RegistryRoot::LocalMachine, "SOFTWARE\\TAVIR\\Samples",
                                              "Export", "View"),
                  "64");
    }
    // A value that is not a string is logged and reads as empty.
    EXPECT_EQ(
        reader.ReadRegistryString(RegistryRoot::LocalMachine, "SOFTWARE\\TAVIR\\Samples", "Export", "Count"),
        "");
    ASSERT_EQ(log().size(), 2u);
    EXPECT_EQ(log()[1].rfind(
                  "[RegSet32] [Получить информацию из реестра не удалось] "
                  "[\"SOFTWARE\\TAVIR\\Samples\\Export\\Count\"] - ERegistryException ошибка, с сообщением: ",
                  0),
              0u);

    EXPECT_EQ(reader.ReadRegistryMultiString(RegistryRoot::LocalMachine, "SOFTWARE\\TAVIR\\Samples\\Export",
                                             "List"),
              (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(reader.ReadRegistryMultiString(RegistryRoot::LocalMachine, "SOFTWARE\\TAVIR\\Nowhere", "List")
                    .empty());
    EXPECT_THROW(reader.ReadRegistryMultiString(RegistryRoot::LocalMachine,
                                                "SOFTWARE\\TAVIR\\Samples\\Export", "Path"),
                 RegistryError);
    EXPECT_THROW(reader.ReadRegistryMultiString(RegistryRoot::LocalMachine,
                                                "SOFTWARE\\TAVIR\\Samples\\Export", "None"),
                 RegistryError);
}

} // namespace
} // namespace kw
