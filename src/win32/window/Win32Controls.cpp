#include "win32/window/Win32Controls.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "app/FormLayout.h"
#include "win32/services/Utf16.h"
#include "win32/services/Win32Failure.h"

namespace quibrant::win32 {

namespace {

// Colours with the top bit set name a system colour rather than a value.
constexpr platform::Color kSystemColorFlag = 0x80000000;
constexpr platform::Color kSystemColorIndex = 0xFF;
// Enough for every message that piles up between two pieces of a download;
// a message source that never runs dry cannot keep a round from returning.
constexpr int kMostMessagesPerRound = 512;
constexpr const char* kTimerFailed = "No se pudo activar el temporizador de la ventana";

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

WindowTimer::~WindowTimer() {
    if (running_ && IsWindow(owner_)) {
        KillTimer(owner_, timerId_);
    }
}

bool WindowTimer::start(UINT intervalMs) {
    running_ = SetTimer(owner_, timerId_, intervalMs, nullptr) != 0;
    return running_;
}

void WindowTimer::stop() {
    if (running_) {
        KillTimer(owner_, timerId_);
        running_ = false;
    }
}

ScreenRateUpdate::RunTimer WindowTimer::runner() {
    return [this](bool run) {
        if (!run) {
            stop();
            return false;
        }
        return start(ScreenRateUpdate::kIntervalMs);
    };
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

void Win32Label::applyEnabled() {
    InvalidateRect(hwnd(), nullptr, TRUE);
}

Win32TextBox::Win32TextBox(HWND edit) : Win32Control(edit) {}

std::string Win32TextBox::text() const {
    return narrow(windowText(hwnd()));
}

void Win32TextBox::setText(const std::string& text) {
    SetWindowTextW(hwnd(), widen(text).c_str());
}

platform::Color Win32TextBox::backColor() const {
    // The system's window colour until the box is first coloured.
    return backColor_.value_or(kSystemWindowColor);
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

Win32Captioned::Win32Captioned(HWND hwnd, HWND owner, UINT_PTR timerId)
    : Win32Control(hwnd),
      timer_(owner, timerId),
      caption_([hwnd](const std::string& caption) { SetWindowTextW(hwnd, widen(caption).c_str()); },
               timer_.runner()) {}

bool Win32Captioned::onTimer(UINT_PTR id) {
    return timer_.deliver(id, caption_.update());
}

void Win32Frame::setEnabled(bool enabled) {
    enableChild(enabled);
    for (ChildControl* member : members_) {
        member->setContainerEnabled(enabled);
    }
}

Win32PictureBox::Win32PictureBox(HWND picture, const WindowUnits& units)
    : Win32Control(picture), units_(units) {}

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

Win32ProgressBar::Win32ProgressBar(HWND bar, HWND owner, UINT_PTR timerId)
    : Win32Control(bar),
      timer_(owner, timerId),
      progress_(
          [bar](const ShownProgress& shown, bool newMaximum) {
              if (newMaximum) {
                  SendMessageW(bar, PBM_SETRANGE32, 0, shown.maximum);
              }
              SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(shown.value), 0);
          },
          timer_.runner()) {}

bool Win32ProgressBar::onTimer(UINT_PTR id) {
    return timer_.deliver(id, progress_.update());
}

Win32Timer::Win32Timer(HWND owner, UINT_PTR timerId, int intervalMs)
    : timer_(owner, timerId), intervalMs_(intervalMs) {}

void Win32Timer::setEnabled(bool enabled) {
    if (!enabled) {
        timer_.stop();
    } else if (!timer_.running() && !timer_.start(static_cast<UINT>(intervalMs_))) {
        // Enabling a running timer leaves its rhythm alone.
        throw systemFailure(GetLastError(), kTimerFailed, "");
    }
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
}

}  // namespace quibrant::win32
