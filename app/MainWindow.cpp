#include "app/MainWindow.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>

#include "app/WindowMessages.h"
#include "app/resource.h"
#include "core/Version.h"
#include "platform/Com.h"
#include "platform/Text.h"
#include "products/ProductSections.h"
#include "settings/HelpMenu.h"
#include "system/SystemSections.h"

namespace kw {
namespace {

constexpr wchar_t kClassName[] = L"TForm1";
constexpr UINT_PTR kClearTimer = 1;
constexpr int kHotKeyId = 1;

const char* kCaption = "Информация о системе V ";

int scaled(HWND w, int px) {
    HDC dc = GetDC(w);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc)
        ReleaseDC(w, dc);
    return MulDiv(px, dpi, 96);
}

} // namespace

MainWindow::MainWindow(Platform platform, StartArguments args)
    : platform_(platform), args_(args), engine_(platform, options_, settings_) {
    engine_.setObserver(this);
    packages_ = std::make_unique<ResultPackages>(engine_, *this);
    registerSystemSections(engine_);
    registerProductSections(engine_);
}

MainWindow::~MainWindow() {
    if (worker_.joinable()) {
        engine_.requestStop();
        worker_.join();
    }
    if (job_.joinable())
        job_.join();
    if (accelerators_)
        DestroyAcceleratorTable(accelerators_);
    engine_.eventLog().onChange(nullptr);
    engine_.timingLog().onChange(nullptr);
    engine_.captureBuffer().onChange(nullptr);
    if (hwnd_ && !destroyed_)
        DestroyWindow(hwnd_);
    if (font_)
        DeleteObject(font_);
}

bool MainWindow::create(HINSTANCE instance) {
    static const bool registered = [instance] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
        LoadLibraryW(L"Msftedit.dll");
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = windowProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
        if (!wc.hIcon)
            wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        wc.lpszClassName = kClassName;
        return RegisterClassExW(&wc) != 0;
    }();
    if (!registered)
        return false;

    // Settings first: the window takes its geometry from them.
    readSettingsOnStart(readSettingsFile(), options_, settings_);
    const WindowGeometry& g = settings_.geometry;

    caption_ = std::string(kCaption) + kProgramVersion;
    hwnd_ = CreateWindowExW(0, kClassName, toWide(caption_).c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                            g.left, g.top, std::max(g.width, 420), std::max(g.height, 360), nullptr, nullptr,
                            instance, this);
    if (!hwnd_)
        return false;
    FormCreate();
    createForms(instance);
    if (args_.hidden) {
        PostMessageW(hwnd_, WM_APP_AUTOSTART, 0, 0);
    } else {
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        UpdateWindow(hwnd_);
    }
    return true;
}

void MainWindow::FormCreate() {
    std::string temp = engine_.folders().GetTempDirectory();
    instanceLock_ = platform_.processes.lockInstance(instanceLockName(temp));
    secondInstance_ = instanceLock_->heldElsewhere();

    // A second instance leaves the folders of the first one alone.
    if (!secondInstance_)
        engine_.folders().deleteWorkFolders();
    engine_.eventLog().append("Пожалуйста закройте все программы ТАВИР до начала сканирования\r\n");
    engine_.folders().CreateWorkFolder(kWorkFolder);
    engine_.folders().CreateWorkFolder(kCompareFolder);

    bool hotKey = platform_.desktop.registerHotKey(hwnd_, kHotKeyId, kModAlt | kModShift, kVkF9);
    if (!hotKey || secondInstance_)
        report("ВНИМАНИЕ! Открыто новое окно KW_Scan!\r\n"
               "Информация из предыдущего экземпляра KW_Scan! могла была удалена или изменена.\r\n"
               "Закройте второй экземпляр KW_Scan! и воспользуйтесь командой:\r\n"
               "Файл / Загрузить информацию для сравнения",
               MessageKind::Warning);

    progressChanged(0);
    SetWindowTextW(hwnd_, toWide(caption_).c_str());

    if (!platform_.system.isAdministrator()) {
        report("ВНИМАНИЕ! У текущего пользователя не хватает прав для сбора всех данных о компьютере.\r\n"
               "Чтобы получить полную информацию, пожалуйста, запустите утилиту от имени Администратора.",
               MessageKind::Warning);
        caption_ += " | Нет прав Администратора";
        SetWindowTextW(hwnd_, toWide(caption_).c_str());
        engine_.eventLog().append("\r\nВНИМАНИЕ! Нет прав Администратора\r\n");
    }
    logView_.refresh();
}

IniFile MainWindow::readSettingsFile() {
    return IniFile::parse(ansiToUtf8(platform_.files.readFile(engine_.settingsPath("")).value_or("")));
}

void MainWindow::report(const std::string& text, MessageKind kind) {
    // A hidden run never waits for a click: what would be a message goes to the event log.
    if (args_.hidden) {
        engine_.eventLog().append(text);
        return;
    }
    platform_.desktop.showMessage(hwnd_, text, kind);
}

