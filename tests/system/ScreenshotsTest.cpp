// Screenshots without the window: the file name from the locale's formats, the picture and the table in
// a real work folder, and every failure as an event-log line.
#include "system/Screenshots.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "core/FileInventory.h"
#include "platform/JpegWriter.h"
#include "platform/Text.h"
#include "platform/WinHandle.h"
#include "tests/JpegFile.h"
#include "tests/TempFolder.h"
#include "tests/core/FakeSystem.h"

namespace kw {
namespace {

// A picture whose colour says where a pixel lies: red grows to the right, green downwards.
ScreenImage gradient(int width, int height) {
    ScreenImage image{width, height, {}};
    auto share = [](int at, int size) {
        return static_cast<std::uint8_t>(size > 1 ? at * 255 / (size - 1) : 0);
    };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.pixels.insert(image.pixels.end(), {40, share(y, height), share(x, width), 0});
    return image;
}

struct FakeScreen : ScreenCapture {
    std::optional<ScreenImage> image = gradient(64, 48);
    std::string error = "Доступ запрещен.";
    WindowTrace hideWindow(WindowHandle) override { return {}; }
    void showWindow(WindowHandle) override {}
    bool waitUntilGone(WindowHandle, const WindowTrace&, int) override { return true; }
    std::optional<ScreenImage> capturePrimaryScreen(std::string& message) override {
        if (!image)
            message = error;
        return image;
    }
};

class ScreenshotsTest : public testing::Test {
  protected:
    void SetUp() override { files.createFolder(folders.folderPath(kWorkFolder)); }

    std::string take() {
        Screenshot shot(files, machine, folders);
        shot.take(screen);
        return shot.logText();
    }
    std::string work(const std::string& name) { return folders.workPath(name); }
    std::string rowOf(const std::string& name) {
        LocalTime t = *files.fileDate(work(name));
        return name + "\t" + std::to_string(files.fileSize(work(name))) + "\t" +
               dateTimeText(machine, t.year, t.month, t.day, t.hour, t.minute, t.second) + "\t \t \t ";
    }

    FileSystem& files = windowsFileSystem();
    test::FakeSystem machine;
    EventLog log;
    WorkFolders folders{files, log};
    FakeScreen screen;
};

} // namespace

TEST(ScreenshotFileName, TakesTheDateAndTimeWithWhatAFileNameCannotHoldReplaced) {
    EXPECT_EQ(screenshotFileName("08.12.2026", "14:05:09"), "Screen_08.12.2026_14-05-09.jpg");
    // An English short date would otherwise lead into folders that do not exist.
    EXPECT_EQ(screenshotFileName("12/8/2026", "2:05:09 PM"), "Screen_12-8-2026_2-05-09 PM.jpg");
    EXPECT_EQ(screenshotFileName("2026\\12\\08", "14*05?09\"<>|\t"), "Screen_2026-12-08_14-05-09-----.jpg");
}

TEST_F(ScreenshotsTest, FirstShotMakesTheTableAndASecondInTheSameSecondAddsARowOfTheSameName) {
    std::string name = screenshotFileName(machine.shortDate(machine.time), machine.longTime(machine.time));
    EXPECT_EQ(take(), " \r\nScreenshot ---> \"" + work(name) + "\"");
    std::string table = kScreenshotTableHeader + std::string("\r\n") + rowOf(name) + "\r\n";
    EXPECT_EQ(test::readFileBytes(work(kScreenshotTable)), utf8ToAnsi(table));

    // The picture is the screen's, in full colour, at its size.
    auto picture = test::decodeJpeg(test::readFileBytes(work(name)));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 64);
    EXPECT_EQ(picture->height, 48);
    EXPECT_EQ(picture->components, 3);
    auto at = [&](int x, int y, int channel) { return picture->rgb[(y * 64 + x) * 3 + channel]; };
    EXPECT_NEAR(at(60, 2, 0), 242, 12); // red at the right
    EXPECT_NEAR(at(60, 2, 1), 11, 12);
    EXPECT_NEAR(at(3, 45, 1), 243, 12); // green at the bottom
    EXPECT_NEAR(at(3, 45, 2), 40, 12);

