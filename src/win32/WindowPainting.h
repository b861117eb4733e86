#pragma once

#include <windows.h>

namespace quibrant::win32 {

// The two kinds of control the window draws itself, so that they look as the
// program's design has them rather than as the system's defaults.

// A command button filled with its own colour: a raised bevel, sunken while
// pressed, the caption centred and wrapped onto as many lines as it needs,
// grey when disabled, and a dotted focus rectangle.
void drawColorButton(const DRAWITEMSTRUCT& item, COLORREF background);

// A picture centred in its box on the box's colour, faded while disabled,
// with a dotted focus rectangle while it has the keyboard focus.
void drawPicture(const DRAWITEMSTRUCT& item, HBITMAP picture, COLORREF background);

}  // namespace quibrant::win32
