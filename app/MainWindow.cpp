#include "app/MainWindow.h"

#include <commctrl.h>

#include <algorithm>

#include "app/CommandLineTools.h"
#include "app/RunFindings.h"
#include "app/WindowMessages.h"
#include "app/resource.h"
#include "core/Version.h"
#include "platform/Text.h"
#include "products/ProductSections.h"
#include "settings/HelpMenu.h"
#include "system/SystemSections.h"

namespace kw {
namespace {

const char* kCaption = "Информация о системе V ";

} // namespace

MainWindow::MainWindow(Platform platform, StartArguments args)
    : platform_(platform), args_(std::move(args)), engine_(platform, options_, settings_) {
    engine_.setObserver(&handOver_);
    engine_.setRunEndHook([this] { writeRunFindings(engine_); });
    registerSystemSections(engine_);
    registerProductSections(engine_);
    wireParts();
}

MainWindow::~MainWindow() {
    run_.stopAndWait();
    packages_.wait();
    events_.stopWatchingLogs();
    if (!destroyed_)
        destroyWindow();
}

void MainWindow::wireParts() {
    auto report = [this](const std::string& text, MessageKind kind) { this->report(text, kind); };
    auto busy = [this] { return this->busy(); };
    run_.busyElsewhere = [this] { return packages_.busy() || results_.comparingAll() || clear_.pausing(); };
    run_.onFinished = [this] {
        events_.refresh();
        viewer().RefreshCurrentNode();
    };
    run_.saveAfterRun = [this] { packages_.save(); };
    run_.saveHiddenRunPackage = [this](auto done) { packages_.saveHiddenRunPackage(std::move(done)); };
    packages_.windowBusy = busy;
    packages_.report = report;
    packages_.reportError = [this](const std::string& title, const std::string& text) {
        if (args_.hidden)
            engine_.eventLog().append(text);
        else
            platform_.desktop.showTitledMessage(hwnd(), title, text, MessageKind::Error);
    };
    packages_.hiddenRunFailed = [this](const std::string& reason) { hiddenRunFailed(reason); };
    packages_.status = [this](const std::string& text) { status_.setTopic(text); };
    packages_.beforeSave = [this] {
        if (events_.shown() && !events_.timingShown())
            events_.showTimingLog();
    };
    packages_.compareOffered = [this] { return commands_.menuItemEnabled(IDC_LOAD_COMPARE); };
    packages_.opened = [this](bool side2, const std::string& name) { results_.showPackage(side2, name); };
    clear_.windowBusy = busy;
    clear_.cleared = [this] {
        results_.showCleared();
        layout();
    };
    clear_.pauseOver = [this] { viewer().RefreshCurrentNode(); };
    clear_.finished = [this](const std::string& line) { status_.setTopic(line); };
    windowSettings_.report = report;
    instance_.report = report;
    commands_.startVariant = [this] { return engine_.startVariant(); };
    events_.onSaveLog = [this] { engine_.saveEventLog(); };
    events_.onShownChanged = [this](bool shown) {
        status_.showEventsToggle(shown);
        commands_.setButtonChecked(IDC_EVENTS, shown);
    };
    events_.onLayoutChanged = [this] { layout(); };

    auto variant = [this](StartVariant v) { return [this, v] { engine_.setStartVariant(v); }; };
    actions_ = {
        {IDC_START, [this] { run_.start(); }},
        {IDC_STOP, [this] { run_.stop(); }},
        {IDC_VARIANT_SETTINGS, variant(StartVariant::PerSettings)},
        {IDC_VARIANT_MAIN, variant(StartVariant::Main)},
        {IDC_VARIANT_FULL, variant(StartVariant::Full)},
        {IDC_SAVE_PACKAGE, [this] { packages_.save(); }},
        {IDC_LOAD_PACKAGE, [this] { packages_.open(false); }},
        {IDC_LOAD_COMPARE, [this] { packages_.open(true); }},
        {IDC_OPEN_FOLDER, [this] { packages_.openResultsFolder(); }},
        {IDC_COMPARE_ALL, [this] { results_.compareAll(); }},
        {IDC_CLEAR, [this] { clear_.run(); }},
        {IDC_EVENTS, [this] { events_.toggle(false); }},
        {IDC_OPEN_RESULTS,
         [this] { options_.set(Option::OpenResultsFolder, commands_.openResultsChecked()); }},
        {IDC_EXIT, [this] { PostMessageW(hwnd(), WM_CLOSE, 0, 0); }},
        {IDC_OPTIONS, [this] { showOptionsDialog(); }},
        {IDC_LOAD_SETTINGS, [this] { loadSettings(); }},
        {IDC_LIBRARY, [this] { showLibrary(); }},
    };
    wireLibrary();
}

bool MainWindow::create(HINSTANCE instance) {
    module_ = instance;
    loadCommonControls(ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES);
    loadRichEdit();
    // Settings first: the window takes its geometry from them.
    windowSettings_.readOnStart();
    const WindowGeometry& g = windowSettings_.geometry();
    caption_ = std::string(kCaption) + kProgramVersion;
    HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    WindowClass windowClass{L"TForm1", CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                            icon ? icon : LoadIconW(nullptr, IDI_APPLICATION)};
    std::wstring title = toWide(caption_);
    if (!createWindow(windowClass, {.title = title,
                                    .style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                    .x = g.left,
                                    .y = g.top,
                                    .width = std::max(g.width, 420),
                                    .height = std::max(g.height, 360),
                                    .instance = instance}))
        return false;
    FormCreate();
    wireForms();
    if (args_.hidden) {
        PostMessageW(hwnd(), WM_APP_AUTOSTART, 0, 0);
    } else {
        // Laid out while hidden: moving the controls of a shown window costs a repaint each (under Wine
        // about 100 ms in all), and the first WM_SIZE of the show then finds nothing to do.
        layout();
        ShowWindow(hwnd(), SW_SHOWNORMAL);
        UpdateWindow(hwnd());
    }
    return true;
}

void MainWindow::FormCreate() {
    instance_.start(hwnd());
    packages_.setSecondInstance(instance_.second());
    progressChanged(0);
    SetWindowTextW(hwnd(), toWide(caption_).c_str());

    if (!platform_.system.isAdministrator()) {
        report("ВНИМАНИЕ! У текущего пользователя не хватает прав для сбора всех данных о компьютере.\r\n"
               "Чтобы получить полную информацию, пожалуйста, запустите утилиту от имени Администратора.",
               MessageKind::Warning);
        caption_ += " | Нет прав Администратора";
        SetWindowTextW(hwnd(), toWide(caption_).c_str());
        engine_.eventLog().append("\r\nВНИМАНИЕ! Нет прав Администратора\r\n");
    }
    events_.refreshEventLog();
}

void MainWindow::createControls() {
    // The parts that post to the window or wait for it.
    handOver_.attach(hwnd());
    run_.attach(hwnd());
    packages_.attach(hwnd());
    clear_.attach(hwnd());
    font_.reset(createMessageFont());
    commands_.create(hwnd());
    windowSettings_.createTransparencyControls(hwnd());
    events_.createProgressGroup(hwnd());
    results_.create(hwnd(), font_.get());
    viewer().onStatus = [this](const std::string& text) { status_.setTopic(text); };
    viewer().onProgress = [this](int percent) { status_.setPercent(percent); };
    events_.createLogPanes(hwnd(), engine_.eventLog(), engine_.timingLog(), engine_.captureBuffer());
    status_.create(hwnd());
    status_.setNote(windowSettings_.statusNote());
    engine_.setStartVariant(StartVariant::PerSettings);
}

void MainWindow::wireForms() {
    optionsDialog_.onOk = [this] { engine_.setStartVariant(StartVariant::PerSettings); };
    optionsDialog_.onClosed = [this] { windowSettings_.optionsDialogClosed(); };
    optionsDialog_.onShowLog = [this] { events_.showTimingLog(); };
    optionsDialog_.onDebugShown = [this] { events_.showDebugButtons(); };
}

OptionsDialog& MainWindow::optionsDialog() {
    if (!optionsDialog_.hwnd())
        optionsDialog_.create(module_, hwnd());
    return optionsDialog_;
}

AboutBox& MainWindow::aboutBox() {
    if (!aboutBox_.hwnd())
        aboutBox_.create(module_, hwnd());
    return aboutBox_;
}

StartForm& MainWindow::startForm() {
    if (!startForm_.hwnd())
        startForm_.create(module_, hwnd());
    return startForm_;
}

void MainWindow::layout() {
    RECT rc;
    GetClientRect(hwnd(), &rc);
    laidOut_ = MAKELPARAM(rc.right, rc.bottom);
    int top = commands_.layout(rc.right);
    events_.layout(top, rc.bottom - status_.height(), rc.right,
                   [this](int x, int y, int w, int h) { results_.move(x, y, w, h); });
    results_.show(!events_.running());
}

LRESULT MainWindow::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        createControls();
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_.get());
    case WM_SIZE:
        if (wp == SIZE_MINIMIZED || lp != laidOut_)
            layout();
        return 0;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = {scaled(420), scaled(360)};
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE)
            onActivate(reinterpret_cast<HWND>(lp));
        break;
    case WM_COMMAND:
        onCommand(LOWORD(wp));
        return 0;
    case WM_LBUTTONDBLCLK:
        events_.doubleClick({static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
        return 0;
    case WM_NOTIFY:
        if (auto* hdr = reinterpret_cast<NMHDR*>(lp); !commands_.notify(hdr) && status_.toggleClicked(*hdr))
            events_.toggle(false); // StatusBar2Click
        return 0;
    case WM_HSCROLL:
        windowSettings_.trackBarScrolled(reinterpret_cast<HWND>(lp));
        return 0;
    case WM_HOTKEY:
        if (instance_.isHotKey(wp))
            ToolButton5Click(); // Alt+Shift+F9
        return 0;
    case WM_TIMER:
        clear_.timer(wp);
        return 0;
    case WM_APP_INVOKE:
        WindowThreadObserver::invoke(lp);
        return 0;
    case WM_APP_PROGRESS:
        handOver_.showPendingProgress();
        return 0;
    case WM_APP_LOG:
        events_.logsChanged();
        return 0;
    case WM_APP_RUN_DONE:
        run_.finished();
        return 0;
    case WM_APP_JOB_DONE:
        packages_.jobDone();
        return 0;
    case WM_APP_OPEN_ARGS:
        packages_.openArgumentPackages();
        return 0;
    case WM_APP_AUTOSTART:
        if (args_.hidden)
            windowSettings_.reread();
        engine_.setStartVariant(StartVariant::Full);
        run_.start();
        return 0;
    case WM_CLOSE:
        // A package job or a run holds the close until it is done.
        if (packages_.holdClose() || run_.holdClose())
            return 0;
        FormClose();
        destroyWindow();
        return 0;
    case WM_DESTROY:
        instance_.destroy(); // FormDestroy
        destroyed_ = true;
        PostQuitMessage(run_.exitCode());
        return 0;
    }
    return defaultHandling(msg, wp, lp);
}

