// Packages through KW_Scan.exe itself: a scripted collection that leaves its package in a folder, and
// packages named on the command line, opened side by side and compared.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include "platform/Cabinet.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "results/PackageManifest.h"
#include "results/ResultTree.h"
#include "results/RichTextPlain.h"
#include "tests/TempFolder.h"
#include "tests/e2e/RunningProgram.h"
#include "viewer/ViewerPane.h"

namespace kw {
namespace {

std::string messageText(HWND box) {
    std::string all;
    EnumChildWindows(
        box,
        [](HWND w, LPARAM lp) WINAPI -> BOOL {
            *reinterpret_cast<std::string*>(lp) += windowText(w) + "\n";
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&all));
    return all;
}

// A text view's text without its final line breaks.
std::string richText(HWND edit) {
    std::string text = windowText(edit);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    return text;
}

// A package of the given files, made with the program's own cabinet code.
std::string packageOf(const std::string& name,
                      const std::vector<std::pair<std::string, std::string>>& files) {
    std::string folder = test::tempDir() + name + ".src";
    windowsFileSystem().createFolder(folder);
    std::vector<CabinetSource> sources;
    for (const auto& [file, bytes] : files) {
        test::writeFileBytes(folder + "\\" + file, bytes);
        sources.push_back({folder + "\\" + file, file});
    }
    std::string cab = test::tempDir() + name;
    EXPECT_FALSE(writeCabinet(cab, sources, "KW_Archive"));
    return cab;
}

// The secrets the demo machine holds (demo/machine): a connection string in the PLM server's INI, a
// password value in the PLM registry branch, a password in an environment variable, a password in the
// user's PLM INI in UTF-16.
const char* const kDemoSecrets[] = {"Kv8#pLm-Srv2024", "Rg7!TavirSrv", "EnvPw-5150", "Utf16-Pw-777"};

std::string utf16Bytes(const std::string& ascii, bool bigEndian) {
    std::string out;
    for (char c : ascii)
        out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return out;
}

DWORD verifyExitCode(const std::string& package) {
    return exitCodeAfter(start("verify \"" + package + "\""), 60000);
}

TEST(PackageEndToEndTest, ScriptedCollectionLeavesItsPackageInTheGivenFolder) {
    copyDemoTempFiles();
    std::string folder = test::tempDir() + "Пакеты СТП"; // created by the program, blanks and Cyrillic
    Child c = start("fullin \"" + folder + "\"");
    ASSERT_TRUE(c.process);
    EXPECT_EQ(exitCodeAfter(c, 240000), 0u);
    auto packages = cabinetsIn(folder);
    ASSERT_EQ(packages.size(), 1u);
    std::string out = test::tempDir() + "unpacked";
    windowsFileSystem().createFolder(out);
    ExtractedCabinet unpacked;
    ASSERT_FALSE(extractCabinet(packages[0], out, {}, unpacked));
    for (const char* name : {"KW_Scan!.rtf", "KW_Scan!.txt", "KW_scan.ini", "software.txt"})
        EXPECT_TRUE(test::fileExists(out + "\\" + name)) << name;
    for (const std::string& name : unpacked.written)
        EXPECT_FALSE(name == "KWScan.DDF" || name == "KWScan.CAB");
    // The program has ended: its work folders are gone, the package stays.
    EXPECT_FALSE(windowsFileSystem().folderExists(test::tempDir() + "KW_Temp"));

    // The contents list is the last member, and the package matches it.
    ASSERT_FALSE(unpacked.written.empty());
    EXPECT_EQ(unpacked.written.back(), kManifestFile);
    EXPECT_EQ(verifyExitCode(packages[0]), 0u);
    // Secrets never leave the computer: none of the demo machine's is in any member, in any encoding...
    for (const std::string& name : unpacked.written) {
        std::string bytes = test::readFileBytes(out + "\\" + name);
        for (const char* secret : kDemoSecrets)
            for (const std::string& form :
                 {std::string(secret), utf16Bytes(secret, false), utf16Bytes(secret, true)})
                EXPECT_EQ(bytes.find(form), std::string::npos) << secret << " in " << name;
    }
    // ...and each was collected and masked where the list of masked values says.
    std::string masked = ansiToUtf8(test::readFileBytes(out + "\\KW_Masked.csv"));
    for (const char* row :
         {"(REG)HKLM_TAVIR.txt\t", "(cmd)set.txt\t", "(Peltrand)PeltrandAppServerMain.ini\t"})
        EXPECT_NE(masked.find(std::string("\r\n") + row), std::string::npos) << row << "\n" << masked;
    EXPECT_NE(masked.find("\tTAVIR_PLM_PASSWORD\r\n"), std::string::npos) << masked;
    EXPECT_NE(masked.find("\tDbPassword\r\n"), std::string::npos) << masked;
    // The program's own settings copy keeps its values: no key of it reads as a secret.
    EXPECT_EQ(masked.find("KW_scan.ini"), std::string::npos) << masked;

    // Altered on the way: verify says so.
    std::vector<CabinetSource> sources;
    for (const std::string& name : unpacked.written)
        sources.push_back({out + "\\" + name, name});
    test::writeFileBytes(out + "\\software.txt", test::readFileBytes(out + "\\software.txt") + "x");
    std::string altered = test::tempDir() + "altered.cab";
    ASSERT_FALSE(writeCabinet(altered, sources, "KW_Archive"));
    EXPECT_EQ(verifyExitCode(altered), 1u);
}

TEST(PackageEndToEndTest, ScriptedCollectionWithoutFolderSavesBesideTheProgramOrFails) {
    // A copy of the program in a folder of the test's own, so that its package lands there.
    std::string home = test::tempDir() + "program";
    windowsFileSystem().createFolder(home);
    ASSERT_FALSE(windowsFileSystem().copyFile(programPath(), home + "\\KW_Scan.exe"));
    Child c = startProgram(home + "\\KW_Scan.exe", "fullin");
    EXPECT_EQ(exitCodeAfter(c, 240000), 0u);
    EXPECT_EQ(cabinetsIn(home).size(), 1u);

    // A folder that cannot be made (a file stands in its way): no package, and the exit code says so.
    // Nothing collected is lost: the work folder stays with the event log saying why, and the reason
    // also goes to standard error.
    test::writeFileBytes(test::tempDir() + "blocker", "x");
    std::string target = test::tempDir() + "blocker\\packages";
    std::string errors = test::tempDir() + "stderr.txt";
    Child failing = startWithStandardError("fullin \"" + target + "\"", errors);
    EXPECT_EQ(exitCodeAfter(failing, 240000), 1u);
    std::string reason = "Пакет не записан. Не удалось создать каталог " + target;
    std::string told = ansiToUtf8(test::readFileBytes(errors));
    EXPECT_NE(told.find("KW_Scan!: " + reason), std::string::npos) << told;
    std::string work = test::tempDir() + "KW_Temp";
    EXPECT_NE(told.find(work), std::string::npos) << told;
    EXPECT_TRUE(windowsFileSystem().folderExists(work));
    for (const char* name : {"KW_Scan!.rtf", "KW_Scan!.txt", "KW_scan.ini", "software.txt", "(cmd)set.txt"})
        EXPECT_TRUE(test::fileExists(work + "\\" + name)) << name;
    std::string log = toUtf8(richTextToPlain(test::readFileBytes(work + "\\KW_Scan!.rtf")));
    EXPECT_NE(log.find("[!!] " + reason), std::string::npos);
    EXPECT_FALSE(windowsFileSystem().folderExists(test::tempDir() + "KW_Temp2"));
}

TEST(PackageEndToEndTest, TwoPackagesOnTheCommandLineOpenSideBySideAndCompare) {
    std::string a = packageOf("first.cab", {{"software.txt", "Windows 10\r\nRAM 8 GB\r\nCPU 2\r\n"},
                                            {"KW_Scan!.txt", "run one\r\n"}});
    std::string b = packageOf("second.cab", {{"software.txt", "Windows 10\r\nRAM 16 GB\r\nCPU 2\r\n"},
                                             {"KW_Scan!.txt", "run two\r\n"}});
    Child c = start("\"" + a + "\" \"" + b + "\"");
    ASSERT_TRUE(c.process);
    HWND w = nullptr, caption2 = nullptr;
    ASSERT_TRUE(waitFor(
        [&] {
            w = mainWindowOf(c.id);
            caption2 = w ? descendant(w, viewer_id::kCaption2) : nullptr;
            return caption2 && IsWindowVisible(caption2) && windowText(caption2) == "(2) second.cab";
        },
        60000));
    EXPECT_EQ(windowText(descendant(w, viewer_id::kCaption1)), "(1) first.cab");
    EXPECT_EQ(test::readFileBytes(test::tempDir() + "KW_Temp\\KW_Scan!.txt"), "run one\r\n");
    EXPECT_EQ(test::readFileBytes(test::tempDir() + "KW_Temp2\\KW_Scan!.txt"), "run two\r\n");

    HWND tree = descendant(w, viewer_id::kTree);
    HTREEITEM findings = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    HTREEITEM root = reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(findings))); // software.txt
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(root));
    HWND text1 = descendant(w, viewer_id::kText1), text2 = descendant(w, viewer_id::kText2);
    EXPECT_EQ(richText(text1), "Windows 10\r\nRAM 8 GB\r\nCPU 2");
    SendMessageW(descendant(w, viewer_id::kPane), WM_COMMAND, viewer_id::kCompareLines, 0);
    EXPECT_EQ(richText(text1), "RAM 8 GB");
    EXPECT_EQ(richText(text2), "RAM 16 GB");
    // The files stay whole: selecting the node again shows them.
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, 0);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(root));
    EXPECT_EQ(richText(text2), "Windows 10\r\nRAM 16 GB\r\nCPU 2");

    PostMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(c.process.get(), 30000), WAIT_OBJECT_0);
}

TEST(PackageEndToEndTest, AFileThatIsNoPackageIsReportedAndKept) {
    std::string notes = test::tempDir() + "notes.txt";
    test::writeFileBytes(notes, "not a package at all");
    Child c = start("\"" + notes + "\"");
    ASSERT_TRUE(c.process);
    HWND box = nullptr;
    ASSERT_TRUE(waitFor([&] { return (box = windowOf(c.id, L"#32770")) != nullptr; }, 60000));
    EXPECT_NE(messageText(box).find("Не удалось открыть файл"), std::string::npos) << messageText(box);
    EXPECT_EQ(test::readFileBytes(notes), "not a package at all");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    HWND w = nullptr;
    ASSERT_TRUE(waitFor([&] { return (w = mainWindowOf(c.id)) != nullptr; }, 10000));
    PostMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(c.process.get(), 30000), WAIT_OBJECT_0);
}

} // namespace
} // namespace kw