void MainWindow::createControls() {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    font_ = CreateFontIndirectW(&ncm.lfMessageFont);
    HINSTANCE inst = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
    auto make = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id, DWORD ex = 0) {
        HWND w = CreateWindowExW(ex, cls, text, WS_CHILD | style, 0, 0, 10, 10, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
        SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        return w;
    };

    // menu
    menu_ = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, IDC_START, L"Пуск");
    AppendMenuW(file, MF_STRING | MF_GRAYED, IDC_STOP, L"Стоп");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, IDC_LOAD_PACKAGE, L"Загрузить информацию (1)\tCtrl+O");
    AppendMenuW(file, MF_STRING | MF_GRAYED, IDC_LOAD_COMPARE,
                L"Загрузить информацию для сравнения (2)\tCtrl+P");
    AppendMenuW(file, MF_STRING | MF_GRAYED, IDC_SAVE_PACKAGE, L"Сохранить информацию...\tCtrl+S");
    AppendMenuW(file, MF_STRING | MF_GRAYED, IDC_COMPARE_ALL, L"Сравнить все разделы");
    AppendMenuW(file, MF_STRING, IDC_OPEN_FOLDER, L"Открыть каталог с результатами");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, IDC_CLEAR, L"Очистить результаты");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, IDC_LOAD_SETTINGS, L"Загрузить настройки");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, IDC_EXIT, L"Выход");
    AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"Файл");
    HMENU view = CreatePopupMenu();
    AppendMenuW(view, MF_STRING, IDC_EVENTS, L"События показать/скрыть");
    AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(view), L"Вид");
    AppendMenuW(menu_, MF_STRING, IDC_OPTIONS, L"Параметры");
    AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(buildHelpMenu(IDC_HELP_FIRST)), L"Справка");
    SetMenu(hwnd_, menu_);

    // tool bar: "Пуск" with its variants, "Стоп", options, clear, events
    HWND tb = make(TOOLBARCLASSNAMEW, nullptr,
                   WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS | CCS_TOP |
                       CCS_NODIVIDER,
                   IDC_TOOLBAR);
    SendMessageW(tb, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(tb, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS | TBSTYLE_EX_MIXEDBUTTONS);
    SendMessageW(tb, TB_SETIMAGELIST, 0, 0);
    struct Btn {
        int id;
        const wchar_t* text;
        BYTE style;
    };
    const Btn buttons[] = {{IDC_START, L"Пуск", BTNS_DROPDOWN},
                           {IDC_STOP, L"Стоп", BTNS_BUTTON},
                           {IDC_OPTIONS, L"Параметры", BTNS_BUTTON},
                           {IDC_CLEAR, L"Очистить результаты", BTNS_BUTTON},
                           {IDC_LOAD_PACKAGE, L"Загрузить", BTNS_BUTTON},
                           {IDC_SAVE_PACKAGE, L"Сохранить", BTNS_BUTTON},
                           {IDC_OPEN_FOLDER, L"Каталог", BTNS_BUTTON},
                           {IDC_EVENTS, L"События", BTNS_CHECK},
                           {IDC_FAQ, L"FAQ", BTNS_BUTTON},
                           {IDC_SERVICEDESK, L"ServiceDESK", BTNS_BUTTON}};
    for (const Btn& b : buttons) {
        TBBUTTON t{};
        t.iBitmap = I_IMAGENONE;
        t.idCommand = b.id;
        t.fsState = TBSTATE_ENABLED;
        t.fsStyle = static_cast<BYTE>(b.style | BTNS_AUTOSIZE | BTNS_SHOWTEXT);
        t.iString = reinterpret_cast<INT_PTR>(b.text);
        SendMessageW(tb, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&t));
    }
    SendMessageW(tb, TB_HIDEBUTTON, IDC_STOP, TRUE);
    SendMessageW(tb, TB_ENABLEBUTTON, IDC_SAVE_PACKAGE, FALSE);
    SendMessageW(tb, TB_CHECKBUTTON, IDC_EVENTS, TRUE);
    SendMessageW(tb, TB_AUTOSIZE, 0, 0);
    make(L"BUTTON", L"Открыть каталог с результатами", WS_VISIBLE | BS_AUTOCHECKBOX, IDC_OPEN_RESULTS);

    // The settings page's group "Прозрачность" is created hidden and no path shows it: the track bar
    // keeps the position the settings file gave it.
    make(L"BUTTON", L"Прозрачность", BS_GROUPBOX, IDC_TRANSPARENCY_GROUP);
    HWND blend = make(TRACKBAR_CLASSW, nullptr, TBS_HORZ | TBS_NOTICKS, IDC_TRANSPARENCY);
    SendMessageW(blend, TBM_SETRANGE, FALSE, MAKELPARAM(kBlendMin, kBlendMax));
    SendMessageW(blend, TBM_SETPOS, TRUE, std::clamp(settings_.handSet.blendValue, kBlendMin, kBlendMax));

    // progress group, shown during a run
    make(L"BUTTON", L" Сбор информации ", BS_GROUPBOX, IDC_PROGRESS_GROUP);
    HWND bar = make(PROGRESS_CLASSW, nullptr, PBS_SMOOTH, IDC_PROGRESS_BAR);
    SendMessageW(bar, PBM_SETRANGE32, 0, 100);
    make(L"STATIC", L"0%", SS_CENTER, IDC_PERCENT);
    make(L"STATIC", L"", SS_LEFT | SS_ENDELLIPSIS | SS_NOTIFY, IDC_PROGRESS_CAPTION);
    make(L"BUTTON", L"Скрыть", BS_PUSHBUTTON, IDC_HIDE_LOG);
    make(L"BUTTON", L"Показать лог", BS_PUSHBUTTON, IDC_SHOW_LOG);
    make(L"BUTTON", L"Сохранить лог", BS_PUSHBUTTON, IDC_SAVE_LOG);

    // results area
    // results area: the result tree and the views
    viewer_ = std::make_unique<ViewerPane>(platform_.files, platform_.desktop, options_, settings_,
                                           engine_.folders().folderPath(kWorkFolder),
                                           engine_.folders().folderPath(kCompareFolder));
    viewer_->create(hwnd_, font_);
    viewer_->onStatus = [this](const std::string& text) { setStatusText(2, text); };
    viewer_->onProgress = [this](int percent) { setStatusText(1, std::to_string(percent) + "%"); };

    // events panel: event log, capture buffer, timing log
    HWND log = make(MSFTEDIT_CLASS, L"",
                    WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                        ES_NOHIDESEL,
                    IDC_EVENT_LOG, WS_EX_CLIENTEDGE);
    SendMessageW(log, EM_EXLIMITTEXT, 0, 64 * 1024 * 1024);
    HWND capture = make(L"EDIT", L"", WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                        IDC_CAPTURE, WS_EX_CLIENTEDGE);
    HWND timing = make(L"EDIT", L"", WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                       IDC_TIMING, WS_EX_CLIENTEDGE);
    SendMessageW(capture, EM_SETLIMITTEXT, 0, 0);
    SendMessageW(timing, EM_SETLIMITTEXT, 0, 0);
    logView_.attach(log, &engine_.eventLog());
    timingView_.attach(timing, &engine_.timingLog());
    captureView_.attach(capture, &engine_.captureBuffer());

    HWND status = make(STATUSCLASSNAMEW, nullptr, WS_VISIBLE | SBARS_SIZEGRIP, IDC_STATUS);
    int parts[] = {scaled(hwnd_, 90), scaled(hwnd_, 150), -1};
    SendMessageW(status, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
    setStatusText(0, "\t\t События <");

    // The models are written from the run's thread: the panes catch up on the window's thread.
    auto changed = [this] {
        if (!logPending_.exchange(true))
            PostMessageW(hwnd_, WM_APP_LOG, 0, 0);
    };
    engine_.eventLog().onChange(changed);
    engine_.timingLog().onChange(changed);
    engine_.captureBuffer().onChange(changed);
    setStartVariant(StartVariant::PerSettings);

    const ACCEL keys[] = {{FVIRTKEY | FCONTROL, 'O', IDC_LOAD_PACKAGE},
                          {FVIRTKEY | FCONTROL, 'P', IDC_LOAD_COMPARE},
                          {FVIRTKEY | FCONTROL, 'S', IDC_SAVE_PACKAGE}};
    accelerators_ = CreateAcceleratorTableW(const_cast<ACCEL*>(keys), 3);
}