void MainWindow::onActivate(HWND previous) {
    windowSettings_.activated(run_.running());
    // Side 1's column widths are set anew when the program itself gives the activation back (at start,
    // after one of its dialogs), not on a switch from another program: that keeps the user's widths.
    DWORD owner = 0;
    if (previous)
        GetWindowThreadProcessId(previous, &owner);
    viewer().activated(!firstActivationDone_ || owner == GetCurrentProcessId());
    windowSettings_.applyTransparency();
    if (!firstActivationDone_) {
        firstActivationDone_ = true;
        FirstActivation request = firstActivationRequest(args_);
        if (request != FirstActivation::Nothing)
            PostMessageW(hwnd(), request == FirstActivation::FullRun ? WM_APP_AUTOSTART : WM_APP_OPEN_ARGS, 0,
                         0);
    }
}

void MainWindow::onCommand(int id) {
    if (auto action = actions_.find(id); action != actions_.end())
        action->second();
    else if (const HelpEntry* entry = commands_.helpEntry(id))
        openHelpEntry(*entry);
    else
        events_.command(id);
}

void MainWindow::FormClose() {
    windowSettings_.save();
    instance_.close();
}

void MainWindow::report(const std::string& text, MessageKind kind) {
    // A hidden run never waits for a click: what would be a message goes to the event log.
    if (args_.hidden) {
        engine_.eventLog().append(text);
        return;
    }
    platform_.desktop.showMessage(hwnd(), text, kind);
}

