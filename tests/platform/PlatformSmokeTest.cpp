// Every platform interface once, in one process: the program's own build must reach each system DLL it
// imports (on delay too) and get sound answers. On a machine that runs no 32-bit code this is what of
// the 32-bit build runs, under emulation, so it stays one process and asks nothing slow.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which they need
#include <commdlg.h>
#include <sql.h>
#include <sqlext.h>

#include "platform/Cabinet.h"
#include "platform/Com.h"
#include "platform/Digest.h"
#include "platform/FileSystem.h"
#include "platform/JpegWriter.h"
#include "platform/PeVersion.h"
#include "platform/Processes.h"
#include "platform/Protect.h"
#include "platform/Registry.h"
#include "platform/ScreenCapture.h"
#include "platform/SystemInfo.h"
#include "platform/Text.h"

namespace kw {
namespace {

std::string tempPath(const std::string& name) {
    return windowsFileSystem().tempDirectory() + name;
}

TEST(PlatformSmoke, RegistryInBothViews) {
    Registry& registry = windowsRegistry();
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion";
    auto own = registry.readString(RegistryRoot::LocalMachine, key, "ProgramFilesDir", RegistryView::Default);
    auto wide =
        registry.readString(RegistryRoot::LocalMachine, key, "ProgramFilesDir", RegistryView::Wow64_64);
    ASSERT_TRUE(own && wide);
    // A 32-bit program on 64-bit Windows sees the (x86) folder in its own view and the other in the 64-bit
    // one.
    if (registry.isWow64())
        EXPECT_NE(*own, *wide);
    else
        EXPECT_EQ(*own, *wide);
    auto contents = registry.readKey(RegistryRoot::LocalMachine, key, RegistryView::Default);
    ASSERT_TRUE(contents);
    EXPECT_FALSE(contents->values.empty());
    EXPECT_EQ(
        registry.readValue(RegistryRoot::LocalMachine, key, "kw no such value", RegistryView::Default).status,
        RegistryStatus::NoValue);
}

TEST(PlatformSmoke, FilesAndShell) {
    FileSystem& files = windowsFileSystem();
    const std::string folder = tempPath("Папка с пробелом");
    ASSERT_TRUE(files.createFolder(folder));
    const std::string a = folder + "\\а.txt", b = folder + "\\b.txt", c = folder + "\\c.txt";
    ASSERT_TRUE(files.writeFile(a, "строка\r\n"));
    EXPECT_EQ(files.readFile(a), "строка\r\n");
    EXPECT_FALSE(files.copyFile(a, b));
    EXPECT_TRUE(files.shellCopy(b, c));
    EXPECT_EQ(files.fileSize(c), 14); // UTF-8
    EXPECT_TRUE(files.fileDate(c));
    int listed = 0;
    EXPECT_FALSE(files.listFolder(folder + "\\", [&](const FolderEntry&) { return ++listed, true; }));
    EXPECT_EQ(listed, 3);
    EXPECT_FALSE(files.specialFolder(kCsidlSystem).empty());
    EXPECT_NE(files.expandEnvironment("%SystemRoot%"), "%SystemRoot%");
    EXPECT_FALSE(files.longPathName(folder).empty());
    EXPECT_TRUE(files.deleteFolderTree(folder));
    EXPECT_FALSE(files.folderExists(folder));
}

// Before the child process: under QEMU's emulation, Wine's 32-bit name lookup (gethostbyname, through
// its network-interface query) crashes the emulator once the process has started a child.
TEST(PlatformSmoke, SystemInformationWithTheNetwork) {
    SystemInfo& system = windowsSystemInfo();
    EXPECT_FALSE(system.computerName().empty());
    EXPECT_FALSE(system.userName().empty());
    EXPECT_FALSE(system.shortDate(system.now()).empty());
    EXPECT_GT(system.memoryStatus().totalPhysical, 0u);
    EXPECT_TRUE(system.diskSpace('C'));
    EXPECT_FALSE(system.volumeFileSystem('C').empty());
    EXPECT_GT(system.processorCount(), 0u);
    system.isAdministrator();
    system.displayAdapters();
    // Windows Sockets and NetBIOS: both on delay.
    // Empty on a machine whose own name resolves to no address (no network at all).
    std::string host = system.hostAddress();
    if (!host.empty()) {
        EXPECT_NE(host.find('.'), std::string::npos) << host;
    }
    std::string adapter = system.adapterAddress();
    if (adapter != "mac not found") {
        EXPECT_EQ(adapter.size(), 17u) << adapter; // 00-11-22-33-44-55
    }
}

TEST(PlatformSmoke, ChildProcessWritesItsOutput) {
    Processes& processes = windowsProcesses();
    const std::string out = tempPath("echo.txt");
    LaunchResult started =
        processes.launch({.commandLine = processes.commandInterpreter() + " /c echo kw", .outputFile = out});
    ASSERT_TRUE(started.process) << started.error;
    EXPECT_TRUE(started.process->wait(600000));
    EXPECT_EQ(windowsFileSystem().readFile(out).value_or("").substr(0, 2), "kw");
    auto lock = processes.lockInstance("kw_smoke_lock");
    ASSERT_TRUE(lock);
    EXPECT_FALSE(lock->heldElsewhere());
}

TEST(PlatformSmoke, ComAndItsCatalogues) {
    ComApartment apartment;
    ASSERT_TRUE(apartment.ok());
    // Wine has neither catalogue: asking fails with the system's message, as the sections log it.
    try {
        windowsCom().openComPlusCatalog()->collection("Applications");
        ADD_FAILURE() << "a COM+ catalogue under Wine";
    } catch (const ComError& e) {
        EXPECT_FALSE(e.errorClass().empty());
        EXPECT_FALSE(std::string(e.what()).empty());
    }
}

TEST(PlatformSmoke, DigestsOfKnownText) {
    Md5 md5;
    ASSERT_TRUE(md5.ok());
    md5.update("abc");
    EXPECT_EQ(lowerHex(md5.finish()), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(PlatformSmoke, CabinetWrittenAndReadBack) {
    FileSystem& files = windowsFileSystem();
    std::string big(200000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7 % 251);
    ASSERT_TRUE(files.writeFile(tempPath("one.bin"), big));
    ASSERT_TRUE(files.writeFile(tempPath("два.txt"), "текст"));
    const std::string cab = tempPath("smoke.cab");
    ASSERT_FALSE(
        writeCabinet(cab, {{tempPath("one.bin"), "one.bin"}, {tempPath("два.txt"), "два.txt"}}, "KW"));
    EXPECT_TRUE(isCabinet(cab));
    const std::string out = tempPath("out");
    ASSERT_TRUE(files.createFolder(out));
    ExtractedCabinet result;
    ASSERT_FALSE(extractCabinet(
        cab, out, [](const CabinetMember&) { return std::nullopt; }, result));
    EXPECT_EQ(result.written.size(), 2u);
    EXPECT_EQ(files.readFile(out + "\\one.bin"), big);
    EXPECT_EQ(files.readFile(out + "\\два.txt"), "текст");
}

TEST(PlatformSmoke, VersionFromTheBytesAndFromTheVersionFunctions) {
    FileSystem& files = windowsFileSystem();
    std::string self = files.programPath();
    std::string fixture = self.substr(0, self.rfind('\\') + 1) + "kw_fixture_versioned.exe";
    std::string bytes = files.readFile(fixture).value_or("");
    PeVersionAnswer scanned = peVersionOf(bytes);
    std::optional<FileVersion> asked = files.fileVersion(fixture); // version.dll, on delay
    ASSERT_EQ(scanned.state, PeVersionAnswer::Found);
    ASSERT_TRUE(asked);
    EXPECT_TRUE(std::equal(scanned.version.file, scanned.version.file + 4, asked->file));
}

TEST(PlatformSmoke, ScreenAsJpeg) {
    std::string error;
    std::optional<ScreenImage> screen = windowsScreenCapture().capturePrimaryScreen(error);
    ASSERT_TRUE(screen) << error;
    std::optional<std::string> jpeg = encodeJpeg(*screen, 60, error);
    ASSERT_TRUE(jpeg) << error;
    EXPECT_EQ(jpeg->substr(0, 2), "\xFF\xD8");
}

// The file dialogs' DLL, on delay: one call that shows nothing.
TEST(PlatformSmoke, FileDialogLibraryAnswers) {
    EXPECT_EQ(CommDlgExtendedError(), 0u);
}

// The data protection (crypt32) and the ODBC driver manager, both on delay.
TEST(PlatformSmoke, ProtectedSecretAndOdbcEnvironment) {
    std::optional<std::string> kept = protectForUser("пароль; DROP TABLE");
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->find("пароль"), std::string::npos);
    EXPECT_EQ(unprotectForUser(*kept), "пароль; DROP TABLE");
    EXPECT_FALSE(unprotectForUser("bm90IHByb3RlY3RlZA=="));
    SQLHENV env = nullptr;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)));
    SQLFreeHandle(SQL_HANDLE_ENV, env);
}

} // namespace
} // namespace kw
