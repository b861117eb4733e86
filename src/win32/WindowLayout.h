#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/Controls.h"
#include "win32/WindowHandles.h"

namespace quibrant::win32 {

// The layout is given in twips: 1440 make an inch, so 15 make one pixel at
// 96 dots per inch. The window measures in the screen's own dots per inch.
class WindowUnits {
  public:
    static constexpr int kTwipsPerInch = 1440;
    explicit WindowUnits(int dotsPerInch) : dpi_(dotsPerInch) {}
    // The units of the screen the program runs on.
    static WindowUnits ofScreen();

    int dpi() const { return dpi_; }
    int pixels(int twips) const { return MulDiv(twips, dpi_, kTwipsPerInch); }
    int twips(int pixels) const { return MulDiv(pixels, kTwipsPerInch, dpi_); }

  private:
    int dpi_;
};

// What a control of the window is, and so which Windows class shows it.
enum class ControlKind { Frame, Label, TextBox, Option, Picture, Command, Progress };

// One control of the window with the properties it has when the window is
// created. Places are in twips inside the container; the container is
// another control's name, or nullptr for the window itself.
struct ControlSpec {
    const char* name;
    ControlKind kind;
    const char* container;
    int left, top, width, height;
    const char* caption;
    bool visible;
    // Place in the focus order; -1 for controls that never take the focus.
    int tabIndex;
    platform::Color backColor;
};

// The window's client area, its colour and the frames' colour.
inline constexpr int kClientWidth = 9765;
inline constexpr int kClientHeight = 2640;
inline constexpr platform::Color kWindowColor = 0xE0E0E0;
inline constexpr platform::Color kFrameColor = 0xC0C0C0;
inline constexpr platform::Color kOptionBackColor = 0x808080;
inline constexpr platform::Color kOptionTextColor = 0x404040;
// Captions the form starts with; the adapters show them until it replaces them.
inline constexpr const char* kFrame1Caption = "Pravelda";
inline constexpr const char* kLabel2Caption = "Stat";
inline constexpr const char* kFolderToolTip = "Carpeta fichero temporales.";

// Every control, in the order in which the window stacks them inside their
// container (which is also the order in which screen readers pair a label
// with the box after it).
const std::vector<ControlSpec>& windowControls();

// The window's child controls once created, found by the control's name
// ("Text4", "Picture1_0", "Frame1").
class WindowLayout {
  public:
    WindowLayout(HWND window, HINSTANCE instance, const WindowUnits& units, HFONT font);

    HWND control(std::string_view name) const;
    const ControlSpec* spec(HWND control) const;
    // The controls that can take the focus, in focus order.
    const std::vector<HWND>& tabOrder() const { return tabOrder_; }
    // The controls a frame holds.
    std::vector<HWND> members(HWND frame) const;

  private:
    void fitLabel(HWND label, HFONT font);

    std::vector<HWND> handles_;
    // Narrower cuts of the window's font for labels that need them.
    std::vector<Font> labelFonts_;
    std::vector<HWND> tabOrder_;
};

}  // namespace quibrant::win32