void MainWindow::hiddenRunFailed(const std::string& reason) {
    // Nothing collected is lost: the work folder stays when the program closes, with the event log saying
    // why, and whoever started the program learns it on standard error.
    std::string why = reason;
    while (!why.empty() && why.back() == '.')
        why.pop_back();
    std::string work = collapseSeparators(engine_.folders().folderPath(kWorkFolder));
    std::string text = "Пакет не записан. " + why + ". Собранная информация оставлена в каталоге " + work +
                       " (журнал событий - " + kEventLogFile + ")";
    if (platform_.files.plainFileExists(engine_.folders().workPath("KWScan.CAB")))
        text += "; упакованный файл KWScan.CAB - там же";
    engine_.eventLog().append("\r\n[!!] " + text + ".");
    engine_.saveEventLog();
    instance_.keepWorkFolder();
    tellStandardError("KW_Scan!: " + text + ".");
}

void MainWindow::progressChanged(int value) {
    events_.setProgress(value);
    status_.setPercent(value);
}

void MainWindow::runningLayout() {
    events_.showRunning();
    commands_.setRunning(true);
    events_.toggle(true);
    results_.runStarted();
    layout();
}

void MainWindow::idleLayout() {
    // The run's end writes its settings copy next: with the window's place as it is now.
    windowSettings_.storeGeometry();
    events_.showIdle();
    events_.toggle(false);
    events_.toggle(false); // toggled twice, so that it ends shown
    commands_.setRunning(false);
    layout();
}

void MainWindow::saveFailed(const std::string& path) {
    engine_.eventLog().append("[!!] Не удалось сохранить файл " + path);
}

void MainWindow::showOptionsDialog() {
    if (busy())
        return;
    optionsDialog().showModal();
    // Where the window manager gives the activation elsewhere, the read still follows the save.
    if (windowSettings_.rereadPending())
        onActivate(optionsDialog_.hwnd());
}

void MainWindow::loadSettings() {
    if (busy())
        return;
    if (auto path = windowSettings_.load()) {
        viewer().applyTreeWidth();
        status_.setNote(windowSettings_.statusNote());
        events_.settingsLoaded();
        engine_.eventLog().append("Загружен файл настроек: " + *path);
    }
}

void MainWindow::openHelpEntry(const HelpEntry& entry) {
    if (entry.kind == HelpEntryKind::AboutBox)
        aboutBox().showModal();
    else
        platform_.desktop.shellOpen(std::string(entry.address));
}

} // namespace kw
