// The command table against what the window shows: every command where its row puts it, and every
// shortcut written in the menu a key that reaches the window.
#include "app/CommandBar.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "app/resource.h"
#include "platform/Text.h"
#include "platform/Window.h"

namespace kw {
namespace {

std::vector<int> commandsReceived;

LRESULT CALLBACK hostProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND)
        commandsReceived.push_back(LOWORD(wp));
    return DefWindowProcW(w, msg, wp, lp);
}

class CommandBarTest : public testing::Test {
  protected:
    void SetUp() override {
        loadCommonControls(ICC_BAR_CLASSES);
        WNDCLASSW wc{};
        wc.lpfnWndProc = hostProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"CommandBarTestHost";
        RegisterClassW(&wc);
        host = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 600, 300, nullptr,
                               nullptr, wc.hInstance, nullptr);
        ASSERT_NE(host, nullptr);
        bar.create(host);
        commandsReceived.clear();
    }
    void TearDown() override { DestroyWindow(host); }

    // The items of the menu bar and its popups, the help menu "Справка" aside.
    std::vector<std::pair<int, std::wstring>> menuItems() {
        std::vector<std::pair<int, std::wstring>> items;
        auto add = [&](HMENU menu, int position) {
            wchar_t text[256] = {};
            GetMenuStringW(menu, static_cast<UINT>(position), text, 256, MF_BYPOSITION);
            items.emplace_back(static_cast<int>(GetMenuItemID(menu, position)), text);
        };
        HMENU menu = GetMenu(host);
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t title[64] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), title, 64, MF_BYPOSITION);
            HMENU popup = GetSubMenu(menu, i);
            if (std::wstring(title) == L"Справка")
                continue;
            if (!popup)
                add(menu, i);
            for (int j = 0; popup && j < GetMenuItemCount(popup); ++j)
                if (GetMenuItemID(popup, j) != 0) // not a separator
                    add(popup, j);
        }
        return items;
    }

    HWND host = nullptr;
    CommandBar bar;
};

TEST_F(CommandBarTest, EveryCommandIsWhereItsRowPutsItAndNowhereTwice) {
    std::set<int> ids, inMenu, onToolBar;
    for (const Command& c : mainWindowCommands()) {
        EXPECT_TRUE(ids.insert(c.id).second) << "twice: " << c.id;
        EXPECT_TRUE(c.menuText || c.button) << "nowhere: " << c.id;
        if (c.menuText)
            inMenu.insert(c.id);
        if (c.button)
            onToolBar.insert(c.id);
    }
    std::set<int> shownInMenu;
    for (const auto& [id, text] : menuItems())
        EXPECT_TRUE(shownInMenu.insert(id).second) << "twice in the menu: " << id;
    EXPECT_EQ(shownInMenu, inMenu);

    HWND toolBar = GetDlgItem(host, IDC_TOOLBAR);
    std::set<int> shownOnToolBar;
    int count = static_cast<int>(SendMessageW(toolBar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON b{};
        SendMessageW(toolBar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&b));
        EXPECT_TRUE(shownOnToolBar.insert(b.idCommand).second) << "twice on the tool bar: " << b.idCommand;
    }
    EXPECT_EQ(shownOnToolBar, onToolBar);
}

TEST_F(CommandBarTest, ShortcutWrittenInTheMenuIsTheKeyThatSendsItsCommand) {
    int shortcuts = 0;
    for (const auto& [id, text] : menuItems()) {
        size_t tab = text.find(L'\t');
        if (tab == std::wstring::npos)
            continue;
        ++shortcuts;
        std::wstring key = text.substr(tab + 1);
        ASSERT_EQ(key.size(), 6u) << toUtf8(key);
        ASSERT_EQ(key.substr(0, 5), L"Ctrl+");
        bar.setEnabled(id, true); // a greyed item's key sends nothing

        BYTE keys[256] = {};
        MSG msg{host, WM_KEYDOWN, key[5], 0};
        SetKeyboardState(keys);
        EXPECT_FALSE(bar.translateAccelerator(msg)) << "without Ctrl: " << toUtf8(key);
        keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
        SetKeyboardState(keys);
        commandsReceived.clear();
        EXPECT_TRUE(bar.translateAccelerator(msg)) << toUtf8(key);
        EXPECT_EQ(commandsReceived, std::vector<int>{id}) << toUtf8(key);
    }
    BYTE none[256] = {};
    SetKeyboardState(none);
    EXPECT_EQ(shortcuts, 3);
}

TEST_F(CommandBarTest, StartButtonsTipIsTheHintOfTheChosenVariant) {
    StartVariant chosen = StartVariant::Main;
    bar.startVariant = [&] { return chosen; };
    auto tip = [&](int id) {
        NMTTDISPINFOW tt{};
        tt.hdr.hwndFrom = host;
        tt.hdr.idFrom = static_cast<UINT_PTR>(id);
        tt.hdr.code = TTN_GETDISPINFOW;
        EXPECT_TRUE(bar.notify(&tt.hdr));
        return toUtf8(tt.lpszText);
    };
    EXPECT_EQ(tip(IDC_START), startVariantInfo(StartVariant::Main).hint);
    chosen = StartVariant::Full;
    EXPECT_EQ(tip(IDC_START), startVariantInfo(StartVariant::Full).hint);
    EXPECT_EQ(tip(IDC_SAVE_PACKAGE), "Сохранить информацию...");
    EXPECT_EQ(tip(IDC_STOP), "");
}

TEST(AcceleratorOfTest, ReadsModifiersLettersDigitsAndFunctionKeysAndNothingElse) {
    auto key = acceleratorOf(L"Ctrl+Shift+F5", 7);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->fVirt, FVIRTKEY | FCONTROL | FSHIFT);
    EXPECT_EQ(key->key, VK_F5);
    EXPECT_EQ(key->cmd, 7);
    key = acceleratorOf(L"Alt+2", 8);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->fVirt, FVIRTKEY | FALT);
    EXPECT_EQ(key->key, '2');
    for (const wchar_t* wrong : {L"", L"Ctrl+", L"Ctrl+o", L"Ctrl+OK", L"Ctrl+F0", L"Ctrl+F25", L"Ctrl+F05"})
        EXPECT_FALSE(acceleratorOf(wrong, 1)) << toUtf8(wrong);
    EXPECT_FALSE(acceleratorOf(nullptr, 1));
}

} // namespace
} // namespace kw
