// The results area with its real controls under Wine: the tree, the rich-edit views, the grids, the
// searches and the clipboard.
#include "viewer/ViewerPane.h"

#include <gtest/gtest.h>
#include <richedit.h>

#include <algorithm>

#include "platform/Text.h"
#include "tests/TempFolder.h"
#include "tests/WindowText.h"

namespace kw {
namespace {

struct QuietDesktop : Desktop {
    std::vector<std::string> messages, opened;
    bool registerHotKey(WindowHandle, int, unsigned, unsigned) override { return true; }
    void unregisterHotKey(WindowHandle, int) override {}
    bool shellOpen(const std::string& t) override {
        opened.push_back(t);
        return true;
    }
    void showMessage(WindowHandle, const std::string& text, MessageKind) override {
        messages.push_back(text);
    }
    bool confirm(WindowHandle, const std::string&) override { return true; }
};

int indexOf(const char* text) {
    return static_cast<int>(findAssociation(text) - resultTree().data());
}

class ViewerPaneTest : public testing::Test {
  protected:
    void SetUp() override {
        files.createFolder(work);
        files.createFolder(compare);
        host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 900, 600, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(pane.create(host, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))));
        pane.move(0, 0, 900, 600);
        pane.ask = [this](const std::string& title, const std::string&, const std::string& initial) {
            asked.push_back(title + "|" + initial);
            return answer;
        };
    }
    void TearDown() override { DestroyWindow(host); }

    FileSystem& files = windowsFileSystem();
    QuietDesktop desktop;
    OptionSet options;
    Settings settings;
    std::string work = test::tempDir() + "KW_Temp", compare = test::tempDir() + "KW_Temp2";
    ViewerPane pane{files, desktop, options, settings, work, compare};
    HWND host = nullptr;
    std::optional<std::string> answer;
    std::vector<std::string> asked;
};

TEST_F(ViewerPaneTest, TreeHoldsEveryNodeAndSelectingOneFillsBothSides) {
    HWND tree = GetDlgItem(pane.hwnd(), viewer_id::kTree);
    EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 296);
    test::writeFileBytes(work + "\\(MIRTAL)mHome.ini", "[MCAD]");
    pane.selectNode(indexOf("mHome.ini "));
    EXPECT_EQ(test::windowText(pane.textView(1)), "[MCAD]");
    EXPECT_EQ(test::windowText(pane.textView(2)), "Файл: (MIRTAL)mHome.ini не найден");
    EXPECT_FALSE(IsWindowVisible(pane.textView(2))); // side 2 stays hidden without a comparison package
    pane.showSide2(true);
    EXPECT_TRUE(IsWindowVisible(pane.textView(2)));

    // Side by side, the splitter between the sides moves with the mouse; below, side 2 spans the width.
    auto rectOf = [&](HWND w) {
        RECT r;
        GetWindowRect(w, &r);
        MapWindowPoints(nullptr, pane.hwnd(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    RECT a = rectOf(pane.textView(1)), b = rectOf(pane.textView(2));
    EXPECT_GE(b.left, a.right); // side 2 beside side 1 (below its own caption bar)
    int x = (a.right + b.left) / 2, y = (a.top + a.bottom) / 2;
    SendMessageW(pane.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(pane.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x - 100, y));
    SendMessageW(pane.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(x - 100, y));
    EXPECT_LT(rectOf(pane.textView(2)).left, b.left - 80);
    pane.setSideBySide(false);
    a = rectOf(pane.textView(1));
    b = rectOf(pane.textView(2));
    EXPECT_GT(b.top, a.bottom - 1);
    EXPECT_EQ(a.left, b.left);

    // Rich text keeps its colours.
    test::writeFileBytes(work + "\\KW_Scan!.rtf",
                         "{\\rtf1\\ansi{\\colortbl;\\red0\\green0\\blue255;}\\cf1 blue\\par}");
    pane.selectNode(indexOf("KW_Scan!"));
    EXPECT_EQ(test::windowText(pane.textView(1)), "blue");
    CHARFORMAT2W cf = test::charFormatAt(pane.textView(1), 0);
    EXPECT_EQ(cf.crTextColor, RGB(0, 0, 255));

    // The tree export is ANSI text.
    ASSERT_TRUE(pane.exportTreeDat());
    std::string dat = test::readFileBytes(work + "\\tree.dat");
    EXPECT_EQ(dat.rfind(utf8ToAnsi("Найденные проблемы\r\nПараметры программного обеспечения\r\n\tМой"), 0),
              0u);

    // With nothing selected, a refresh selects and shows the first node.
    TreeView_SelectItem(tree, nullptr);
    pane.RefreshCurrentNode();
    EXPECT_EQ(pane.selectedNode(), 0);
    EXPECT_EQ(test::windowText(pane.textView(1)), "Файл: KW_Findings.csv не найден");
}

TEST_F(ViewerPaneTest, TreeSearchAsksWithTheSharedStringAndReportsAMiss) {
    answer = "log";
    pane.treeSearch(false);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], "Поиск в дереве|");
    int first = pane.selectedNode();
    EXPECT_NE(std::string(resultTree()[static_cast<size_t>(first)].text).find("log"), std::string::npos);
    pane.treeSearch(true);
    EXPECT_GT(pane.selectedNode(), first);
    answer = "нет такого узла";
    pane.treeSearch(false);
    EXPECT_EQ(desktop.messages, std::vector<std::string>{"\"нет такого узла\" не найдено"});
    answer.reset(); // Cancel changes nothing
    pane.treeSearch(false);
    EXPECT_EQ(pane.sharedSearch, "нет такого узла");
    // An empty string finds nothing in a table either.
    answer = "";
    pane.tableSearch(1, false);
    EXPECT_EQ(desktop.messages.back(), "\"\" не найдено");
}

