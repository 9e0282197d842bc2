// Draws the tree's pictures: a page for files, a grid for tables, a console, registry blocks, a log
// page, a folder; the products get a coloured badge each.
#include "viewer/TreeImages.h"

#include <algorithm>

namespace kw {
namespace {

constexpr int kImageCount = 115;

void fill(HDC dc, int l, int t, int r, int b, COLORREF c) {
    RECT rc{l, t, r, b};
    SetDCBrushColor(dc, c);
    FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void frame(HDC dc, int l, int t, int r, int b, COLORREF c) {
    fill(dc, l, t, r, t + 1, c);
    fill(dc, l, b - 1, r, b, c);
    fill(dc, l, t, l + 1, b, c);
    fill(dc, r - 1, t, r, b, c);
}

void draw(HDC dc, int index, int x0, int s) {
    auto X = [&](int v) { return x0 + v * s / 16; };
    auto Y = [&](int v) { return v * s / 16; };
    const COLORREF ink = RGB(64, 64, 64);
    switch (index) {
    case 0:    // a page
    case 74: { // a log page
        COLORREF paper = index == 0 ? RGB(255, 255, 255) : RGB(255, 244, 190);
        fill(dc, X(3), Y(1), X(13), Y(15), paper);
        frame(dc, X(3), Y(1), X(13), Y(15), ink);
        for (int y = 4; y <= 12; y += 2)
            fill(dc, X(5), Y(y), X(11), Y(y) + 1, RGB(120, 120, 160));
        break;
    }
    case 70: // a table
        fill(dc, X(1), Y(2), X(15), Y(14), RGB(255, 255, 255));
        fill(dc, X(1), Y(2), X(15), Y(5), RGB(90, 140, 210));
        frame(dc, X(1), Y(2), X(15), Y(14), ink);
        for (int y : {8, 11})
            fill(dc, X(1), Y(y), X(15), Y(y) + 1, ink);
        fill(dc, X(6), Y(2), X(6) + 1, Y(14), ink);
        break;
    case 18: // a console
    case 94:
        fill(dc, X(1), Y(2), X(15), Y(14), RGB(20, 20, 20));
        fill(dc, X(1), Y(2), X(15), Y(4), RGB(110, 110, 200));
        fill(dc, X(3), Y(7), X(6), Y(8), RGB(220, 220, 220));
        fill(dc, X(7), Y(10), X(11), Y(11), RGB(220, 220, 220));
        break;
    case 95: // registry blocks
    case 99:
        for (int i = 0; i < 3; ++i) {
            int l = 1 + (i % 2) * 7, t = 1 + (i / 2) * 7;
            COLORREF c = index == 95 ? RGB(40, 120, 220) : RGB(150, 60, 200);
            fill(dc, X(l), Y(t), X(l + 6), Y(t + 6), c);
            frame(dc, X(l), Y(t), X(l + 6), Y(t + 6), ink);
        }
        break;
    case 2: // a folder
        fill(dc, X(1), Y(3), X(7), Y(5), RGB(230, 180, 60));
        fill(dc, X(1), Y(5), X(15), Y(14), RGB(245, 205, 90));
        frame(dc, X(1), Y(5), X(15), Y(14), RGB(150, 110, 20));
        break;
    default: { // a product or topic badge with a colour of its own
        int hue = (index * 47) % 360;
        auto ch = [hue](int off) {
            int h = (hue + off) % 360;
            int v = h < 120 ? 255 - h : h < 240 ? 135 : 135 + (h - 240);
            return std::clamp(v, 60, 230);
        };
        COLORREF c = RGB(ch(0), ch(120), ch(240));
        {
            Brush brush(CreateSolidBrush(c));
            Pen pen(CreatePen(PS_SOLID, 1, ink));
            SelectedObject withBrush(dc, brush.get()), withPen(dc, pen.get());
            Ellipse(dc, X(1), Y(1), X(15), Y(15));
        }
        fill(dc, X(6), Y(6), X(10), Y(10), RGB(255, 255, 255));
    }
    }
}

} // namespace

ImageList makeTreeImages(int size) {
    ImageList list(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, kImageCount, 0));
    const COLORREF mask = RGB(255, 0, 255);
    Bitmap strip;
    {
        WindowDc screen(nullptr);
        MemoryDc dc(CreateCompatibleDC(screen.get()));
        strip.reset(CreateCompatibleBitmap(screen.get(), size * kImageCount, size));
        SelectedObject drawing(dc.get(), strip.get());
        fill(dc.get(), 0, 0, size * kImageCount, size, mask);
        for (int i = 0; i < kImageCount; ++i)
            draw(dc.get(), i, i * size, size);
    }
    ImageList_AddMasked(list.get(), strip.get(), mask);
    return list;
}

} // namespace kw
