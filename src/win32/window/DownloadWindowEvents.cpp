// How the window turns what Windows reports into the form's events: clicks,
// keys, focus changes, timer ticks, painting and closing.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdint>
#include <limits>
#include <utility>

#include "app/FormLayout.h"
#include "win32/window/DownloadWindow.h"
#include "win32/window/Win32Controls.h"
#include "win32/window/WindowControls.h"
#include "win32/window/WindowPainting.h"

namespace quibrant::win32 {

namespace {

// Bit 30 of a key message's lParam: the key was already down (auto-repeat).
constexpr LPARAM kKeyWasDown = LPARAM{1} << 30;

bool keyDown(int key) {
    return GetKeyState(key) < 0;
}

}  // namespace

LRESULT DownloadWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (controls_ && controls_->taskbar.announcesButton(message)) {
        controls_->taskbar.onButtonCreated();
        return 0;
    }
    switch (message) {
        case WM_COMMAND:
            if (lParam != 0) {
                onCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
            }
            return 0;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return onControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_DRAWITEM:
            onDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_TIMER:
            onTimer(static_cast<UINT_PTR>(wParam));
            return 0;
        case WM_ERASEBKGND:
            fill(reinterpret_cast<HDC>(wParam), hwnd_.get(), windowBrush_);
            return 1;
        case WM_ACTIVATE:
            onActivate(wParam);
            break;
        case WM_SETFOCUS:
            onSetFocus();
            return 0;
        case WM_CLOSE:
            onClose();
            return 0;
        case WM_DESTROY:
            onDestroy();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_.get(), message, wParam, lParam);
}

void DownloadWindow::fill(HDC dc, HWND area, const Brush& brush) {
    RECT rect{};
    GetClientRect(area, &rect);
    FillRect(dc, &rect, brush.get());
}

void DownloadWindow::onActivate(WPARAM state) {
    if (LOWORD(state) != WA_INACTIVE) {
        return;
    }
    const HWND focus = GetFocus();
    if (focus != nullptr && IsChild(hwnd_.get(), focus)) {
        savedFocus_ = focus;
    }
}

void DownloadWindow::onSetFocus() {
    // The window itself takes no keys: its control does.
    HWND target = canTakeFocus(savedFocus_) ? savedFocus_ : nullptr;
    for (const HWND candidate : layout_ ? layout_->tabOrder() : std::vector<HWND>{}) {
        if (target == nullptr && canTakeFocus(candidate)) {
            target = candidate;
        }
    }
    if (target != nullptr) {
        SetFocus(target);
    }
}

void DownloadWindow::onDestroy() {
    // Closed by the user: the program ends. A window taken down by its owner
    // leaves the owner's message loop alone.
    if (live_) {
        live_ = false;
        PostQuitMessage(0);
    }
}