TEST_F(ViewerPaneTest, TablesSortByHeaderOnlyWhereAllowedAndCopyWithTheRussianLocale) {
    test::writeFileBytes(work + "\\programs.csv", utf8ToAnsi("Имя\tРазмер\r\nб\t10\r\nа\t9\r\nв\t100\r\n"));
    pane.selectNode(indexOf("Установленные программы"));
    TableGrid& g = pane.table(1);
    EXPECT_TRUE(IsWindowVisible(g.hwnd()));
    EXPECT_FALSE(IsWindowVisible(pane.textView(1)));
    ASSERT_EQ(g.model().rowCount(), 4);
    EXPECT_EQ(g.model().cell(0, 1), L"а");

    pane.headerPress(1, {1, 0}); // "Не сортировать по столбцу" is on: side 1 keeps its order
    EXPECT_EQ(g.model().cell(1, 1), L"9");
    EXPECT_EQ(g.model().cell(1, 2), L"10");
    options.set(Option::NotSort, false);
    pane.headerPress(1, {1, 2}); // a data row is no header
    EXPECT_EQ(g.model().cell(1, 2), L"10");
    pane.headerPress(1, {1, 0});
    EXPECT_EQ(g.model().cell(1, 3), L"100");

    g.selectRows(1, 3);
    pane.CopySelectedRows(1);
    ASSERT_TRUE(OpenClipboard(pane.hwnd()));
    auto* text = static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::wstring(text), L"а\t9\t\t\t\t\r\nб\t10\t\t\t\t\r\nв\t100\t\t\t\t\r\n");
    HANDLE loc = GetClipboardData(CF_LOCALE);
    ASSERT_NE(loc, nullptr);
    EXPECT_EQ(*static_cast<const LCID*>(GlobalLock(loc)), 1049u);
    CloseClipboard();

    // Table search on side 1 uses the shared string and moves the current row.
    answer = "100";
    pane.tableSearch(1, false);
    EXPECT_EQ(asked.back(), "Поиск в таблице|");
    EXPECT_EQ(g.current(), (CellPos{1, 3}));
    pane.tableSearch(1, true);
    EXPECT_EQ(desktop.messages.back(), "\"100\" не найдено");
}

TEST_F(ViewerPaneTest, FittingMeasuresCellsAsTheFontDrawsThem) {
    const wchar_t* cells[] = {L"Имя файла:", L"MIRTAL-3D Viewer.exe", L"ёЁ Щ  w.W", L"library_x64.dll"};
    std::wstring text = L"Имя файла:\n";
    for (auto* c : cells)
        (text += c) += L"\n";
    TableGrid& g = pane.table(2);
    g.model().LoadTableFile(text);
    g.AutoSizeColumns(1);
    HDC dc = GetDC(g.hwnd());
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    int widest = 0;
    for (auto* c : cells) {
        SIZE sz{};
        GetTextExtentPoint32W(dc, c, static_cast<int>(wcslen(c)), &sz);
        widest = std::max(widest, static_cast<int>(sz.cx));
    }
    SelectObject(dc, old);
    ReleaseDC(g.hwnd(), dc);
    EXPECT_EQ(g.columnWidth(0), widest + 4);
}

TEST_F(ViewerPaneTest, DoubleClickOpensOnlyPicturesAndTextsOfTheWorkFolder) {
    // Members of a package from elsewhere: programs, scripts and shortcuts are never handed to the shell.
    const char* members[] = {"shot1.jpg", "setup.bat", "tool.exe",  "link.lnk", "run.CMD",
                             "a.js",      "b.reg",     "Notes.TXT", "c.exe."};
    std::string table = "Файл\r\nmissing.jpg\r\n";
    for (const char* m : members) {
        test::writeFileBytes(work + "\\" + m, "bytes");
        table += std::string(m) + "\r\n";
    }
    test::writeFileBytes(work + "\\KW_scan_Screenshots.csv", table);
    pane.selectNode(indexOf("Снимки экрана"));
    TableGrid& g = pane.table(1);
    for (int row = 1; row < g.model().rowCount(); ++row) {
        g.setCurrent({0, row});
        pane.tableDoubleClick();
    }
    std::sort(desktop.opened.begin(), desktop.opened.end());
    EXPECT_EQ(desktop.opened, (std::vector<std::string>{work + "\\Notes.TXT", work + "\\shot1.jpg"}));
}

TEST_F(ViewerPaneTest, TextSearchRemembersItsStringPerSide) {
    test::writeFileBytes(work + "\\software.txt", "one two one");
    pane.selectNode(indexOf("Параметры программного обеспечения"));
    answer = "ONE";
    pane.FindInText(1, true); // nothing remembered yet: it asks first
    ASSERT_EQ(asked.size(), 1u);
    CHARRANGE sel{};
    SendMessageW(pane.textView(1), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    EXPECT_EQ(sel.cpMin, 0);
    pane.FindInText(1, true);
    EXPECT_EQ(asked.size(), 1u);
    SendMessageW(pane.textView(1), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    EXPECT_EQ(sel.cpMin, 8);
    pane.FindInText(1, true);
    EXPECT_EQ(desktop.messages.back(), "\"ONE\" не найдено");
    answer = "x";
    pane.FindInText(2, true); // side 2 remembers nothing yet
    EXPECT_EQ(asked.size(), 2u);
}

} // namespace
} // namespace kw
