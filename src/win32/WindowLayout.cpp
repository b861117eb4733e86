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

constexpr platform::Color kCommand1Color = 0x00FF00;  // green
constexpr platform::Color kCommand2Color = 0xC0FFC0;  // light green
constexpr platform::Color kCommand3Color = 0xC0FFFF;  // light yellow
// The system's window colour, which text boxes keep until first coloured.
constexpr platform::Color kSystemWindowColor = 0x80000005;

constexpr const char* kSourceFolderLabel = "Carpeta Origen";
constexpr const char* kSourceFileLabel = "Fichero Origen";
constexpr const char* kDestinationLabel = "Fichero Destino";
constexpr const char* kCodeLabel = "Contraseña";
constexpr const char* kServer1Caption = "Servidor-1";
constexpr const char* kServer2Caption = "Servidor-2";
constexpr const char* kCommand1Caption = "Descargar e Instalar";
constexpr const char* kCommand2Caption = "Solo Descargar";
// The spaces break the caption into "Solo" over "Instalar" on the button.
constexpr const char* kCommand3Caption = "  Solo   Instalar";
// Pictures show no text: their window text is the name screen readers read.
constexpr const char* kFolderPictureName = "Cambiar la carpeta de destino";
// One name for both padlocks: a click acts on the mask, whichever is shown.
constexpr const char* kPadlockName = "Mostrar u ocultar la contraseña";
constexpr const char* kProgressName = "Progreso de la descarga";

constexpr int kFirstControlId = 100;
constexpr const char* kCannotCreate = "No se pudo crear el control de la ventana";

using K = ControlKind;

// Inside each container the order is the stacking order: boxes above the
// labels that reach under them, each label just before the box it names, and
// the focusable controls otherwise in focus order.
const std::vector<ControlSpec> kControls = {
    {"Frame1", K::Frame, nullptr, 0, 2130, 9765, 510, kFrame1Caption, false, -1, kFrameColor},
    {"ProgressBar1", K::Progress, "Frame1", 45, 225, 9675, 225, kProgressName, true, -1, 0},
    {"Frame2", K::Frame, nullptr, -15, 0, 9780, 2130, "", true, -1, kFrameColor},
    {"Label1_3", K::Label, "Frame2", 210, 1560, 930, 315, kCodeLabel, true, -1, kFrameColor},
    {"Text4", K::TextBox, "Frame2", 1230, 1515, 1185, 285, "", true, 0, kSystemWindowColor},
    {"Command1", K::Command, "Frame2", 3690, 1410, 1155, 525, kCommand1Caption, true, 1,
     kCommand1Color},
    {"Command2", K::Command, "Frame2", 4875, 1410, 1155, 525, kCommand2Caption, true, 2,
     kCommand2Color},
    {"Label1_2", K::Label, "Frame2", 75, 240, 1275, 315, kSourceFolderLabel, false, -1,
     kFrameColor},
    {"Text3", K::TextBox, "Frame2", 1245, 195, 7125, 285, "", false, 3, kSystemWindowColor},
    {"Label1_0", K::Label, "Frame2", 75, 585, 1275, 315, kSourceFileLabel, true, -1, kFrameColor},
    {"Text1", K::TextBox, "Frame2", 1245, 555, 8385, 285, "", true, 4, kSystemWindowColor},
    {"Label1_1", K::Label, "Frame2", 75, 945, 2160, 315, kDestinationLabel, true, -1, kFrameColor},
    {"Text2", K::TextBox, "Frame2", 1245, 900, 8085, 285, "", true, 5, kSystemWindowColor},
    {"Label2", K::Label, "Frame2", 5655, 1950, 2265, 240, kLabel2Caption, false, -1, kFrameColor},
    {"Picture1_0", K::Picture, "Frame2", 2415, 1500, 315, 300, kPadlockName, true, 14, kFrameColor},
    {"Command3", K::Command, "Frame2", 6030, 1410, 1155, 525, kCommand3Caption, true, 15,
     kCommand3Color},
    {"Picture2_0", K::Picture, "Frame2", 9330, 915, 300, 255, kFolderPictureName, true, 16,
     kFrameColor},
    {"Picture1_1", K::Picture, "Frame2", 2820, 1530, 315, 300, kPadlockName, false, 17,
     kFrameColor},
    {"Option1_0", K::Option, "Frame2", 8415, 135, 1215, 195, kServer1Caption, false, 18,
     kOptionBackColor},
    {"Option1_1", K::Option, "Frame2", 8415, 345, 1215, 195, kServer2Caption, false, 19,
     kOptionBackColor},
};

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
    if (spec.kind != K::Label || index + 1 >= kControls.size()) {
        return spec.width;
    }
    const ControlSpec& next = kControls[index + 1];
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

const std::vector<ControlSpec>& windowControls() {
    return kControls;
}

WindowLayout::WindowLayout(HWND window, HINSTANCE instance, const WindowUnits& units, HFONT font) {
    handles_.reserve(kControls.size());
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        const ControlSpec& spec = kControls[i];
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

    std::vector<std::size_t> focusable;
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        if (kControls[i].tabIndex >= 0) {
            focusable.push_back(i);
        }
    }
    std::sort(focusable.begin(), focusable.end(), [](std::size_t a, std::size_t b) {
        return kControls[a].tabIndex < kControls[b].tabIndex;
    });
    for (const std::size_t i : focusable) {
        tabOrder_.push_back(handles_[i]);
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
        if (name == kControls[i].name) {
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
            return &kControls[i];
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
        if (kControls[i].container != nullptr &&
            std::strcmp(kControls[i].container, frameSpec->name) == 0) {
            found.push_back(handles_[i]);
        }
    }
    return found;
}

}  // namespace quibrant::win32
