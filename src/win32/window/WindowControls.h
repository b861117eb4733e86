#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "app/DownloadForm.h"
#include "app/FormLayout.h"
#include "win32/window/Win32Controls.h"
#include "win32/window/Win32TaskbarButton.h"
#include "win32/window/WindowLayout.h"

namespace quibrant::win32 {

// Ids of the window's timers: the form's watchdog, the taskbar button's
// screen-rate updates, and from kFirstControlTimerId on one per row of the
// control table, for the controls that show their changes at screen rate.
inline constexpr UINT_PTR kTimer1Id = 1;
inline constexpr UINT_PTR kTaskbarRateId = 2;
inline constexpr UINT_PTR kFirstControlTimerId = 16;

// The adapter through which the form drives a control of each kind.
struct Adapters {
    using Frame = Win32Frame;
    using Label = Win32Label;
    using TextBox = Win32TextBox;
    using Option = Win32OptionButton;
    using Picture = Win32PictureBox;
    using Command = Win32Control<platform::Control>;
    using Progress = Win32ProgressBar;
};

// The adapter over the child window the layout made for the control of that
// name: controls that show their changes at screen rate get a timer of their
// own, pictures the screen's units.
template <typename Adapter>
Adapter adapterOf(HWND window, const WindowLayout& w, const WindowUnits& units, const char* name) {
    const HWND hwnd = w.control(name);
    if constexpr (std::is_constructible_v<Adapter, HWND, HWND, UINT_PTR>) {
        return Adapter(hwnd, window,
                       kFirstControlTimerId +
                           static_cast<UINT_PTR>(formControl(name) - formControls().data()));
    } else if constexpr (std::is_constructible_v<Adapter, HWND, const WindowUnits&>) {
        return Adapter(hwnd, units);
    } else {
        return Adapter(hwnd);
    }
}

// The form's view of the child windows, each in the state the layout built.
struct WindowControls {
    WindowControls(HWND window, const WindowLayout& layout, const WindowUnits& units,
                   std::function<void()> tab)
        : window(window, std::move(tab)),
          Timer1(window, kTimer1Id, kTimer1IntervalMs),
          taskbar(window, kTaskbarRateId),
          hwnd_(window),
          layout_(layout),
          units_(units) {
        // A frame disables what it holds.
        for (const auto& [def, control] : children) {
            if (def->container != nullptr) {
                static_cast<Win32Frame&>(named(def->container)).addMember(*control);
            }
        }
    }

    // The control that `hwnd` is, of the adapter type `T`; null for none.
    template <typename T>
    T* childOf(HWND hwnd) const {
        for (const auto& [def, control] : children) {
            if (control->hwnd() == hwnd) {
                return dynamic_cast<T*>(control);
            }
        }
        return nullptr;
    }

    Win32Window window;
    Win32Timer Timer1;
    Win32TaskbarButton taskbar;

  private:
    // The control of that name, which the table has.
    ChildControl& named(std::string_view name) const {
        return *std::find_if(children.begin(), children.end(), [name](const auto& child) {
                    return name == child.first->name;
                })->second;
    }

    HWND hwnd_;
    const WindowLayout& layout_;
    const WindowUnits& units_;

  public:
#define QUIBRANT_WIN32_ADAPTER(name, kind, ...) \
    Adapters::kind name = adapterOf<Adapters::kind>(hwnd_, layout_, units_, #name);
    QUIBRANT_FORM_CONTROLS(QUIBRANT_WIN32_ADAPTER)
#undef QUIBRANT_WIN32_ADAPTER

    // Every control with its row of the control table, in the table's order.
#define QUIBRANT_WIN32_CHILD(name, ...) {formControl(#name), &name},
    const std::vector<std::pair<const ControlDef*, ChildControl*>> children = {
        QUIBRANT_FORM_CONTROLS(QUIBRANT_WIN32_CHILD)};
#undef QUIBRANT_WIN32_CHILD
};

}  // namespace quibrant::win32