bool MainWindow::translateAccelerator(MSG& msg) {
    return accelerators_ && hwnd_ && (msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd)) &&
           TranslateAcceleratorW(hwnd_, accelerators_, &msg) != 0;
}

void MainWindow::layout() {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    HWND tb = GetDlgItem(hwnd_, IDC_TOOLBAR);
    HWND status = GetDlgItem(hwnd_, IDC_STATUS);
    SendMessageW(tb, TB_AUTOSIZE, 0, 0);
    SendMessageW(status, WM_SIZE, 0, 0);
    RECT r;
    GetWindowRect(tb, &r);
    int top = r.bottom - r.top;
    GetWindowRect(status, &r);
    int bottom = rc.bottom - (r.bottom - r.top);
    int width = rc.right;
    int gap = scaled(hwnd_, 4);
    int line = scaled(hwnd_, 23);

    // The buttons end where the last one does.
    RECT last{};
    int count = static_cast<int>(SendMessageW(tb, TB_BUTTONCOUNT, 0, 0));
    SendMessageW(tb, TB_GETITEMRECT, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(&last));
    SIZE tbSize{last.right, last.bottom};
    // The check box sits on the tool bar's row, above it in the z-order.
    SetWindowPos(GetDlgItem(hwnd_, IDC_OPEN_RESULTS), HWND_TOP, tbSize.cx + 3 * gap, (top - line) / 2,
                 std::max(0, std::min<int>(scaled(hwnd_, 260), width - tbSize.cx - 4 * gap)), line, 0);

    auto place = [&](int id, int x, int y, int w, int h) {
        MoveWindow(GetDlgItem(hwnd_, id), x, y, w, h, TRUE);
    };
    int y = top + gap;
    int h = bottom - y - gap;

    // progress group
    int groupH = running_ ? scaled(hwnd_, 92) : 0;
    if (running_) {
        int inner = width - 2 * gap;
        place(IDC_PROGRESS_GROUP, gap, y, inner, groupH);
        int bx = 3 * gap, by = y + scaled(hwnd_, 20);
        int btnW = scaled(hwnd_, 110);
        int barW = std::max(20, inner - 4 * gap - scaled(hwnd_, 56) - 2 * btnW - 2 * gap);
        place(IDC_PROGRESS_BAR, bx, by, barW, scaled(hwnd_, 20));
        place(IDC_PERCENT, bx + barW + gap, by + scaled(hwnd_, 2), scaled(hwnd_, 48), scaled(hwnd_, 18));
        int cx = bx + barW + gap + scaled(hwnd_, 52);
        place(IDC_HIDE_LOG, cx, by - scaled(hwnd_, 2), btnW, line);
        place(IDC_SHOW_LOG, cx, by - scaled(hwnd_, 2), btnW, line);
        place(IDC_SAVE_LOG, cx + btnW + gap, by - scaled(hwnd_, 2), btnW, line);
        place(IDC_PROGRESS_CAPTION, bx, by + scaled(hwnd_, 30), inner - 4 * gap, scaled(hwnd_, 20));
        y += groupH + gap;
        h -= groupH + gap;
    }

    // results area above, events panel below (the events panel fills the window during a run)
    int eventsH = 0;
    if (running_) {
        eventsH = h;
    } else if (eventsShown_) {
        // A third of the height goes to the events, the rest to the result tree and its views; the
        // share follows the window when it is resized.
        eventsHeight_ = h / 3;
        eventsH =
            std::clamp(eventsHeight_, scaled(hwnd_, 80), std::max(scaled(hwnd_, 80), h - scaled(hwnd_, 80)));
    }
    int resultsH = running_ ? 0 : h - (eventsH > 0 ? eventsH + gap : 0);
    if (!running_) {
        if (viewer_)
            viewer_->move(gap, y, width - 2 * gap, std::max(0, resultsH));
    }
    if (eventsH > 0) {
        int ey = y + (running_ ? 0 : resultsH + gap);
        int timingH = timingShown_ ? std::min(scaled(hwnd_, 90), eventsH / 4) : 0;
        int captureH = std::min(scaled(hwnd_, 60), eventsH / 6);
        int logH = eventsH - timingH - captureH;
        place(IDC_EVENT_LOG, gap, ey, width - 2 * gap, logH);
        place(IDC_CAPTURE, gap, ey + logH, width - 2 * gap, captureH);
        place(IDC_TIMING, gap, ey + logH + captureH, width - 2 * gap, timingH);
    }
    for (int id : {IDC_EVENT_LOG, IDC_CAPTURE})
        showControl(id, eventsH > 0);
    showControl(IDC_TIMING, eventsH > 0 && timingShown_);
    if (viewer_)
        ShowWindow(viewer_->hwnd(), running_ ? SW_HIDE : SW_SHOW);
}

