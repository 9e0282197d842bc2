// The real options dialog, about box and help menu under Wine, driven through window messages: clicks
// go to the controls while the dialog runs modally from the main window, the model and the saved
// settings file are read back.
#include "settings/OptionsDialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <map>

#include "app/MainWindow.h"
#include "app/resource.h"
#include "platform/Text.h"
#include "settings/AboutBox.h"
#include "settings/HelpMenu.h"
#include "settings/StartForm.h"
#include "tests/TempFolder.h"
#include "tests/core/FakeProcesses.h"

namespace kw {
namespace {

struct RecordingDesktop : Desktop {
    std::vector<std::string> opened;
    std::optional<std::string> fileToOpen;
    bool registerHotKey(WindowHandle, int, unsigned, unsigned) override { return true; }
    void unregisterHotKey(WindowHandle, int) override {}
    bool shellOpen(const std::string& target) override {
        opened.push_back(target);
        return true;
    }
    void showMessage(WindowHandle, const std::string&, MessageKind) override {}
    bool confirm(WindowHandle, const std::string&) override { return true; }
    std::optional<std::string> chooseFileToOpen(WindowHandle, const std::string&,
                                                const std::string&) override {
        return fileToOpen;
    }
};

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class OptionsDialogTest : public testing::Test {
  protected:
    RecordingDesktop desktop;
    test::RecordingProcesses processes;
    Platform platform{windowsFileSystem(), windowsSystemInfo(), desktop, processes};

    std::unique_ptr<MainWindow> open() {
        auto w = std::make_unique<MainWindow>(platform, StartArguments{});
        EXPECT_TRUE(w->create(GetModuleHandleW(nullptr)));
        pump();
        return w;
    }
    HWND control(MainWindow& w, Option id) {
        return GetDlgItem(w.optionsDialog().hwnd(), OptionsDialog::controlId(id));
    }
    bool shownChecked(MainWindow& w, Option id) {
        return SendMessageW(control(w, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    // Queued clicks are handled by the dialog's own loop once it shows.
    void queueClick(MainWindow& w, Option id) { PostMessageW(control(w, id), BM_CLICK, 0, 0); }
    void queueOk(MainWindow& w) { PostMessageW(GetDlgItem(w.optionsDialog().hwnd(), IDOK), BM_CLICK, 0, 0); }
    void queueCloseBox(MainWindow& w) { PostMessageW(w.optionsDialog().hwnd(), WM_CLOSE, 0, 0); }
    // The menu item "Параметры": returns when the dialog has closed.
    void runDialog(MainWindow& w) {
        SendMessageW(w.hwnd(), WM_COMMAND, IDC_OPTIONS, 0);
        pump();
    }
    IniFile savedFile() {
        return IniFile::parse(ansiToUtf8(test::readFileBytes(test::tempDir() + kSettingsFileName)));
    }
    void writeSettingsFile(const std::string& text) {
        test::writeFileBytes(test::tempDir() + kSettingsFileName, text);
    }
};

TEST_F(OptionsDialogTest, ClicksChangeTheModelAndOkSavesAndSwitchesToPerSettings) {
    auto w = open();
    w->engine().setStartVariant(StartVariant::Full);
    EXPECT_TRUE(shownChecked(*w, Option::ComPlus));

    queueClick(*w, Option::ComPlus);    // off
    queueClick(*w, Option::Mirtal);     // off
    queueClick(*w, Option::MirtalLibs); // on: turns the CAD box back on
    queueClick(*w, Option::CompareNoMd5);
    queueOk(*w);
    runDialog(*w);

    EXPECT_FALSE(IsWindowVisible(w->optionsDialog().hwnd()));
    EXPECT_TRUE(IsWindowEnabled(w->hwnd()));
    EXPECT_EQ(w->engine().startVariant(), StartVariant::PerSettings);
    OptionSet& o = w->options();
    EXPECT_FALSE(o.get(Option::ComPlus));
    EXPECT_TRUE(o.get(Option::Mirtal));
    EXPECT_TRUE(o.get(Option::MirtalLibs));
    EXPECT_TRUE(o.get(Option::CompareNoMd5));
    EXPECT_FALSE(o.get(Option::CompareOnlyMd5));
    EXPECT_TRUE(shownChecked(*w, Option::Mirtal));
    EXPECT_FALSE(shownChecked(*w, Option::CompareOnlyMd5));

    IniFile saved = savedFile();
    EXPECT_EQ(saved.get("System_Information", "COM_Plus"), "0");
    EXPECT_EQ(saved.get("TAVIR", "Libs"), "1");
    EXPECT_EQ(saved.get("Comparison", "md5_2"), "0");
    EXPECT_EQ(saved.get("Comparison", "md5_3"), "1");
    auto log = w->engine().eventLog().texts();
    EXPECT_NE(std::find(log.begin(), log.end(),
                        "--- Создаем KW_scan.ini: " + test::tempDir() + kSettingsFileName + "---"),
              log.end());

    // The main window reads the settings again on coming back from the dialog: it finds what was saved.
    SendMessageW(w->hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_FALSE(o.get(Option::ComPlus));
    EXPECT_TRUE(o.get(Option::MirtalLibs));
}

TEST_F(OptionsDialogTest, CloseBoxSavesButKeepsTheRunVariant) {
    auto w = open();
    w->engine().setStartVariant(StartVariant::Main);
    queueClick(*w, Option::Md5);
    queueCloseBox(*w);
    runDialog(*w);
    EXPECT_EQ(w->engine().startVariant(), StartVariant::Main);
    EXPECT_FALSE(w->options().get(Option::Md5));
    EXPECT_EQ(savedFile().get("Tools", "md5"), "0");
    EXPECT_FALSE(IsWindowVisible(w->optionsDialog().hwnd()));
}

TEST_F(OptionsDialogTest, SelectAllOnThenOffThroughTheDialogLeavesTheRestAlone) {
    auto w = open();
    OptionSet& o = w->options();
    queueClick(*w, Option::StandardParts);
    queueClick(*w, Option::Vault); // hidden, but it works: it turns "Стандартные Изделия" back on
    queueClick(*w, Option::MsOffice);
    queueClick(*w, Option::SelectAll);
    queueOk(*w);
    runDialog(*w);
    EXPECT_TRUE(o.get(Option::Vault));
    EXPECT_TRUE(o.get(Option::StandardParts));
    EXPECT_TRUE(o.get(Option::SuiteLogs));
    EXPECT_TRUE(shownChecked(*w, Option::MirtalLibs));

    queueClick(*w, Option::SelectAll);
    queueOk(*w);
    runDialog(*w);
    for (Option id :
         {Option::SystemInfo, Option::Peltrand, Option::PeltrandLogs, Option::Mirtal, Option::MirtalLibs,
          Option::StandardParts, Option::Quadrix, Option::Md5, Option::SelectAll}) {
        EXPECT_FALSE(o.get(id)) << optionInfo(id).caption;
        EXPECT_FALSE(shownChecked(*w, id)) << optionInfo(id).caption;
    }
    EXPECT_TRUE(o.get(Option::Vault));
    EXPECT_TRUE(o.get(Option::MsOffice));
    EXPECT_TRUE(o.get(Option::ComPlus));
    EXPECT_TRUE(o.get(Option::AutoFit));
    EXPECT_FALSE(o.get(Option::Debug));
    EXPECT_FALSE(IsWindowVisible(control(*w, Option::Vault)));
    EXPECT_EQ(savedFile().get("TAVIR", "All"), "0");
}

TEST_F(OptionsDialogTest, ZebraTrackBarKeepsItsRangeAndItsLabelShowsThePosition) {
    writeSettingsFile("[Table]\r\nZebraBright=10\r\n");
    auto w = open();
    HWND dlg = w->optionsDialog().hwnd();
    HWND track = GetDlgItem(dlg, OptionsDialog::kZebraTrackId);
    EXPECT_EQ(w->options().zebraBrightness(), 25);
    EXPECT_EQ(SendMessageW(track, TBM_GETPOS, 0, 0), 25);
    wchar_t label[32] = {};
    GetDlgItemTextW(dlg, OptionsDialog::kZebraLabelId, label, 32);
    EXPECT_EQ(toUtf8(label), "25%");

    SendMessageW(track, TBM_SETPOS, TRUE, 60);
    SendMessageW(dlg, WM_HSCROLL, TB_THUMBPOSITION, reinterpret_cast<LPARAM>(track));
    GetDlgItemTextW(dlg, OptionsDialog::kZebraLabelId, label, 32);
    EXPECT_EQ(toUtf8(label), "60%");
    EXPECT_EQ(w->options().zebraBrightness(), 60);
}

TEST_F(OptionsDialogTest, FreshDialogShowsTheFormDefaultsAndTheLabelWithABlank) {
    OptionSet o;
    OptionsDialog d(o);
    ASSERT_TRUE(d.create(GetModuleHandleW(nullptr), nullptr));
    wchar_t label[32] = {};
    GetDlgItemTextW(d.hwnd(), OptionsDialog::kZebraLabelId, label, 32);
    EXPECT_EQ(toUtf8(label), "75 %");
    for (const OptionInfo& info : optionTable()) {
        HWND c = GetDlgItem(d.hwnd(), OptionsDialog::controlId(info.id));
        if (info.id == Option::OpenResultsFolder || info.id == Option::WordWrap) {
            EXPECT_EQ(c, nullptr); // main-window options
            continue;
        }
        ASSERT_NE(c, nullptr) << info.caption;
        wchar_t text[256] = {};
        GetWindowTextW(c, text, 256);
        EXPECT_EQ(toUtf8(text), info.caption);
        EXPECT_EQ(SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED, info.formDefault) << info.caption;
    }
    for (Option hidden : {Option::PeltrandLogs, Option::Vault, Option::SuiteLogs, Option::Debug})
        EXPECT_FALSE(GetWindowLongW(GetDlgItem(d.hwnd(), OptionsDialog::controlId(hidden)), GWL_STYLE) &
                     WS_VISIBLE);
    RECT r;
    GetClientRect(d.hwnd(), &r);
    HDC dc = GetDC(nullptr);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(r.right, MulDiv(580, dpi, 96));
    EXPECT_EQ(r.bottom, MulDiv(402, dpi, 96));
}

TEST_F(OptionsDialogTest, SecretPanelsRevealAndHideTheDebugOption) {
    auto w = open();
    HWND dlg = w->optionsDialog().hwnd();
    HWND debug = control(*w, Option::Debug);
    SendMessageW(GetDlgItem(dlg, OptionsDialog::kPanel3Id), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_TRUE(GetWindowLongW(debug, GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(w->options().get(Option::Debug));

    // Panel4 with the option off: the main window hides its timing log and offers its two buttons.
    SendMessageW(GetDlgItem(dlg, OptionsDialog::kPanel4Id), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_TRUE(w->options().get(Option::Debug));
    EXPECT_EQ(SendMessageW(debug, BM_GETCHECK, 0, 0), BST_CHECKED);
    HWND h = w->hwnd();
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(h, IDC_TIMING)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(h, IDC_SHOW_LOG)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(h, IDC_SAVE_LOG)));

    // Turning it off by hand hides it and clicks "Показать лог".
    SendMessageW(debug, BM_CLICK, 0, 0);
    EXPECT_FALSE(w->options().get(Option::Debug));
    EXPECT_FALSE(GetWindowLongW(debug, GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(h, IDC_TIMING)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(h, IDC_SHOW_LOG)));
}

TEST_F(OptionsDialogTest, ActivationAndLoadSettingsGiveAMissingFerryOakTheirOwnDefaults) {
    const std::string lacking = "[TAVIR]\r\nPeltrand=0\r\n[Tools]\r\nstatus1=из файла\r\n";
    writeSettingsFile(lacking);
    auto w = open();
    EXPECT_TRUE(w->options().get(Option::FerryOak));
    EXPECT_FALSE(w->options().get(Option::Peltrand));
    EXPECT_TRUE(shownChecked(*w, Option::FerryOak));

    std::string chosen = test::tempDir() + "chosen settings.ini";
    test::writeFileBytes(chosen, utf8ToAnsi(lacking));
    desktop.fileToOpen = chosen;
    SendMessageW(w->hwnd(), WM_COMMAND, IDC_LOAD_SETTINGS, 0);
    EXPECT_FALSE(w->options().get(Option::FerryOak));
    EXPECT_FALSE(shownChecked(*w, Option::FerryOak));
    EXPECT_EQ(w->engine().eventLog().texts().back(), "Загружен файл настроек: " + chosen);
    // Another program's window coming and going does not undo what was loaded.
    SendMessageW(w->hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_FALSE(w->options().get(Option::FerryOak));
    // Loading does not write the settings file.
    EXPECT_EQ(test::readFileBytes(test::tempDir() + kSettingsFileName), lacking);

    desktop.fileToOpen.reset(); // cancelled: nothing happens
    size_t lines = w->engine().eventLog().texts().size();
    SendMessageW(w->hwnd(), WM_COMMAND, IDC_LOAD_SETTINGS, 0);
    EXPECT_EQ(w->engine().eventLog().texts().size(), lines);
}

TEST_F(OptionsDialogTest, TransparencyComesFromTheHandSetBlendValue) {
    writeSettingsFile("[Tools]\r\nBlendValue=200\r\n");
    auto w = open();
    SendMessageW(w->hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(SendDlgItemMessageW(w->hwnd(), IDC_TRANSPARENCY, TBM_GETPOS, 0, 0), 200);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(w->hwnd(), nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 105);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(w->hwnd(), IDC_TRANSPARENCY)));
    // BlendValue is read, never written.
    SendMessageW(w->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(savedFile().get("Tools", "BlendValue"), std::nullopt);
}

TEST_F(OptionsDialogTest, HelpMenuAndToolButtonsOpenTheirAddresses) {
    auto w = open();
    auto entries = helpEntries();
    std::map<std::string, int> seen;
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
        if (entries[i].kind != HelpEntryKind::Link)
            continue;
        SendMessageW(w->hwnd(), WM_COMMAND, IDC_HELP_FIRST + i, 0);
        ASSERT_FALSE(desktop.opened.empty());
        EXPECT_EQ(desktop.opened.back(), entries[i].address);
        EXPECT_EQ(desktop.opened.back().rfind("https://", 0), 0u) << entries[i].caption;
        ++seen[desktop.opened.back()];
    }
    for (const auto& [address, count] : seen)
        EXPECT_EQ(count, 1) << address; // one address per entry
    EXPECT_EQ(seen.size(), 20u);
    SendMessageW(w->hwnd(), WM_COMMAND, IDC_FAQ, 0);
    EXPECT_EQ(desktop.opened.back(), knowledgeBaseLink().address);
    SendMessageW(w->hwnd(), WM_COMMAND, IDC_SERVICEDESK, 0);
    EXPECT_EQ(desktop.opened.back(), customerAreaLink().address);
    EXPECT_EQ(customerAreaLink().caption, "Личный кабинет");

    // The menu "Справка" with its submenu "Еще..." as the table gives them.
    HMENU bar = GetMenu(w->hwnd());
    HMENU help = GetSubMenu(bar, GetMenuItemCount(bar) - 1);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(GetMenuItemCount(help), 10);
    HMENU more = GetSubMenu(help, 4);
    ASSERT_NE(more, nullptr);
    EXPECT_EQ(GetMenuItemCount(more), 16);
    wchar_t text[128] = {};
    GetMenuStringW(more, 5, text, 128, MF_BYPOSITION);
    EXPECT_EQ(toUtf8(text), "Форум \"Технологии ТАВИР\"");
}

TEST_F(OptionsDialogTest, AboutBoxExpandsOnTheLogoAndAnyOtherClickCollapsesAndCloses) {
    auto w = open();
    AboutBox& about = w->aboutBox();
    HWND box = about.hwnd();
    auto clientHeight = [&] {
        RECT r;
        GetClientRect(box, &r);
        HDC dc = GetDC(nullptr);
        int dpi = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(nullptr, dc);
        return MulDiv(r.bottom, 96, dpi);
    };
    EXPECT_EQ(clientHeight(), 108);
    // Clicks queued for the box's own loop: the logo, then the version label.
    PostMessageW(GetDlgItem(box, AboutBox::kLogoId), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageW(GetDlgItem(box, AboutBox::kLogoId), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    struct Seen {
        int height = 0;
        bool creditsShown = false;
    } seen;
    // Between the two clicks, a look at the box (a timer message runs inside the modal loop).
    static Seen* current;
    static HWND currentBox;
    current = &seen;
    currentBox = box;
    SetTimer(box, 77, 50, [](HWND hwnd, UINT, UINT_PTR id, DWORD) WINAPI -> void {
        KillTimer(hwnd, id);
        RECT r;
        GetClientRect(hwnd, &r);
        HDC dc = GetDC(nullptr);
        current->height = MulDiv(r.bottom, 96, GetDeviceCaps(dc, LOGPIXELSY));
        ReleaseDC(nullptr, dc);
        current->creditsShown = IsWindowVisible(GetDlgItem(hwnd, AboutBox::kCreditsId)) != 0;
        PostMessageW(GetDlgItem(currentBox, AboutBox::kVersionId), WM_LBUTTONDOWN, MK_LBUTTON,
                     MAKELPARAM(3, 3));
    });
    // The menu item "О программе ...": the last entry of the help table.
    SendMessageW(w->hwnd(), WM_COMMAND, IDC_HELP_FIRST + static_cast<int>(helpEntries().size()) - 1, 0);
    EXPECT_EQ(seen.height, 520);
    EXPECT_TRUE(seen.creditsShown);
    EXPECT_EQ(clientHeight(), 108);
    EXPECT_FALSE(IsWindowVisible(box));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(box, AboutBox::kCreditsId)));
    wchar_t version[128] = {};
    GetDlgItemTextW(box, AboutBox::kVersionId, version, 128);
    EXPECT_EQ(toUtf8(version), "Информация о системе и\r\nПО ТАВИР V19.11.01k (01.11.2019)");
}

} // namespace
} // namespace kw

namespace kw {
namespace {

TEST(StartFormTest, NextTurnsCloseAndExitOnAndTheChoiceIsKept) {
    Settings settings;
    settings.startChoice = StartChoice::Tools;
    StartForm form(settings);
    ASSERT_TRUE(form.create(GetModuleHandleW(nullptr), nullptr));
    HWND h = form.hwnd();
    EXPECT_EQ(IsDlgButtonChecked(h, StartForm::kFirstChoiceId + 2),
              BST_CHECKED); // restored from the settings
    EXPECT_FALSE(form.closeAndExit());
    PostMessageW(GetDlgItem(h, StartForm::kFirstChoiceId + 1), BM_CLICK, 0, 0); // RBpoLIBS
    PostMessageW(GetDlgItem(h, StartForm::kNextId), BM_CLICK, 0, 0);
    form.showModal();
    EXPECT_EQ(settings.startChoice, StartChoice::PoLibs);
    EXPECT_TRUE(form.closeAndExit());
    EXPECT_FALSE(IsWindowVisible(h));
    OptionSet o;
    EXPECT_NE(
        composeSettingsFile(o, settings).find("[Start]\r\nRBpo=0\r\nRBpoLIBS=1\r\nRBtools=0\r\nRBopen=0"),
        std::string::npos);

    // "Отмена" closes without touching "Закрыть и выйти".
    CheckDlgButton(h, StartForm::kCloseAndExitId, BST_UNCHECKED);
    PostMessageW(GetDlgItem(h, StartForm::kCancelId), BM_CLICK, 0, 0);
    form.showModal();
    EXPECT_FALSE(form.closeAndExit());
}

} // namespace
} // namespace kw
