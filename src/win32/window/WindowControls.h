#pragma once

#include <windows.h>

#include <functional>
#include <utility>

#include "app/DownloadForm.h"
#include "win32/window/Win32Controls.h"
#include "win32/window/Win32TaskbarButton.h"
#include "win32/window/WindowLayout.h"

namespace quibrant::win32 {

// Ids of the window's timers: the form's watchdog, and the screen-rate
// updates of the captions, the progress bar and the taskbar button.
inline constexpr UINT_PTR kTimer1Id = 1;
inline constexpr UINT_PTR kFrame1RateId = 2;
inline constexpr UINT_PTR kFrame2RateId = 3;
inline constexpr UINT_PTR kLabel2RateId = 4;
inline constexpr UINT_PTR kProgressRateId = 5;
inline constexpr UINT_PTR kTaskbarRateId = 6;

// The form's view of the child windows, each in the state the layout built.
struct WindowControls {
    WindowControls(HWND window, const WindowLayout& w, const WindowUnits& units,
                   std::function<void()> tab)
        : window(window, std::move(tab)),
          Text1(w.control("Text1")),
          Text2(w.control("Text2")),
          Text3(w.control("Text3")),
          Text4(w.control("Text4")),
          Frame1(w.control("Frame1"), window, kFrame1RateId),
          Frame2(w.control("Frame2"), window, kFrame2RateId),
          Label2(w.control("Label2"), window, kLabel2RateId),
          Label1_0(w.control("Label1_0")),
          Label1_1(w.control("Label1_1")),
          Label1_2(w.control("Label1_2")),
          Label1_3(w.control("Label1_3")),
          ProgressBar1(w.control("ProgressBar1"), window, kProgressRateId),
          Picture1_0(w.control("Picture1_0"), units),
          Picture1_1(w.control("Picture1_1"), units),
          Picture2(w.control("Picture2_0"), units),
          Option1_0(w.control("Option1_0")),
          Option1_1(w.control("Option1_1")),
          Command1(w.control("Command1")),
          Command2(w.control("Command2")),
          Command3(w.control("Command3")),
          Timer1(window, kTimer1Id, kTimer1IntervalMs),
          taskbar(window, kTaskbarRateId) {
        Frame1.setMembers({&ProgressBar1});
        Frame2.setMembers({&Label1_3, &Text4, &Command1, &Command2, &Label1_2, &Text3, &Label1_0,
                           &Text1, &Label1_1, &Text2, &Label2, &Picture1_0, &Command3, &Picture2,
                           &Picture1_1, &Option1_0, &Option1_1});
    }

    // The label that `hwnd` is, or null.
    const Win32Label* label(HWND hwnd) const {
        for (const Win32Label* label : {&Label1_0, &Label1_1, &Label1_2, &Label1_3}) {
            if (label->hwnd() == hwnd) {
                return label;
            }
        }
        return nullptr;
    }

    Win32TextBox* box(int number) {
        Win32TextBox* boxes[] = {&Text1, &Text2, &Text3, &Text4};
        return number >= 1 && number <= 4 ? boxes[number - 1] : nullptr;
    }

    Win32Window window;
    Win32TextBox Text1, Text2, Text3, Text4;
    Win32Frame Frame1, Frame2;
    Win32Captioned Label2;
    // Labels the form never names; they follow their frame all the same.
    Win32Label Label1_0, Label1_1, Label1_2, Label1_3;
    Win32ProgressBar ProgressBar1;
    Win32PictureBox Picture1_0, Picture1_1, Picture2;
    Win32OptionButton Option1_0, Option1_1;
    ChildControl Command1, Command2, Command3;
    Win32Timer Timer1;
    Win32TaskbarButton taskbar;
};

}  // namespace quibrant::win32