LRESULT CALLBACK MainWindow::windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self ? self->handle(msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT MainWindow::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        createControls();
        return 0;
    case WM_SIZE:
        layout();
        return 0;
    case WM_GETMINMAXINFO: {
        auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
        mm->ptMinTrackSize = {scaled(hwnd_, 420), scaled(hwnd_, 360)};
        return 0;
    }
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE)
            onActivate();
        break;
    case WM_COMMAND:
        onCommand(LOWORD(wp));
        return 0;
    case WM_LBUTTONDBLCLK: {
        // A group box lets the mouse through to its parent: a double click inside it is the group's.
        POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        RECT r;
        HWND group = GetDlgItem(hwnd_, IDC_PROGRESS_GROUP);
        GetWindowRect(group, &r);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        if (IsWindowVisible(group) && PtInRect(&r, pt))
            GroupBox4DblClick();
        return 0;
    }
    case WM_NOTIFY:
        onNotify(reinterpret_cast<NMHDR*>(lp));
        return 0;
    case WM_HSCROLL:
        if (reinterpret_cast<HWND>(lp) == GetDlgItem(hwnd_, IDC_TRANSPARENCY))
            applyTransparency(); // TrackBar1Change
        return 0;
    case WM_HOTKEY:
        if (wp == kHotKeyId)
            ToolButton5Click(); // Alt+Shift+F9
        return 0;
    case WM_TIMER:
        if (wp == kClearTimer) {
            KillTimer(hwnd_, kClearTimer);
            finishClearResults();
        }
        return 0;
    case WM_APP_INVOKE:
        (*reinterpret_cast<std::function<void()>*>(lp))();
        return 0;
    case WM_APP_LOG:
        logPending_.store(false);
        logView_.refresh();
        timingView_.refresh();
        captureView_.refresh();
        return 0;
    case WM_APP_RUN_DONE:
        onRunFinished();
        return 0;
    case WM_APP_JOB_DONE: {
        if (job_.joinable())
            job_.join();
        auto then = std::move(jobDone_);
        jobDone_ = nullptr;
        if (then)
            then();
        return 0;
    }
    case WM_APP_OPEN_ARGS:
        openArgumentPackages();
        return 0;
    case WM_APP_AUTOSTART:
        if (args_.hidden)
            readSettingsOnActivation(readSettingsFile(), options_, settings_);
        setStartVariant(StartVariant::Full);
        ToolButton30Click();
        return 0;
    case WM_CLOSE:
        if (job_.joinable()) {
            // A package is being written or read: the window closes when that is done.
            closePending_.store(true);
            return 0;
        }
        if (worker_.joinable()) {
            // The run ends at its next stopping point; the window closes after it.
            closePending_.store(true);
            engine_.requestStop();
            return 0;
        }
        FormClose();
        DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        platform_.desktop.unregisterHotKey(hwnd_, kHotKeyId); // FormDestroy
        destroyed_ = true;
        PostQuitMessage(exitCode_);
        return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

