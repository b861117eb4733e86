#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

#include "app/FormLayout.h"
#include "win32/window/WindowHandles.h"

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

// The window's child controls once created, found by the control's name
// ("Text4", "Picture1_0", "Frame1").
class WindowLayout {
  public:
    WindowLayout(HWND window, HINSTANCE instance, const WindowUnits& units, HFONT font);

    HWND control(std::string_view name) const;
    // The control table's row of a child control, or nullptr.
    const ControlDef* def(HWND control) const;
    // The controls that can take the focus, in focus order.
    const std::vector<HWND>& tabOrder() const { return tabOrder_; }

  private:
    void fitLabel(HWND label, HFONT font);

    std::vector<HWND> handles_;
    // Narrower cuts of the window's font for labels that need them.
    std::vector<Font> labelFonts_;
    std::vector<HWND> tabOrder_;
};

}  // namespace quibrant::win32
