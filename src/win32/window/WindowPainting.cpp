#include "win32/window/WindowPainting.h"

#include <string>

#include "app/FormLayout.h"
#include "win32/window/WindowHandles.h"

namespace quibrant::win32 {

namespace {

constexpr COLORREF kText = RGB(0x00, 0x00, 0x00);
constexpr int kFocusInset = 4;
constexpr int kTextInsetX = 3;
constexpr int kTextInsetY = 2;
// How much of the background shows through a disabled picture.
constexpr BYTE kDisabledFade = 128;

void fill(HDC dc, const RECT& rect, COLORREF color) {
    const Brush brush(CreateSolidBrush(color));
    FillRect(dc, &rect, brush.get());
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void drawFocus(HDC dc, RECT rect, int inset) {
    InflateRect(&rect, -inset, -inset);
    SetTextColor(dc, kText);
    SetBkColor(dc, RGB(0xFF, 0xFF, 0xFF));
    DrawFocusRect(dc, &rect);
}

}  // namespace

void drawColorButton(const DRAWITEMSTRUCT& item, COLORREF background) {
    const HDC dc = item.hDC;
    const SavedDc saved(dc);
    RECT all = item.rcItem;
    fill(dc, all, background);

    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    RECT edge = all;
    DrawEdge(dc, &edge, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

    const auto font = reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
    if (font != nullptr) {
        SelectObject(dc, font);
    }
    const std::wstring caption = windowText(item.hwndItem);
    const int shift = pressed ? 1 : 0;
    RECT text = {all.left + kTextInsetX + shift, all.top + kTextInsetY + shift,
                 all.right - kTextInsetX + shift, all.bottom - kTextInsetY + shift};
    constexpr UINT kFormat = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
    RECT measured = text;
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &measured,
              kFormat | DT_CALCRECT);
    const int spare = (text.bottom - text.top) - (measured.bottom - measured.top);
    if (spare > 0) {
        text.top += spare / 2;
    }
    SetBkMode(dc, TRANSPARENT);
    // Grey would fade into a bright button: a disabled caption is a darker
    // shade of the button's own colour instead.
    SetTextColor(dc, disabled ? disabledTextColor(background) : kText);
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, kFormat);

    if ((item.itemState & ODS_FOCUS) != 0) {
        drawFocus(dc, all, kFocusInset);
    }
}

void drawPicture(const DRAWITEMSTRUCT& item, HBITMAP picture, COLORREF background) {
    const HDC dc = item.hDC;
    const SavedDc saved(dc);
    const RECT all = item.rcItem;
    fill(dc, all, background);

    BITMAP info{};
    if (picture != nullptr && GetObjectW(picture, sizeof(info), &info) != 0) {
        const int left = all.left + (all.right - all.left - info.bmWidth) / 2;
        const int top = all.top + (all.bottom - all.top - info.bmHeight) / 2;
        const MemoryDc source(dc);
        {
            const SavedDc kept(source.get());
            SelectObject(source.get(), picture);
            BitBlt(dc, left, top, info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY);
        }

        if (!IsWindowEnabled(item.hwndItem)) {
            // A veil of the background over the picture, as a disabled
            // picture looks.
            const MemoryDc veil(dc);
            const Bitmap dot(CreateCompatibleBitmap(dc, 1, 1));
            const SavedDc kept(veil.get());
            SelectObject(veil.get(), dot.get());
            SetPixel(veil.get(), 0, 0, background);
            const BLENDFUNCTION blend = {AC_SRC_OVER, 0, kDisabledFade, 0};
            AlphaBlend(dc, left, top, info.bmWidth, info.bmHeight, veil.get(), 0, 0, 1, 1, blend);
        }
    }
    if (GetFocus() == item.hwndItem) {
        drawFocus(dc, all, 0);
    }
}

Bitmap scaledForScreen(Bitmap picture, int dotsPerInch) {
    constexpr int kArtworkDpi = 96;
    BITMAP info{};
    if (!picture || dotsPerInch == kArtworkDpi ||
        GetObjectW(picture.get(), sizeof(info), &info) == 0) {
        return picture;
    }
    const int width = MulDiv(info.bmWidth, dotsPerInch, kArtworkDpi);
    const int height = MulDiv(info.bmHeight, dotsPerInch, kArtworkDpi);
    const WindowDc screen(nullptr);
    Bitmap scaled(CreateCompatibleBitmap(screen.get(), width, height));
    const MemoryDc from(screen.get());
    const MemoryDc to(screen.get());
    if (!scaled || from.get() == nullptr || to.get() == nullptr) {
        return picture;
    }
    {
        const SavedDc keptFrom(from.get());
        const SavedDc keptTo(to.get());
        SelectObject(from.get(), picture.get());
        SelectObject(to.get(), scaled.get());
        // HALFTONE averages the pixels each new one covers.
        SetStretchBltMode(to.get(), HALFTONE);
        SetBrushOrgEx(to.get(), 0, 0, nullptr);
        if (!StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, info.bmWidth,
                        info.bmHeight, SRCCOPY)) {
            return picture;
        }
    }
    return scaled;
}

}  // namespace quibrant::win32