void MainWindow::onUiThread(const std::function<void()>& fn) {
    if (GetWindowThreadProcessId(hwnd_, nullptr) == GetCurrentThreadId()) {
        fn();
        return;
    }
    std::function<void()> copy = fn;
    SendMessageW(hwnd_, WM_APP_INVOKE, 0, reinterpret_cast<LPARAM>(&copy));
}

void MainWindow::onActivate() {
    // The options follow the settings file when the window first shows and when it comes back from the
    // options dialog (which has just saved them), but not under a running collection, which reads them
    // as it goes, nor on a switch from another program or the open dialog: that would silently undo
    // options loaded with "Загрузить настройки".
    if ((firstActivation_ || readOnActivation_) && !worker_.joinable()) {
        readSettingsOnActivation(readSettingsFile(), options_, settings_);
        optionsDialog_.showOptions();
    }
    firstActivation_ = readOnActivation_ = false;
    viewer_->activated();
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) | WS_EX_LAYERED);
    applyTransparency();
    if (!autoStartDone_) {
        autoStartDone_ = true;
        FirstActivation request = firstActivationRequest(args_);
        if (request != FirstActivation::Nothing)
            PostMessageW(hwnd_, request == FirstActivation::FullRun ? WM_APP_AUTOSTART : WM_APP_OPEN_ARGS, 0,
                         0);
    }
}

void MainWindow::onCommand(int id) {
    switch (id) {
    case IDC_START:
        ToolButton30Click();
        break;
    case IDC_SAVE_PACKAGE:
        N14Click();
        break;
    case IDC_LOAD_PACKAGE:
        openPackageCommand(false, std::nullopt);
        break;
    case IDC_LOAD_COMPARE:
        openPackageCommand(true, std::nullopt);
        break;
    case IDC_OPEN_FOLDER:
        openResultsFolder();
        break;
    case IDC_COMPARE_ALL:
        if (viewer_->side2Visible())
            viewer_->compareAll();
        break;
    case IDC_STOP:
        ToolButton48Click();
        break;
    case IDC_CLEAR:
        ToolButton1Click();
        break;
    case IDC_EVENTS:
        ToggleEventsPanel(false);
        break;
    case IDC_VARIANT_SETTINGS:
        setStartVariant(StartVariant::PerSettings);
        break;
    case IDC_VARIANT_MAIN:
        setStartVariant(StartVariant::Main);
        break;
    case IDC_VARIANT_FULL:
        setStartVariant(StartVariant::Full);
        break;
    case IDC_HIDE_LOG:
        Button28Click();
        break;
    case IDC_SHOW_LOG:
        Button29Click();
        break;
    case IDC_SAVE_LOG:
        Button33Click();
        break;
    case IDC_OPEN_RESULTS:
        options_.set(Option::OpenResultsFolder,
                     SendDlgItemMessageW(hwnd_, IDC_OPEN_RESULTS, BM_GETCHECK, 0, 0) == BST_CHECKED);
        break;
    case IDC_EXIT:
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
        break;
    case IDC_OPTIONS:
        showOptionsDialog();
        break;
    case IDC_LOAD_SETTINGS:
        loadSettings();
        break;
    case IDC_FAQ:
        platform_.desktop.shellOpen(std::string(knowledgeBaseLink().address));
        break;
    case IDC_SERVICEDESK:
        platform_.desktop.shellOpen(std::string(customerAreaLink().address));
        break;
    default:
        openHelpEntry(id);
        break;
    }
}

