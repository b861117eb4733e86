#pragma once

#include <windows.h>

#include "win32/window/WindowHandles.h"

namespace quibrant::win32 {

// The two kinds of control the window draws itself, so that they look as the
// program's design has them rather than as the system's defaults.

// A command button filled with its own colour: a raised bevel, sunken while
// pressed, the caption centred and wrapped onto as many lines as it needs,
// a darker shade of its colour when disabled, and a dotted focus rectangle.
void drawColorButton(const DRAWITEMSTRUCT& item, COLORREF background);

// A picture centred in its box on the box's colour, faded while disabled,
// with a dotted focus rectangle while it has the keyboard focus.
void drawPicture(const DRAWITEMSTRUCT& item, HBITMAP picture, COLORREF background);

// The picture drawn for a screen of `dotsPerInch`: the artwork is made for
// 96, where a picture box's place in the layout is measured, so on a denser
// screen it grows with the box, smoothed rather than blocky. The picture
// itself when there is nothing to scale or scaling fails.
Bitmap scaledForScreen(Bitmap picture, int dotsPerInch);

}  // namespace quibrant::win32
