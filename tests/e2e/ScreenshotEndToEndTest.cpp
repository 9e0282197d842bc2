// KW_Scan.exe and its global hot key: Alt+Shift+F9 pressed on the keyboard, then the hot-key message
// once more, leave pictures of the whole screen and the table of them in the work folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>

#include "platform/Text.h"
#include "system/Screenshots.h"
#include "tests/JpegFile.h"
#include "tests/TempFolder.h"
#include "tests/e2e/RunningProgram.h"

namespace kw {
namespace {

void pressHotKey() {
    std::vector<INPUT> keys;
    auto key = [&](WORD vk, bool up) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        keys.push_back(in);
    };
    key(VK_MENU, false), key(VK_SHIFT, false), key(VK_F9, false);
    key(VK_F9, true), key(VK_SHIFT, true), key(VK_MENU, true);
    SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}

std::vector<std::string> tableRows(const std::string& path) {
    return test::linesOf(ansiToUtf8(test::readFileBytes(path)));
}

} // namespace

TEST(ScreenshotEndToEnd, HotKeyTwiceLeavesPicturesOfTheScreenAndTheirTable) {
    std::string work = test::tempDir() + "KW_Temp\\";
    std::string table = work + kScreenshotTable;
    Child c = start("");
    ASSERT_TRUE(c.process);
    HWND w = nullptr;
    ASSERT_TRUE(waitFor([&] { return (w = mainWindowOf(c.id)) != nullptr && IsWindowVisible(w); }, 60000));
    EXPECT_FALSE(test::fileExists(table));

    // The first shot in the empty work folder makes the table.
    pressHotKey();
    ASSERT_TRUE(waitFor([&] { return tableRows(table).size() == 2; }, 20000));
    PostMessageW(w, WM_HOTKEY, 1, MAKELPARAM(MOD_ALT | MOD_SHIFT, VK_F9));
    ASSERT_TRUE(waitFor([&] { return tableRows(table).size() == 3; }, 20000));
    // The window comes back after the table is written whole.
    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(w) != 0; }, 5000));

    auto rows = tableRows(table);
    EXPECT_EQ(rows[0], "Имя файла:\tБайт:\tДата:\t\t \t ");
    std::set<std::string> names;
    for (size_t i = 1; i < rows.size(); ++i) {
        std::string name = rows[i].substr(0, rows[i].find('\t'));
        EXPECT_EQ(name.rfind("Screen_", 0), 0u) << rows[i];
        EXPECT_EQ(rows[i].substr(rows[i].size() - 6), "\t \t \t ");
        names.insert(name);
    }
    // Two shots within one second share a name: the second picture replaced the first.
    for (const std::string& name : names) {
        auto picture = test::decodeJpeg(test::readFileBytes(work + name));
        ASSERT_TRUE(picture) << name;
        EXPECT_EQ(picture->width, GetSystemMetrics(SM_CXSCREEN));
        EXPECT_EQ(picture->height, GetSystemMetrics(SM_CYSCREEN));
        EXPECT_EQ(picture->components, 3);
    }

    PostMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(c.process.get(), 30000), WAIT_OBJECT_0);
}

} // namespace kw