void MainWindow::onNotify(NMHDR* hdr) {
    if (hdr->idFrom == IDC_TOOLBAR && hdr->code == TBN_DROPDOWN) {
        auto* nm = reinterpret_cast<NMTOOLBARW*>(hdr);
        RECT r;
        SendMessageW(hdr->hwndFrom, TB_GETRECT, nm->iItem, reinterpret_cast<LPARAM>(&r));
        MapWindowPoints(hdr->hwndFrom, nullptr, reinterpret_cast<POINT*>(&r), 2);
        HMENU popup = CreatePopupMenu();
        const int ids[] = {IDC_VARIANT_SETTINGS, IDC_VARIANT_MAIN, IDC_VARIANT_FULL};
        for (int i = 0; i < 3; ++i) {
            const auto& v = startVariantInfo(static_cast<StartVariant>(i));
            UINT flags = MF_STRING | (engine_.startVariant() == v.variant ? MF_CHECKED : 0);
            AppendMenuW(popup, flags, ids[i], toWide(v.hint).c_str());
        }
        TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN, r.left, r.bottom, 0, hwnd_, nullptr);
        DestroyMenu(popup);
    } else if (hdr->code == TTN_GETDISPINFOW) {
        auto* tt = reinterpret_cast<NMTTDISPINFOW*>(hdr);
        static std::wstring hint;
        switch (tt->hdr.idFrom) {
        case IDC_START:
            hint = toWide(startVariantInfo(engine_.startVariant()).hint);
            break;
        case IDC_OPTIONS:
            hint = L"Параметры";
            break;
        case IDC_EVENTS:
            hint = L"События показать/скрыть";
            break;
        case IDC_FAQ:
            hint = L"FAQ - База знаний СТП ТАВИР";
            break;
        case IDC_SERVICEDESK:
            hint = L"ServiceDESK - вопрос в СТП (Личный кабинет)";
            break;
        case IDC_LOAD_PACKAGE:
            hint = L"Загрузить информацию";
            break;
        case IDC_SAVE_PACKAGE:
            hint = L"Сохранить информацию...";
            break;
        case IDC_OPEN_FOLDER:
            hint = L"Открыть каталог с результатами";
            break;
        default:
            hint.clear();
        }
        tt->lpszText = hint.data();
    } else if (hdr->idFrom == IDC_STATUS && hdr->code == NM_CLICK) {
        if (reinterpret_cast<NMMOUSE*>(hdr)->dwItemSpec == 0)
            ToggleEventsPanel(false); // StatusBar2Click
    }
}

void MainWindow::setStartVariant(StartVariant v) {
    engine_.setStartVariant(v);
}

void MainWindow::ToolButton30Click() {
    if (busy() || !engine_.stopFlag())
        return;
    worker_ = std::thread([this] {
        ComApartment com;
        engine_.ToolButton30Click();
        PostMessageW(hwnd_, WM_APP_RUN_DONE, 0, 0);
    });
}

void MainWindow::ToolButton48Click() {
    engine_.requestStop();
}

void MainWindow::onRunFinished() {
    if (worker_.joinable())
        worker_.join();
    logView_.refresh();
    timingView_.refresh();
    captureView_.refresh();
    viewer_->RefreshCurrentNode();
    if (closePending_.load()) {
        if (args_.hidden)
            exitCode_ = 1; // stopped: no package
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
        return;
    }
    // A hidden run saves its package and ends the program.
    if (args_.hidden) {
        saveHiddenRunPackage();
        return;
    }
    if (autoSavePending_.exchange(false))
        N14Click();
}

void MainWindow::storeGeometry() {
    WINDOWPLACEMENT wp{sizeof wp};
    if (GetWindowPlacement(hwnd_, &wp)) {
        const RECT& r = wp.rcNormalPosition;
        settings_.geometry.left = r.left;
        settings_.geometry.top = r.top;
        settings_.geometry.width = r.right - r.left;
        settings_.geometry.height = r.bottom - r.top;
    }
}

void MainWindow::FormClose() {
    storeGeometry();
    engine_.SaveSettings("");
    if (!secondInstance_)
        engine_.folders().deleteWorkFolders();
}

// RunObserver: the run's thread hands these over to the window's thread and waits for them.

