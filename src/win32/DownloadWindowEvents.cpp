// How the window turns what Windows reports into the form's events: clicks,
// keys, focus changes, timer ticks, painting and closing.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdint>
#include <limits>
#include <utility>

#include "win32/DownloadWindow.h"
#include "win32/Win32Controls.h"
#include "win32/WindowControls.h"
#include "win32/WindowPainting.h"

namespace quibrant::win32 {

namespace {

// Bit 30 of a key message's lParam: the key was already down (auto-repeat).
constexpr LPARAM kKeyWasDown = LPARAM{1} << 30;
constexpr WPARAM kLargestKeyCode = std::numeric_limits<std::int16_t>::max();

bool keyDown(int key) {
    return GetKeyState(key) < 0;
}

}  // namespace

LRESULT DownloadWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND hwnd = hwnd_.get();
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
        case WM_ERASEBKGND: {
            RECT area{};
            GetClientRect(hwnd, &area);
            FillRect(reinterpret_cast<HDC>(wParam), &area, windowBrush_.get());
            return 1;
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                const HWND focus = GetFocus();
                if (focus != nullptr && IsChild(hwnd, focus)) {
                    savedFocus_ = focus;
                }
            }
            break;
        case WM_SETFOCUS: {
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
            return 0;
        }
        case WM_CLOSE:
            onClose();
            return 0;
        case WM_DESTROY:
            // Closed by the user: the program ends. A window taken down by its
            // owner leaves the owner's message loop alone.
            if (live_) {
                live_ = false;
                PostQuitMessage(0);
            }
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT DownloadWindow::handleControlMessage(HWND control, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    const ControlSpec* spec = layout_ ? layout_->spec(control) : nullptr;
    const bool picture = spec != nullptr && spec->kind == ControlKind::Picture;
    switch (message) {
        case WM_KEYDOWN:
            if (wParam == VK_TAB && !keyDown(VK_CONTROL) && !keyDown(VK_MENU)) {
                moveFocus(!keyDown(VK_SHIFT));
                return 0;
            }
            if (picture && (wParam == VK_RETURN || wParam == VK_SPACE)) {
                // A held Enter that moved the focus here from a text box must
                // not go on to click the picture.
                if ((lParam & kKeyWasDown) == 0) {
                    clickPicture(control);
                }
                return 0;
            }
            break;
        case WM_CHAR:
            // Tab moved the focus already; a picture acted on its key down.
            if (wParam == L'\t' || (picture && (wParam == L'\r' || wParam == L' '))) {
                return 0;
            }
            if (offerKey(wParam)) {
                return 0;
            }
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS: {
            const LRESULT result = DefSubclassProc(control, message, wParam, lParam);
            if (const int box = boxNumber(control); box != 0) {
                onBoxFocus(box, message == WM_SETFOCUS, reinterpret_cast<HWND>(wParam));
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
    const ControlSpec* spec = layout_ ? layout_->spec(control) : nullptr;
    if (!live_ || spec == nullptr) {
        return;
    }
    switch (spec->kind) {
        case ControlKind::Command:
            if (code != BN_CLICKED) {
                return;
            }
            if (control == this->control("Command1")) {
                run([this] { form_->Command1_Click(); });
            } else if (control == this->control("Command2")) {
                run([this] { form_->Command2_Click(); });
            } else {
                run([this] { form_->Command3_Click(); });
            }
            return;
        case ControlKind::Option:
            if (code == BN_CLICKED) {
                selectOption(control == this->control("Option1_0") ? 0 : 1);
            }
            return;
        case ControlKind::Picture:
            // Two quick clicks are two clicks, as on any button.
            if (code == STN_CLICKED || code == STN_DBLCLK) {
                clickPicture(control);
            }
            return;
        default:
            return;
    }
}

void DownloadWindow::clickPicture(HWND picture) {
    if (picture == control("Picture1_0")) {
        run([this] { form_->Picture1_Click(0); });
    } else if (picture == control("Picture1_1")) {
        run([this] { form_->Picture1_Click(1); });
    } else if (picture == control("Picture2_0")) {
        run([this] { form_->Picture2_Click(0); });
    }
}

void DownloadWindow::selectOption(int index) {
    // A click by the user selects the option, as on any option button; the
    // form runs the handler itself when it selects one by code.
    controls_->Option1_0.setValue(index == 0);
    controls_->Option1_1.setValue(index == 1);
    const auto Index = static_cast<std::int16_t>(index);
    run([this, Index] { form_->Option1_Click(Index); });
}

bool DownloadWindow::offerKey(WPARAM& character) {
    if (!live_ || character > kLargestKeyCode) {
        return false;
    }
    const auto offered = static_cast<std::int16_t>(character);
    std::int16_t code = offered;
    run([this, &code] { form_->Form_KeyPress(code); });
    if (code == offered) {
        return false;
    }
    if (code == 0) {
        return true;
    }
    character = static_cast<WPARAM>(static_cast<std::uint16_t>(code));
    return false;
}

void DownloadWindow::onBoxFocus(int box, bool gained, HWND other) {
    if (!live_) {
        return;
    }
    const auto call = [this](TextBoxFocus::Handler handler) {
        run([this, handler] { (form_.get()->*handler)(); });
    };
    if (gained) {
        focus_.gained(box, call);
        return;
    }
    // Only a focus change within the window counts; focus that leaves for
    // a message box or another program comes back to the same box.
    if (other == nullptr || !IsChild(hwnd_.get(), other)) {
        return;
    }
    focus_.lost(box, call);
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

int DownloadWindow::boxNumber(HWND control) const {
    for (int number = 1; number <= 4; ++number) {
        if (control == controls_->box(number)->hwnd()) {
            return number;
        }
    }
    return 0;
}

LRESULT DownloadWindow::onControlColor(HDC dc, HWND control) {
    if (const int box = controls_ ? boxNumber(control) : 0; box != 0) {
        const Win32TextBox& textBox = *controls_->box(box);
        SetBkColor(dc, textBox.paintColor());
        return reinterpret_cast<LRESULT>(textBox.brush());
    }
    const ControlSpec* spec = layout_ ? layout_->spec(control) : nullptr;
    if (spec != nullptr && spec->kind == ControlKind::Option) {
        SetTextColor(dc, kOptionTextColor);
        SetBkColor(dc, kOptionBackColor);
        return reinterpret_cast<LRESULT>(optionBrush_.get());
    }
    // Labels and frame captions stand on the frame's grey.
    SetBkColor(dc, kFrameColor);
    return reinterpret_cast<LRESULT>(frameBrush_.get());
}

void DownloadWindow::onDrawItem(const DRAWITEMSTRUCT& item) {
    const ControlSpec* spec = layout_ ? layout_->spec(item.hwndItem) : nullptr;
    if (spec == nullptr) {
        return;
    }
    if (spec->kind == ControlKind::Command) {
        drawColorButton(item, spec->backColor);
    } else if (spec->kind == ControlKind::Picture) {
        const HBITMAP picture = item.hwndItem == control("Picture1_0")   ? closedPadlock_.get()
                                : item.hwndItem == control("Picture1_1") ? openPadlock_.get()
                                                                         : folderArrows_.get();
        drawPicture(item, picture, spec->backColor);
    }
}

void DownloadWindow::onTimer(UINT_PTR id) {
    if (!controls_) {
        return;
    }
    WindowControls& c = *controls_;
    if (id == c.Timer1.timerId()) {
        if (c.Timer1.isEnabled()) {
            run([this] { form_->Timer1_Timer(); });
        }
        return;
    }
    for (ScreenRateUpdate* update :
         {&c.Frame1.update(), &c.Frame2.update(), &c.Label2.update(), &c.ProgressBar1.update()}) {
        if (id == update->timerId()) {
            update->onTimer();
        }
    }
}

void DownloadWindow::onClose() {
    if (!live_) {
        return;
    }
    form_->discardPartialDownload();
    if (controls_->window.processingEvents()) {
        // Closed from inside a download's piece loop: returning would resume
        // that loop over a cancelled transfer. End here, the way the
        // program's other ends do.
        services_.process->end();
    }
    DestroyWindow(hwnd_.get());
}

}  // namespace quibrant::win32
