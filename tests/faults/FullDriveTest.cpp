// A work folder on a drive that runs full during the run: every failed write is a "[!!]" line, the
// package step says why it cannot save, and a hidden run exits with 1 keeping its work folder. The
// drive is a small memory disk that the suite's script maps as KW_SMALL_DRIVE ("Y:\", say).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "core/FileCapture.h"
#include "platform/Cabinet.h"
#include "results/ResultPackage.h"
#include "tests/core/FakeProcesses.h"
#include "tests/core/FakeSystem.h"
#include "tests/e2e/RunningProgram.h"

namespace kw {
namespace {

struct QuietObserver : RunObserver {
    void topicChanged(const std::string&) override {}
    void progressChanged(int) override {}
};

class FullDriveTest : public testing::Test {
  protected:
    std::string drive;
    void SetUp() override {
        const char* small = std::getenv("KW_SMALL_DRIVE");
        if (!small || !*small)
            GTEST_SKIP() << "no small drive mapped (the suite's script maps one where it may mount)";
        drive = small;
        std::string temp = drive + "kw_" + std::to_string(GetCurrentProcessId()) + "\\";
        windowsFileSystem().deleteFolderTree(temp.substr(0, temp.size() - 1));
        ASSERT_TRUE(windowsFileSystem().createFolder(temp));
        SetEnvironmentVariableW(L"TEMP", toWide(temp).c_str());
        SetEnvironmentVariableW(L"TMP", toWide(temp).c_str());
        temp_ = temp;
    }
    void TearDown() override { windowsFileSystem().deleteFolderTree(temp_.substr(0, temp_.size() - 1)); }
    std::string temp_;
};

TEST_F(FullDriveTest, FailedWritesAreLoggedAndThePackageStepSaysWhy) {
    test::FakeSystem clock;
    test::RecordingProcesses processes;
    OptionSet options;
    Settings settings;
    CollectionRun run{{windowsFileSystem(), clock, windowsDesktop(), processes}, options, settings};
    run.folders().CreateWorkFolder(kWorkFolder);
    // Larger than the whole drive, so the copy fails half-way; it lies on the prefix's own drive.
    const std::string source = "C:\\windows\\temp\\kw_full_" + std::to_string(GetCurrentProcessId()) + ".log";
    test::writeFileBytes(source, std::string(6 << 20, 'x'));
    FileCapture(run).CaptureFile(source.substr(0, source.rfind('\\')), "", "",
                                 source.substr(source.rfind('\\') + 1));
    DeleteFileW(toWide(source).c_str());
    auto lines = run.eventLog().texts();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
        return l.starts_with("[!!]");
    })) << "the failed copy is not in the log";

    QuietObserver observer;
    ResultPackages packages{run, observer};
    SaveOutcome saved = packages.SavePackage(temp_);
    EXPECT_NE(saved.result, SaveResult::Saved);
    EXPECT_FALSE(saved.reason.empty());
}

TEST_F(FullDriveTest, HiddenRunOnAFullDriveExitsWithOneAndKeepsItsWorkFolder) {
    // The drive filled but for 256 KB, so that the run meets its end early.
    const std::string filler = temp_ + "filler.bin";
    {
        ULARGE_INTEGER free{};
        GetDiskFreeSpaceExW(toWide(drive).c_str(), &free, nullptr, nullptr);
        FileHandle f(
            CreateFileW(toWide(filler).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        std::string block(static_cast<size_t>(free.QuadPart > (256 << 10) ? free.QuadPart - (256 << 10) : 0),
                          'f');
        DWORD put = 0;
        WriteFile(f.get(), block.data(), static_cast<DWORD>(block.size()), &put, nullptr);
    }
    Child child = start("fullin \"" + temp_ + "out\"");
    ASSERT_TRUE(child.process);
    ASSERT_EQ(WaitForSingleObject(child.process.get(), 240000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(child.process.get(), &code);
    EXPECT_EQ(code, 1u);
    EXPECT_TRUE(windowsFileSystem().folderExists(temp_ + "KW_Temp")) << "the collection is lost";
}

// A small package that unpacks to more than the drive holds (megabytes of zeros) is refused before any
// of it is written, in the window's unpacking and on the command line alike.
TEST_F(FullDriveTest, PackageLargerThanTheDriveIsRefusedBeforeAnythingIsWritten) {
    const std::string zeros = "C:\\windows\\temp\\kw_zeros_" + std::to_string(GetCurrentProcessId()) + ".txt";
    const std::string bomb = "C:\\windows\\temp\\kw_bomb_" + std::to_string(GetCurrentProcessId()) + ".cab";
    test::writeFileBytes(zeros, std::string(24 << 20, '\0'));
    ASSERT_FALSE(writeCabinet(bomb, {{zeros, "(cmd)set.txt"}}, "KW"));
    DeleteFileW(toWide(zeros).c_str());
    ASSERT_LT(windowsFileSystem().fileSize(bomb), 1 << 20);

    const std::string into = temp_ + "into";
    ASSERT_TRUE(windowsFileSystem().createFolder(into));
    ExtractedCabinet members;
    std::optional<FileError> error = unpackPlainMembers(bomb, into, into, members);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, static_cast<unsigned>(ERROR_DISK_FULL)) << error->message;
    EXPECT_TRUE(members.written.empty());
    EXPECT_FALSE(test::fileExists(into + "\\(cmd)set.txt"));

    Child child = start("compare \"" + bomb + "\" \"" + bomb + "\" \"" + temp_ + "r.tsv\"");
    ASSERT_TRUE(child.process);
    ASSERT_EQ(WaitForSingleObject(child.process.get(), 120000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(child.process.get(), &code);
    EXPECT_EQ(code, 2u);
    int left = 0;
    windowsFileSystem().listFolder(temp_, [&](const FolderEntry& e) {
        left += e.name.starts_with("KW_Compare_");
        return true;
    });
    EXPECT_EQ(left, 0) << "a staging folder stays behind";
    DeleteFileW(toWide(bomb).c_str());
}

} // namespace
} // namespace kw