void MainWindow::progressChanged(int value) {
    onUiThread([this, value] {
        SendDlgItemMessageW(hwnd_, IDC_PROGRESS_BAR, PBM_SETPOS, value, 0);
        std::string percent = std::to_string(value) + "%";
        setControlText(IDC_PERCENT, percent);
        setStatusText(1, percent);
    });
}

void MainWindow::progressCaptionChanged(const std::string& text) {
    onUiThread([this, text] { setControlText(IDC_PROGRESS_CAPTION, text); });
}

void MainWindow::topicChanged(const std::string& text) {
    onUiThread([this, text] { setStatusText(2, text); });
}

void MainWindow::runningLayout() {
    onUiThread([this] {
        running_ = true; // the idle height of the events panel stays in eventsHeight_
        for (int id : {IDC_PROGRESS_GROUP, IDC_PROGRESS_BAR, IDC_PERCENT, IDC_PROGRESS_CAPTION})
            showControl(id, true);
        bool debug = options_.get(Option::Debug);
        showControl(IDC_HIDE_LOG, !debug);
        showControl(IDC_SHOW_LOG, debug);
        showControl(IDC_SAVE_LOG, debug);
        setToolButtonVisible(IDC_START, false);
        setToolButtonVisible(IDC_STOP, true);
        enableCommand(IDC_OPTIONS, false);
        enableCommand(IDC_START, false);
        enableCommand(IDC_STOP, true);
        ToggleEventsPanel(true);
        HWND caption = GetDlgItem(viewer_->hwnd(), viewer_id::kCaption1);
        if (GetWindowTextLengthW(caption) > 0)
            SetWindowTextW(caption, L"");
        layout();
    });
}

void MainWindow::idleLayout() {
    onUiThread([this] {
        running_ = false;
        for (int id : {IDC_PROGRESS_GROUP, IDC_PROGRESS_BAR, IDC_PERCENT, IDC_PROGRESS_CAPTION, IDC_HIDE_LOG,
                       IDC_SHOW_LOG, IDC_SAVE_LOG})
            showControl(id, false);
        ToggleEventsPanel(false);
        ToggleEventsPanel(false); // toggled twice, so that it ends shown
        setToolButtonVisible(IDC_START, true);
        setToolButtonVisible(IDC_STOP, false);
        enableCommand(IDC_OPTIONS, true);
        enableCommand(IDC_START, true);
        enableCommand(IDC_STOP, false);
        layout();
    });
}

void MainWindow::showTimingLog() {
    onUiThread([this] { Button29Click(); });
}

void MainWindow::resultCommandsEnabled(bool on) {
    onUiThread([this, on] {
        enableCommand(IDC_SAVE_PACKAGE, on);
        enableCommand(IDC_LOAD_COMPARE, on);
    });
}

void MainWindow::autoSave() {
    // Called at the end of the run procedure: the save follows once the run's thread has returned.
    autoSavePending_.store(true);
}

void MainWindow::saveFailed(const std::string& path) {
    engine_.eventLog().append("[!!] Не удалось сохранить файл " + path);
}

void MainWindow::ToggleEventsPanel(bool open) {
    if (eventsShown_ && !open) {
        eventsShown_ = false;
        setStatusText(0, " События >");
        SendDlgItemMessageW(hwnd_, IDC_TOOLBAR, TB_CHECKBUTTON, IDC_EVENTS, FALSE);
    } else {
        eventsShown_ = true;
        setStatusText(0, "\t\t События <");
        SendDlgItemMessageW(hwnd_, IDC_TOOLBAR, TB_CHECKBUTTON, IDC_EVENTS, TRUE);
    }
    layout();
}

void MainWindow::Button28Click() {
    showControl(IDC_SHOW_LOG, true);
    showControl(IDC_HIDE_LOG, false);
    options_.set(Option::Debug, true);
    timingShown_ = false;
    layout();
}

void MainWindow::Button29Click() {
    timingShown_ = true;
    showControl(IDC_SHOW_LOG, false);
    showControl(IDC_SAVE_LOG, false);
    options_.set(Option::Debug, false);
    layout();
}

void MainWindow::Button33Click() {
    engine_.saveEventLog();
}

void MainWindow::GroupBox4DblClick() {
    timingShown_ = false;
    showControl(IDC_SHOW_LOG, true);
    showControl(IDC_SAVE_LOG, true);
    showControl(IDC_HIDE_LOG, false);
    options_.set(Option::Debug, true);
    layout();
}

