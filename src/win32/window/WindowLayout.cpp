#include "win32/window/WindowLayout.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "win32/services/Utf16.h"
#include "win32/services/Win32Failure.h"
#include "win32/window/WindowHandles.h"

namespace quibrant::win32 {

namespace {

constexpr int kFirstControlId = 100;
constexpr const char* kCannotCreate = "No se pudo crear el control de la ventana";

using K = ControlKind;

struct WindowClass {
    const wchar_t* name;
    DWORD style;
    DWORD exStyle;
};

WindowClass classOf(const ControlDef& def) {
    constexpr DWORD kFocusable = WS_TABSTOP;
    switch (def.kind) {
        case K::Frame:
            // The frames hold their controls as child windows; the focus
            // order reaches into them.
            return {WC_BUTTONW, BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
        case K::Label:
            return {WC_STATICW, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
        case K::TextBox: {
            const DWORD mask = *def.passwordChar != '\0' ? ES_PASSWORD : 0;
            return {WC_EDITW, ES_AUTOHSCROLL | mask | kFocusable, WS_EX_CLIENTEDGE};
        }
        case K::Option:
            return {WC_BUTTONW, BS_RADIOBUTTON | kFocusable, 0};
        case K::Picture:
            return {WC_STATICW, SS_OWNERDRAW | SS_NOTIFY | kFocusable, 0};
        case K::Command:
            return {WC_BUTTONW, BS_OWNERDRAW | kFocusable, 0};
        case K::Progress:
            return {PROGRESS_CLASSW, 0, 0};
    }
    return {WC_STATICW, 0, 0};
}

// A label that reaches under the box it names ends where the box begins:
// the box would cover the rest of it anyway.
int visibleWidth(const ControlDef& def, std::size_t index) {
    const std::vector<ControlDef>& controls = formControls();
    if (def.kind != K::Label || index + 1 >= controls.size()) {
        return def.width;
    }
    const ControlDef& next = controls[index + 1];
    const bool namesNext = next.kind == K::TextBox && next.top < def.top + def.height &&
                           def.top < next.top + next.height;
    if (!namesNext || def.left + def.width <= next.left) {
        return def.width;
    }
    return next.left - def.left;
}

}  // namespace

WindowUnits WindowUnits::ofScreen() {
    const WindowDc screen(nullptr);
    const int dpi = screen.get() != nullptr ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    constexpr int kStandardDpi = 96;
    return WindowUnits(dpi > 0 ? dpi : kStandardDpi);
}

WindowLayout::WindowLayout(HWND window, HINSTANCE instance, const WindowUnits& units, HFONT font) {
    const std::vector<ControlDef>& controls = formControls();
    handles_.reserve(controls.size());
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const ControlDef& def = controls[i];
        const HWND parent = def.container ? control(def.container) : window;
        const WindowClass windowClass = classOf(def);
        const DWORD style =
            WS_CHILD | WS_CLIPSIBLINGS | windowClass.style | (def.visible ? WS_VISIBLE : 0);
        const HWND hwnd = CreateWindowExW(
            windowClass.exStyle, windowClass.name, widen(def.caption).c_str(), style,
            units.pixels(def.left), units.pixels(def.top), units.pixels(visibleWidth(def, i)),
            units.pixels(def.height), parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)), instance, nullptr);
        if (hwnd == nullptr) {
            throw systemFailure(GetLastError(), kCannotCreate, def.name);
        }
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (def.kind == K::Label) {
            fitLabel(hwnd, font);
        }
        handles_.push_back(hwnd);
    }

    for (const ControlDef* def : formTabOrder()) {
        tabOrder_.push_back(handles_[static_cast<std::size_t>(def - controls.data())]);
    }
}

// The layout is in fixed places, built for a narrow classic dialog font. With
// a wider font a label would be cut where its box begins, so it is given a
// narrower cut of the same font, just narrow enough to fit.
void WindowLayout::fitLabel(HWND label, HFONT font) {
    constexpr int kNarrowestStretch = 70;
    constexpr int kStretchStep = 5;
    constexpr int kFullStretch = 100;
    LOGFONTW look{};
    RECT area{};
    if (GetObjectW(font, sizeof(look), &look) == 0 || GetClientRect(label, &area) == FALSE) {
        return;
    }
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(label)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(label, text.data(), static_cast<int>(text.size()))));
    const WindowDc labelDc(label);
    const HDC dc = labelDc.get();
    const SavedDc kept(dc);
    SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const auto fits = [&](HFONT candidate) {
        SelectObject(dc, candidate);
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        // A font that is let go must not stay selected.
        SelectObject(dc, font);
        return size.cx <= area.right;
    };
    if (!fits(font)) {
        for (int stretch = kFullStretch - kStretchStep; stretch >= kNarrowestStretch;
             stretch -= kStretchStep) {
            look.lfWidth = MulDiv(metrics.tmAveCharWidth, stretch, kFullStretch);
            Font narrower(CreateFontIndirectW(&look));
            if (narrower && (fits(narrower.get()) || stretch == kNarrowestStretch)) {
                SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(narrower.get()), FALSE);
                labelFonts_.push_back(std::move(narrower));
                break;
            }
        }
    }
}

HWND WindowLayout::control(std::string_view name) const {
    for (std::size_t i = 0; i < handles_.size(); ++i) {
        if (name == formControls()[i].name) {
            return handles_[i];
        }
    }
    return nullptr;
}

const ControlDef* WindowLayout::def(HWND control) const {
    if (control == nullptr) {
        return nullptr;
    }
    for (std::size_t i = 0; i < handles_.size(); ++i) {
        if (handles_[i] == control) {
            return &formControls()[i];
        }
    }
    return nullptr;
}

}  // namespace quibrant::win32
