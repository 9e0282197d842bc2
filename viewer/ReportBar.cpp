// The report bar's controls, their layout in one row and their commands.
#include "viewer/ReportBar.h"

#include <algorithm>

#include "platform/Window.h"

namespace kw {
namespace {

enum Offset { kTimes = 0, kNames = 1, kSave = 2 };

// The width a control needs for its text, with room for a check box.
int textWidth(HWND w, int extra) {
    wchar_t text[128] = {};
    int length = GetWindowTextW(w, text, 128);
    HDC dc = GetDC(w);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text, length, &size);
    SelectObject(dc, old);
    ReleaseDC(w, dc);
    return size.cx + extra;
}

} // namespace

bool ReportBar::create(HWND parent, HFONT font, int firstId) {
    firstId_ = firstId;
    auto make = [&](const wchar_t* text, DWORD style, int offset) {
        HWND w = createChild(
            parent,
            {.windowClass = L"BUTTON", .text = text, .style = style | WS_TABSTOP, .id = firstId + offset});
        SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return w;
    };
    times_ = make(L"Не учитывать время, длительности и временные пути", BS_AUTOCHECKBOX, kTimes);
    names_ = make(L"Не учитывать имя компьютера и пользователя", BS_AUTOCHECKBOX, kNames);
    save_ = make(L"Сохранить отчёт...", BS_PUSHBUTTON, kSave);
    setNoise(noise_);
    return times_ && names_ && save_;
}

void ReportBar::setNoise(const NoiseOptions& noise) {
    noise_ = noise;
    SendMessageW(times_, BM_SETCHECK, noise.timesAndPaths ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(names_, BM_SETCHECK, noise.hostAndUser ? BST_CHECKED : BST_UNCHECKED, 0);
}

void ReportBar::place(RECT& room, bool visible, int height) {
    const int gap = scaledPixels(times_, 12);
    int x = room.left + scaledPixels(times_, 4);
    for (HWND w : {times_, names_, save_}) {
        if (visible) {
            int width = textWidth(w, scaledPixels(w, w == save_ ? 24 : 22));
            SetWindowPos(w, nullptr, x, room.top + 1, width, std::max(height - 2, 0),
                         SWP_NOZORDER | SWP_NOACTIVATE);
            x += width + gap;
        }
        ShowWindow(w, visible ? SW_SHOWNA : SW_HIDE);
    }
    if (visible)
        room.top += height;
}

bool ReportBar::command(int id) {
    switch (id - firstId_) {
    case kTimes:
    case kNames:
        noise_.timesAndPaths = SendMessageW(times_, BM_GETCHECK, 0, 0) == BST_CHECKED;
        noise_.hostAndUser = SendMessageW(names_, BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (onNoiseChanged)
            onNoiseChanged();
        return true;
    case kSave:
        if (onSave)
            onSave();
        return true;
    }
    return false;
}

} // namespace kw