void MainWindow::ToolButton1Click() {
    if (busy())
        return;
    if (!platform_.desktop.confirm(hwnd_, "Удалить результаты сканирования?"))
        return;
    engine_.eventLog().clear();
    engine_.captureBuffer().clear();
    engine_.folders().deleteWorkFolders();
    engine_.eventLog().append("Результаты сканирования удалены.");
    engine_.folders().CreateWorkFolder(kWorkFolder);
    engine_.folders().CreateWorkFolder(kCompareFolder);
    enableCommand(IDC_SAVE_PACKAGE, false);
    enableCommand(IDC_LOAD_COMPARE, false);
    viewer_->setSide1Caption("Информация", false);
    viewer_->showSide2(false);
    EnableMenuItem(menu_, IDC_COMPARE_ALL, MF_BYCOMMAND | MF_GRAYED);
    viewer_->RefreshCurrentNode();
    layout();
    // Console tools of the last run may still be finishing: the rest follows after a pause that
    // keeps the window responsive.
    SetTimer(hwnd_, kClearTimer, 3 * 1000, nullptr);
}

void MainWindow::finishClearResults() {
    LocalTime now = platform_.system.now();
    std::string line = "Удалены результаты - [" + platform_.system.longTime(now) + "]";
    engine_.eventLog().append("\r\n" + line);
    engine_.timingLog().append(line);
    engine_.timingLog().append(" ");
    setStatusText(2, line);
}

void MainWindow::setStatusText(int part, const std::string& text) {
    // Status panel 0 is the events toggle: raised while the panel is hidden, sunken while it is shown.
    WPARAM style = part == 0 && !eventsShown_ ? SBT_POPOUT : 0;
    SendDlgItemMessageW(hwnd_, IDC_STATUS, SB_SETTEXTW, static_cast<WPARAM>(part) | style,
                        reinterpret_cast<LPARAM>(toWide(text).c_str()));
}

void MainWindow::setControlText(int id, const std::string& text) {
    SetDlgItemTextW(hwnd_, id, toWide(text).c_str());
}

void MainWindow::showControl(int id, bool visible) {
    ShowWindow(GetDlgItem(hwnd_, id), visible ? SW_SHOW : SW_HIDE);
}

void MainWindow::enableCommand(int id, bool on) {
    EnableMenuItem(menu_, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    SendDlgItemMessageW(hwnd_, IDC_TOOLBAR, TB_ENABLEBUTTON, static_cast<WPARAM>(id), on);
    DrawMenuBar(hwnd_);
}

void MainWindow::setToolButtonVisible(int id, bool visible) {
    SendDlgItemMessageW(hwnd_, IDC_TOOLBAR, TB_HIDEBUTTON, static_cast<WPARAM>(id), !visible);
}

} // namespace kw

namespace kw {

void MainWindow::createForms(HINSTANCE instance) {
    aboutBox_.create(instance, hwnd_);
    optionsDialog_.create(instance, hwnd_);
    optionsDialog_.onOk = [this] { setStartVariant(StartVariant::PerSettings); };
    optionsDialog_.onClosed = [this] {
        storeGeometry();
        engine_.SaveSettings("");
        readOnActivation_ = true;
    };
    optionsDialog_.onShowLog = [this] { Button29Click(); };
    optionsDialog_.onDebugShown = [this] { GroupBox4DblClick(); };
    startForm_.create(instance, hwnd_);
}

void MainWindow::showOptionsDialog() {
    if (busy())
        return;
    optionsDialog_.showModal();
    // Where the window manager gives the activation elsewhere, the read still follows the save.
    if (readOnActivation_)
        onActivate();
}

void MainWindow::loadSettings() {
    auto path = platform_.desktop.chooseFileToOpen(hwnd_, "KW_Scan! (*.ini)|*.ini|Все файлы (*.*)|*.*");
    if (!path)
        return;
    auto bytes = platform_.files.readFile(*path);
    if (!bytes) {
        report("Не удалось прочитать файл настроек: " + *path, MessageKind::Error);
        return;
    }
    readSettingsOnLoad(IniFile::parse(ansiToUtf8(*bytes)), options_, settings_);
    const WindowGeometry& g = settings_.geometry;
    if (!IsZoomed(hwnd_))
        SetWindowPos(hwnd_, nullptr, g.left, g.top, std::max(g.width, 420), std::max(g.height, 360),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    optionsDialog_.showOptions();
    if (!options_.get(Option::Debug)) {
        timingShown_ = true;
        layout();
    } else {
        showControl(IDC_SHOW_LOG, true);
    }
    engine_.eventLog().append("Загружен файл настроек: " + *path);
}

void MainWindow::openHelpEntry(int command) {
    const HelpEntry* entry = helpEntryOfCommand(IDC_HELP_FIRST, command);
    if (!entry)
        return;
    if (entry->kind == HelpEntryKind::AboutBox) {
        aboutBox_.showModal();
        return;
    }
    platform_.desktop.shellOpen(std::string(entry->address));
}

void MainWindow::applyTransparency() {
    int position = static_cast<int>(SendDlgItemMessageW(hwnd_, IDC_TRANSPARENCY, TBM_GETPOS, 0, 0));
    SetLayeredWindowAttributes(hwnd_, 0, static_cast<BYTE>(alphaForBlendPosition(position)), LWA_ALPHA);
}

} // namespace kw
