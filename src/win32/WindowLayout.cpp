#include "win32/WindowLayout.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "win32/Utf16.h"
#include "win32/Win32Failure.h"
#include "win32/WindowHandles.h"

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

WindowClass classOf(const ControlSpec& spec) {
    constexpr DWORD kFocusable = WS_TABSTOP;
    switch (spec.kind) {
        case K::Frame:
            // The frames hold their controls as child windows; the focus
            // order reaches into them.
            return {WC_BUTTONW, BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
        case K::Label:
            return {WC_STATICW, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
        case K::TextBox: {
            const DWORD mask = std::strcmp(spec.name, "Text4") == 0 ? ES_PASSWORD : 0;
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
int visibleWidth(const ControlSpec& spec, std::size_t index) {
    const std::vector<ControlSpec>& controls = formControls();
    if (spec.kind != K::Label || index + 1 >= controls.size()) {
        return spec.width;
    }
    const ControlSpec& next = controls[index + 1];
    const bool namesNext = next.kind == K::TextBox && next.top < spec.top + spec.height &&
                           spec.top < next.top + next.height;
    if (!namesNext || spec.left + spec.width <= next.left) {
        return spec.width;
    }
    return next.left - spec.left;
}

}  // namespace

WindowUnits WindowUnits::ofScreen() {
    const ScreenDc screen;
    const int dpi = screen.get() != nullptr ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    constexpr int kStandardDpi = 96;
    return WindowUnits(dpi > 0 ? dpi : kStandardDpi);
}

WindowLayout::WindowLayout(HWND window, HINSTANCE instance, const WindowUnits& units, HFONT font) {
    const std::vector<ControlSpec>& controls = formControls();
    handles_.reserve(controls.size());
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const ControlSpec& spec = controls[i];
        const HWND parent = spec.container ? control(spec.container) : window;
        const WindowClass windowClass = classOf(spec);
        const DWORD style =
            WS_CHILD | WS_CLIPSIBLINGS | windowClass.style | (spec.visible ? WS_VISIBLE : 0);
        const HWND hwnd = CreateWindowExW(
            windowClass.exStyle, windowClass.name, widen(spec.caption).c_str(), style,
            units.pixels(spec.left), units.pixels(spec.top), units.pixels(visibleWidth(spec, i)),
            units.pixels(spec.height), parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)), instance, nullptr);
        if (hwnd == nullptr) {
            throw systemFailure(GetLastError(), kCannotCreate, spec.name);
        }
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (spec.kind == K::Label) {
            fitLabel(hwnd, font);
        }
        handles_.push_back(hwnd);
    }

    for (const ControlSpec* spec : formTabOrder()) {
        tabOrder_.push_back(handles_[static_cast<std::size_t>(spec - controls.data())]);
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
    const HDC dc = GetDC(label);
    const HGDIOBJ original = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const auto fits = [&](HFONT candidate) {
        SelectObject(dc, candidate);
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
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
    SelectObject(dc, original);
    ReleaseDC(label, dc);
}

HWND WindowLayout::control(std::string_view name) const {
    for (std::size_t i = 0; i < handles_.size(); ++i) {
        if (name == formControls()[i].name) {
            return handles_[i];
        }
    }
    return nullptr;
}

const ControlSpec* WindowLayout::spec(HWND control) const {
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

std::vector<HWND> WindowLayout::members(HWND frame) const {
    std::vector<HWND> found;
    const ControlSpec* frameSpec = spec(frame);
    if (frameSpec == nullptr) {
        return found;
    }
    for (std::size_t i = 0; i < handles_.size(); ++i) {
        const char* container = formControls()[i].container;
        if (container != nullptr && std::strcmp(container, frameSpec->name) == 0) {
            found.push_back(handles_[i]);
        }
    }
    return found;
}

}  // namespace quibrant::win32