    screen.image = gradient(32, 16); // the second picture replaces the first one under the same name
    take();
    table += rowOf(name) + "\r\n";
    EXPECT_EQ(test::readFileBytes(work(kScreenshotTable)), utf8ToAnsi(table));
    EXPECT_EQ(test::decodeJpeg(test::readFileBytes(work(name)))->width, 32);

    machine.advanceSeconds(1);
    std::string next = screenshotFileName(machine.shortDate(machine.time), machine.longTime(machine.time));
    ASSERT_NE(next, name);
    take();
    EXPECT_EQ(test::readFileBytes(work(kScreenshotTable)), utf8ToAnsi(table + rowOf(next) + "\r\n"));
}

TEST_F(ScreenshotsTest, TableOnDiskKeepsItsRowsWithOrWithoutItsLastLineEnd) {
    test::writeFileBytes(work(kScreenshotTable), utf8ToAnsi("Имя файла:\r\nold.jpg\t1"));
    take();
    std::string name = screenshotFileName(machine.shortDate(machine.time), machine.longTime(machine.time));
    EXPECT_EQ(test::readFileBytes(work(kScreenshotTable)),
              utf8ToAnsi("Имя файла:\r\nold.jpg\t1\r\n" + rowOf(name) + "\r\n"));
}

TEST_F(ScreenshotsTest, FailuresAreLogLinesAndLeaveNoPictureOrRowBehind) {
    std::string name = screenshotFileName(machine.shortDate(machine.time), machine.longTime(machine.time));
    auto failure = [&](const std::string& path, const std::string& errorClass) {
        return " \r\n[!!] [Screenshot] [\"" + path + "\"] - " + errorClass + " ошибка, с сообщением: ";
    };

    screen.image.reset();
    EXPECT_EQ(take(), failure(work(name), "EOSError") + "Доступ запрещен.");

    screen.image = gradient(70000, 1); // wider than JPEG allows
    std::string log = take();
    EXPECT_EQ(log.rfind(failure(work(name), "EJPEG"), 0), 0u) << log;
    EXPECT_GT(log.size(), failure(work(name), "EJPEG").size()); // with the encoder's own message
    EXPECT_FALSE(test::fileExists(work(name)));
    EXPECT_FALSE(test::fileExists(work(kScreenshotTable)));

    screen.image = gradient(64, 48);
    files.deleteFolderTree(folders.folderPath(kWorkFolder));
    log = take();
    EXPECT_EQ(log.rfind(failure(work(name), "EFCreateError"), 0), 0u) << log;
    EXPECT_FALSE(files.folderExists(folders.folderPath(kWorkFolder)));
}

TEST_F(ScreenshotsTest, TableThatCannotBeReadIsNotStartedAfreshOverItsRows) {
    test::writeFileBytes(work(kScreenshotTable), "rows of earlier shots\r\n");
    std::string name = screenshotFileName(machine.shortDate(machine.time), machine.longTime(machine.time));
    std::string log;
    {
        FileHandle locked(CreateFileW(toWide(work(kScreenshotTable)).c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(locked);
        log = take();
    }
    EXPECT_EQ(log.rfind(" \r\nScreenshot ---> \"" + work(name) + "\"\r\n[!!] [Screenshot] [\"" +
                            work(kScreenshotTable) + "\"] - EFOpenError ошибка, с сообщением: ",
                        0),
              0u)
        << log;
    EXPECT_EQ(test::readFileBytes(work(kScreenshotTable)), "rows of earlier shots\r\n");
    EXPECT_TRUE(test::decodeJpeg(test::readFileBytes(work(name))));
}

} // namespace kw
