// The library box on a library of packages the program saved: a search fills the list, the buttons hand
// the chosen package (and its predecessor) to the main window, a folder is added on a thread of its own,
// and a changed place is remembered.
#include "app/LibraryWindow.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include "app/LibraryPlaceFromSettings.h"
#include "library/PackageIntake.h"
#include "platform/Text.h"
#include "tests/library/LibraryTestPackages.h"

namespace kw {
namespace {

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void select(HWND box, int row) {
    HWND list = GetDlgItem(box, LibraryWindow::kListId);
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

TEST(LibraryWindowTest, SearchOpenCompareWithThePreviousAndAddAFolder) {
    FileSystem& files = windowsFileSystem();
    const std::string dir = test::tempDir();
    files.createFolder(dir + "later");
    std::string first = test::savePackage(test::runFiles("PC-1", "ivan", 1), dir + "one", "PC-1");
    std::string second = test::savePackage(test::runFiles("PC-1", "ivan", 2), dir + "two", "PC-1");
    std::string later = test::savePackage(test::runFiles("SRV", "admin", 3), dir + "later\\sub", "SRV");
    ASSERT_FALSE(first.empty() || second.empty() || later.empty());
    LibrarySettings settings{.place = dir + "lib.sqlite"};
    {
        PackageLibrary library(libraryPlaceOf(settings, files));
        PackageIntake intake(files, library, dir + "staging", nullptr);
        ASSERT_EQ(intake.add(first, "now").state, IntakeState::Added);
        ASSERT_EQ(intake.add(second, "now").state, IntakeState::Added);
    }

    LibraryWindow box(files, settings, nullptr);
    ASSERT_TRUE(box.create(GetModuleHandleW(nullptr), nullptr));
    std::vector<std::string> opened, compared;
    box.open = [&](const std::string& p, bool side2) { opened.push_back(p + (side2 ? " (2)" : "")); };
    box.compareWithPrevious = [&](const std::string& p, const std::string& previous) {
        compared = {p, previous};
    };
    box.report = [](const std::string&) {};
    SetDlgItemTextW(box.hwnd(), LibraryWindow::kComputerId, L"pc-1");
    box.find();
    ASSERT_EQ(box.found().size(), 2u);
    EXPECT_EQ(ListView_GetItemCount(GetDlgItem(box.hwnd(), LibraryWindow::kListId)), 2);
    EXPECT_EQ(box.countText(), "Найдено пакетов: 2 (в библиотеке 2)");

    select(box.hwnd(), 1);
    box.openSelected(true);
    EXPECT_EQ(opened, std::vector<std::string>{second + " (2)"});
    box.compareSelectedWithPrevious();
    EXPECT_EQ(compared, (std::vector<std::string>{second, first}));

    // A folder of packages, its sub-folders too, added off the window's thread.
    box.chooseFolder = [&] { return std::optional<std::string>(dir + "later"); };
    SetDlgItemTextW(box.hwnd(), LibraryWindow::kComputerId, L"");
    box.addFolder();
    for (int i = 0; i < 600 && box.adding(); ++i) {
        pump();
        Sleep(20);
    }
    pump();
    EXPECT_EQ(box.found().size(), 3u);
    EXPECT_NE(box.countText().find("Просмотрено пакетов: 1 из 1, отклонено: 0"), std::string::npos);

    // A place with a password: the settings keep the password protected only.
    bool saved = false;
    box.settingsChanged = [&] { saved = true; };
    SetDlgItemTextW(box.hwnd(), LibraryWindow::kPlaceId, L"odbc:Driver={нет такого};Uid=kw;Pwd=секрет;");
    box.applyPlace();
    EXPECT_TRUE(saved);
    EXPECT_EQ(settings.place, "odbc:Driver={нет такого};Uid=kw;");
    EXPECT_EQ(settings.protectedPassword.find("секрет"), std::string::npos);
    EXPECT_NE(libraryPlaceOf(settings, files).text.find("Pwd=секрет"), std::string::npos);
    EXPECT_EQ(
        box.countText().rfind("Библиотека odbc:Driver={нет такого};Uid=kw;Pwd=******** не открыта: ", 0), 0u);
}

} // namespace
} // namespace kw
