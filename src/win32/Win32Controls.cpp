#include "win32/Win32Controls.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "win32/Utf16.h"
#include "win32/Win32Failure.h"

namespace quibrant::win32 {

namespace {

// Colours with the top bit set name a system colour rather than a value.
constexpr platform::Color kSystemColorFlag = 0x80000000;
constexpr platform::Color kSystemColorIndex = 0xFF;
constexpr double kBytesPerKilobyte = 1024.0;
// Enough for every message that piles up between two pieces of a download;
// a message source that never runs dry cannot keep a round from returning.
constexpr int kMostMessagesPerRound = 512;
constexpr const char* kTimerFailed = "No se pudo activar el temporizador de la ventana";

int kilobytes(double bytes) {
    return static_cast<int>(std::lround(std::max(0.0, bytes) / kBytesPerKilobyte));
}

COLORREF resolve(platform::Color color) {
    if ((color & kSystemColorFlag) != 0) {
        return GetSysColor(static_cast<int>(color & kSystemColorIndex));
    }
    return static_cast<COLORREF>(color);
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

ScreenRateUpdate::ScreenRateUpdate(HWND owner, UINT_PTR timerId, std::function<void()> apply)
    : owner_(owner), timerId_(timerId), apply_(std::move(apply)) {}

ScreenRateUpdate::~ScreenRateUpdate() {
    if (running_ && IsWindow(owner_)) {
        KillTimer(owner_, timerId_);
    }
}

void ScreenRateUpdate::request() {
    if (running_) {
        pending_ = true;
        return;
    }
    applyNow();
    // Without a timer every change is shown at once: slower, never stale.
    running_ = SetTimer(owner_, timerId_, kIntervalMs, nullptr) != 0;
}

void ScreenRateUpdate::flush() {
    if (pending_) {
        applyNow();
    }
}

void ScreenRateUpdate::onTimer() {
    if (pending_) {
        applyNow();
        return;
    }
    // A quiet interval: the next change is shown at once again.
    KillTimer(owner_, timerId_);
    running_ = false;
}

void ScreenRateUpdate::applyNow() {
    pending_ = false;
    apply_();
}

void ChildControl::showChild(bool visible) {
    visible_ = visible;
    ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

void ChildControl::enableChild(bool enabled) {
    enabled_ = enabled;
    applyEnabled();
}

void ChildControl::setContainerEnabled(bool enabled) {
    containerEnabled_ = enabled;
    applyEnabled();
}

void ChildControl::applyEnabled() {
    EnableWindow(hwnd_, enabled_ && containerEnabled_ ? TRUE : FALSE);
}

Win32TextBox::Win32TextBox(HWND edit, bool visible) : Win32Control(edit, visible) {}

std::string Win32TextBox::text() const {
    return narrow(windowText(hwnd()));
}

void Win32TextBox::setText(const std::string& text) {
    SetWindowTextW(hwnd(), widen(text).c_str());
}

platform::Color Win32TextBox::backColor() const {
    return backColor_.value_or(kDefaultBackground);
}

void Win32TextBox::setBackColor(platform::Color color) {
    if (backColor_ == color) {
        return;
    }
    backColor_ = color;
    brush_.reset((color & kSystemColorFlag) != 0 ? nullptr : CreateSolidBrush(resolve(color)));
    InvalidateRect(hwnd(), nullptr, TRUE);
}

HBRUSH Win32TextBox::brush() const {
    if (brush_) {
        return brush_.get();
    }
    // System brushes belong to the system and are never deleted.
    return GetSysColorBrush(static_cast<int>(backColor() & kSystemColorIndex));
}

COLORREF Win32TextBox::paintColor() const {
    return resolve(backColor());
}

std::string Win32TextBox::passwordChar() const {
    const auto mask = static_cast<wchar_t>(SendMessageW(hwnd(), EM_GETPASSWORDCHAR, 0, 0));
    return mask == 0 ? std::string() : narrow(std::wstring(1, mask));
}

void Win32TextBox::setPasswordChar(const std::string& mask) {
    const std::wstring wide = widen(mask);
    const wchar_t shown = wide.empty() ? L'\0' : wide[0];
    SendMessageW(hwnd(), EM_SETPASSWORDCHAR, shown, 0);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void Win32TextBox::setFocus() {
    SetFocus(hwnd());
}

Win32Captioned::Win32Captioned(HWND hwnd, bool visible, std::string caption, HWND owner,
                               UINT_PTR timerId)
    : Win32Control(hwnd, visible),
      caption_(std::move(caption)),
      update_(owner, timerId, [this] { SetWindowTextW(this->hwnd(), widen(caption_).c_str()); }) {
    SetWindowTextW(this->hwnd(), widen(caption_).c_str());
}

void Win32Captioned::setCaption(const std::string& caption) {
    if (caption == caption_) {
        return;
    }
    caption_ = caption;
    update_.request();
}

void Win32Frame::setEnabled(bool enabled) {
    enableChild(enabled);
    for (ChildControl* member : members_) {
        member->setContainerEnabled(enabled);
    }
}

Win32PictureBox::Win32PictureBox(HWND picture, bool visible, const WindowUnits& units)
    : Win32Control(picture, visible), units_(units) {}

POINT Win32PictureBox::position() const {
    RECT rect{};
    GetWindowRect(hwnd(), &rect);
    POINT origin = {rect.left, rect.top};
    ScreenToClient(GetParent(hwnd()), &origin);
    return origin;
}

int Win32PictureBox::left() const {
    return units_.twips(position().x);
}

int Win32PictureBox::top() const {
    return units_.twips(position().y);
}

void Win32PictureBox::move(int left, int top) {
    SetWindowPos(hwnd(), nullptr, units_.pixels(left), units_.pixels(top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Win32OptionButton::value() const {
    return SendMessageW(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32OptionButton::setValue(bool selected) {
    SendMessageW(hwnd(), BM_SETCHECK, selected ? BST_CHECKED : BST_UNCHECKED, 0);
}

Win32ProgressBar::Win32ProgressBar(HWND bar, bool visible, HWND owner, UINT_PTR timerId)
    : Win32Control(bar, visible), update_(owner, timerId, [this] { showProgress(); }) {
    showProgress();
}

void Win32ProgressBar::setRange(float minimum, float maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    update_.request();
}

void Win32ProgressBar::setValue(float value) {
    value_ = value;
    update_.request();
}

void Win32ProgressBar::showProgress() {
    const double span = static_cast<double>(maximum_) - minimum_;
    const int top = std::max(1, kilobytes(span));
    const double share = span > 0 ? (static_cast<double>(value_) - minimum_) / span : 0.0;
    const int shown = static_cast<int>(std::lround(std::clamp(share, 0.0, 1.0) * top));
    if (shownMaximum_ != top) {
        SendMessageW(hwnd(), PBM_SETRANGE32, 0, top);
        shownMaximum_ = top;
    }
    SendMessageW(hwnd(), PBM_SETPOS, static_cast<WPARAM>(shown), 0);
}

Win32Timer::Win32Timer(HWND owner, UINT_PTR timerId, int intervalMs)
    : owner_(owner), timerId_(timerId), intervalMs_(intervalMs) {}

Win32Timer::~Win32Timer() {
    if (enabled_ && IsWindow(owner_)) {
        KillTimer(owner_, timerId_);
    }
}

void Win32Timer::setEnabled(bool enabled) {
    if (enabled == enabled_) {
        // Enabling a running timer leaves its rhythm alone.
        return;
    }
    if (enabled) {
        if (SetTimer(owner_, timerId_, static_cast<UINT>(intervalMs_), nullptr) == 0) {
            throw systemFailure(GetLastError(), kTimerFailed, "");
        }
    } else {
        KillTimer(owner_, timerId_);
    }
    enabled_ = enabled;
}

Win32Window::Win32Window(HWND window, std::function<void()> tab)
    : window_(window), tab_(std::move(tab)) {}

std::string Win32Window::caption() const {
    return narrow(windowText(window_));
}

void Win32Window::setCaption(const std::string& caption) {
    SetWindowTextW(window_, widen(caption).c_str());
}

void Win32Window::sendTab() {
    tab_();
}

void Win32Window::doEvents() {
    rounds_.run([] {
        MSG message;
        for (int i = 0; i < kMostMessagesPerRound; ++i) {
            if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                break;
            }
            if (message.message == WM_QUIT) {
                // The message loop that called the handler ends the program.
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    });
}

}  // namespace quibrant::win32