LRESULT DownloadWindow::handleControlMessage(HWND control, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    const ControlDef* def = layout_ ? layout_->def(control) : nullptr;
    const bool picture = def != nullptr && def->kind == ControlKind::Picture;
    switch (message) {
        case WM_KEYDOWN:
            if (wParam == VK_TAB && !keyDown(VK_CONTROL) && !keyDown(VK_MENU)) {
                moveFocus(!keyDown(VK_SHIFT));
                return 0;
            }
            // Space clicks a picture as on a button; Enter is the window's,
            // which moves the focus on, here as everywhere else.
            if (picture && wParam == VK_SPACE) {
                // A held Space clicks once.
                if ((lParam & kKeyWasDown) == 0 && host() != nullptr) {
                    host()->click(def->name);
                }
                return 0;
            }
            break;
        case WM_CHAR:
            // Tab moved the focus already; a picture acted on its Space down.
            if (wParam == L'\t' || (picture && wParam == L' ')) {
                return 0;
            }
            if (host() != nullptr) {
                const std::uint32_t typed = host()->keyPress(static_cast<std::uint32_t>(wParam));
                if (typed == 0) {
                    return 0;
                }
                wParam = typed;
            }
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS: {
            const LRESULT result = DefSubclassProc(control, message, wParam, lParam);
            const auto other = reinterpret_cast<HWND>(wParam);
            if (host() == nullptr) {
                // Built or taken down: the form hears nothing.
            } else if (message == WM_SETFOCUS) {
                host()->focusGained(nameOf(control));
            } else {
                // Focus that leaves for a message box or another program
                // comes back.
                host()->focusLost(nameOf(control), other != nullptr && IsChild(hwnd_.get(), other));
            }
            if (picture) {
                InvalidateRect(control, nullptr, FALSE);
            }
            return result;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            // A picture takes the focus like a button, before its click: a box
            // left behind is done with first.
            if (picture) {
                SetFocus(control);
            }
            break;
        default:
            break;
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

void DownloadWindow::onCommand(HWND control, UINT code) {
    const ControlDef* def = layout_ ? layout_->def(control) : nullptr;
    if (host() == nullptr || def == nullptr) {
        return;
    }
    // Two quick clicks on a picture are two clicks, as on any button.
    const bool clicked =
        def->kind == ControlKind::Picture
            ? code == STN_CLICKED || code == STN_DBLCLK
            : (def->kind == ControlKind::Command || def->kind == ControlKind::Option) &&
                  code == BN_CLICKED;
    if (clicked) {
        host()->click(def->name);
    }
}

std::string_view DownloadWindow::nameOf(HWND control) const {
    const ControlDef* def = layout_ ? layout_->def(control) : nullptr;
    return def != nullptr ? def->name : "";
}

void DownloadWindow::moveFocus(bool forward) {
    const std::vector<HWND>& order = layout_->tabOrder();
    const std::size_t count = order.size();
    const HWND current = GetFocus();
    std::size_t at = forward ? count - 1 : 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (order[i] == current) {
            at = i;
        }
    }
    for (std::size_t step = 1; step <= count; ++step) {
        const HWND next = order[(at + (forward ? step : count - step)) % count];
        if (canTakeFocus(next)) {
            SetFocus(next);
            return;
        }
    }
}

bool DownloadWindow::canTakeFocus(HWND control) const {
    if (control == nullptr || !IsWindow(control) || !IsWindowVisible(control)) {
        return false;
    }
    for (HWND window = control; window != nullptr && window != hwnd_.get();
         window = GetParent(window)) {
        if (!IsWindowEnabled(window)) {
            return false;
        }
    }
    return true;
}

LRESULT DownloadWindow::onControlColor(HDC dc, HWND control) {
    if (const Win32TextBox* box = controls_ ? controls_->childOf<Win32TextBox>(control) : nullptr) {
        const Win32TextBox& textBox = *box;
        SetBkColor(dc, textBox.paintColor());
        return reinterpret_cast<LRESULT>(textBox.brush());
    }
    const ControlDef* def = layout_ ? layout_->def(control) : nullptr;
    if (def != nullptr && def->kind == ControlKind::Option) {
        SetTextColor(dc, kOptionTextColor);
        SetBkColor(dc, kOptionBackColor);
        return reinterpret_cast<LRESULT>(optionBrush_.get());
    }
    // Labels and frame captions stand on the frame's grey. The label of a
    // disabled input takes the shade the coloured buttons' captions follow,
    // which still reads on that grey.
    const Win32Label* label = controls_ ? controls_->childOf<Win32Label>(control) : nullptr;
    if (label != nullptr && !label->drawnEnabled()) {
        SetTextColor(dc, disabledTextColor(kFrameColor));
    }
    SetBkColor(dc, kFrameColor);
    return reinterpret_cast<LRESULT>(frameBrush_.get());
}

void DownloadWindow::onDrawItem(const DRAWITEMSTRUCT& item) {
    const ControlDef* def = layout_ ? layout_->def(item.hwndItem) : nullptr;
    if (def == nullptr) {
        return;
    }
    if (def->kind == ControlKind::Command) {
        drawColorButton(item, def->backColor);
    } else if (def->kind == ControlKind::Picture) {
        const HBITMAP picture = item.hwndItem == control("Picture1_0")   ? closedPadlock_.get()
                                : item.hwndItem == control("Picture1_1") ? openPadlock_.get()
                                                                         : folderArrows_.get();
        drawPicture(item, picture, def->backColor);
    }
}

void DownloadWindow::onTimer(UINT_PTR id) {
    if (!controls_) {
        return;
    }
    WindowControls& c = *controls_;
    if (id == c.Timer1.timerId()) {
        if (host() != nullptr) {
            host()->tick();
        }
        return;
    }
    for (const auto& [def, control] : c.children) {
        if (control->onTimer(id)) {
            return;
        }
    }
    c.taskbar.onTimer(id);
}

void DownloadWindow::onClose() {
    if (host() == nullptr) {
        return;
    }
    host()->close();
    DestroyWindow(hwnd_.get());
}

}  // namespace quibrant::win32
