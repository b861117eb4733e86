#include "Win32WindowDriver.h"

#include <chrono>
#include <stdexcept>
#include <vector>

#include "app/FormLayout.h"
#include "win32/services/Utf16.h"
#include "win32/window/WindowHandles.h"
#include "win32/window/WindowLayout.h"

namespace quibrant::test {

namespace {

// How long a condition may take before the test gives up on it; far above
// what any step needs, so that a slow machine never fails a test.
constexpr auto kPatience = std::chrono::seconds(10);

void sendInputs(std::vector<INPUT>& inputs) {
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    if (sent != inputs.size()) {
        throw std::runtime_error("SendInput did not take the input");
    }
}

INPUT keyInput(WORD key, wchar_t character, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = character;
    input.ki.dwFlags = flags;
    return input;
}

// Input is handled once the messages it causes have been processed and
// nothing more is pending.
void settle() {
    for (int i = 0; i < 3; ++i) {
        Win32WindowDriver::pumpMessages();
        Sleep(5);
    }
    Win32WindowDriver::pumpMessages();
}

}  // namespace

Win32WindowDriver::Win32WindowDriver()
    : WindowDriver("C:\\quibrant-test-temp", "C:\\users\\user1", "C:\\") {
    quitCode.reset();
}

Win32WindowDriver::~Win32WindowDriver() {
    if (other_ != nullptr) {
        DestroyWindow(other_);
    }
    window.reset();
    pumpMessages();
}

void Win32WindowDriver::start() {
    window = std::make_unique<win32::DownloadWindow>(GetModuleHandleW(nullptr), services(), inet);
    window->show(SW_SHOWNORMAL);
    SetForegroundWindow(window->handle());
    if (!waitFor([this] { return GetForegroundWindow() == window->handle(); })) {
        throw std::runtime_error("the window did not become active");
    }
    settle();
}

HWND Win32WindowDriver::control(std::string_view name) const {
    const HWND found = window->control(name);
    if (found == nullptr) {
        throw std::runtime_error("no control named " + std::string(name));
    }
    return found;
}

std::string Win32WindowDriver::textOf(HWND hwnd) {
    std::wstring buffer(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    buffer.resize(static_cast<std::size_t>(
        GetWindowTextW(hwnd, buffer.data(), static_cast<int>(buffer.size()))));
    return win32::narrow(buffer);
}

std::string Win32WindowDriver::focusName() {
    const HWND focus = GetFocus();
    for (const quibrant::ControlDef& def : quibrant::formControls()) {
        if (window->control(def.name) == focus) {
            return def.name;
        }
    }
    return focus == nullptr ? "" : "?";
}

void Win32WindowDriver::focus(std::string_view name) {
    SetFocus(control(name));
    settle();
}

void Win32WindowDriver::setText(std::string_view box, std::string_view text) {
    SetWindowTextW(control(box), win32::widen(std::string(text)).c_str());
    settle();
}

std::string Win32WindowDriver::mask(std::string_view box) {
    const auto masking = static_cast<wchar_t>(SendMessageW(control(box), EM_GETPASSWORDCHAR, 0, 0));
    return masking == 0 ? "" : win32::narrow(std::wstring(1, masking));
}

bool Win32WindowDriver::checked(std::string_view option) {
    return SendMessageW(control(option), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32WindowDriver::activateAnotherWindow() {
    other_ = CreateWindowExW(0, L"STATIC", L"otra", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                             100, nullptr, nullptr, nullptr, nullptr);
    if (other_ == nullptr) {
        throw std::runtime_error("no other window could be made");
    }
    SetForegroundWindow(other_);
    SetFocus(other_);
    if (!waitFor([this] { return GetFocus() == other_; })) {
        throw std::runtime_error("the other window did not take the focus");
    }
}

void Win32WindowDriver::activateAgain() {
    DestroyWindow(other_);
    other_ = nullptr;
    SetForegroundWindow(window->handle());
    if (!waitFor([this] { return IsChild(window->handle(), GetFocus()); })) {
        throw std::runtime_error("the window did not take the focus back");
    }
    settle();
}

void Win32WindowDriver::close() {
    postClose();
    if (!waitFor([] { return quitCode.has_value(); })) {
        throw std::runtime_error("the window did not close");
    }
}

void Win32WindowDriver::type(std::string_view characters) {
    std::vector<INPUT> inputs;
    for (const wchar_t character : win32::widen(std::string(characters))) {
        inputs.push_back(keyInput(0, character, KEYEVENTF_UNICODE));
        inputs.push_back(keyInput(0, character, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
    }
    sendInputs(inputs);
    settle();
}

void Win32WindowDriver::press(Key key) {
    switch (key) {
        case Key::Enter:
            return press(VK_RETURN);
        case Key::KeypadEnter:
            return press(VK_RETURN, false, true);
        case Key::Tab:
            return press(VK_TAB);
        case Key::BackTab:
            return press(VK_TAB, true);
        case Key::Space:
            return press(VK_SPACE);
    }
}

void Win32WindowDriver::press(WORD virtualKey, bool shift, bool extended) {
    const DWORD flags = extended ? KEYEVENTF_EXTENDEDKEY : 0;
    std::vector<INPUT> inputs;
    if (shift) {
        inputs.push_back(keyInput(VK_SHIFT, 0, 0));
    }
    inputs.push_back(keyInput(virtualKey, 0, flags));
    inputs.push_back(keyInput(virtualKey, 0, flags | KEYEVENTF_KEYUP));
    if (shift) {
        inputs.push_back(keyInput(VK_SHIFT, 0, KEYEVENTF_KEYUP));
    }
    sendInputs(inputs);
    settle();
}

void Win32WindowDriver::click(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    const int x = (rect.left + rect.right) / 2;
    const int y = (rect.top + rect.bottom) / 2;
    constexpr int kAbsoluteRange = 65535;
    const int width = GetSystemMetrics(SM_CXSCREEN) - 1;
    const int height = GetSystemMetrics(SM_CYSCREEN) - 1;
    std::vector<INPUT> inputs(3);
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = MulDiv(x, kAbsoluteRange, width);
        input.mi.dy = MulDiv(y, kAbsoluteRange, height);
        input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE;
    }
    inputs[0].mi.dwFlags |= MOUSEEVENTF_MOVE;
    inputs[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    sendInputs(inputs);
    settle();
}

bool Win32WindowDriver::waitFor(const std::function<bool()>& condition) {
    const auto giveUp = std::chrono::steady_clock::now() + kPatience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > giveUp) {
            return false;
        }
        pumpMessages();
        Sleep(1);
    }
    return true;
}

void Win32WindowDriver::pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitCode = static_cast<int>(message.wParam);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

COLORREF paintedColor(HWND control) {
    const HDC dc = GetDC(control);
    const UINT question =
        GetWindowLongW(control, GWL_STYLE) & WS_DISABLED ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(control), question,
                                                             reinterpret_cast<WPARAM>(dc),
                                                             reinterpret_cast<LPARAM>(control)));
    ReleaseDC(control, dc);
    LOGBRUSH logBrush{};
    if (brush == nullptr || GetObjectW(brush, sizeof(logBrush), &logBrush) == 0) {
        return CLR_INVALID;
    }
    return logBrush.lbColor;
}

Drawing drawingOf(HWND control) {
    RECT area{};
    GetClientRect(control, &area);
    Drawing drawing;
    drawing.width = area.right;
    drawing.height = area.bottom;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = drawing.width;
    format.bmiHeader.biHeight = -drawing.height;  // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const win32::Bitmap canvas(
        CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    const win32::MemoryDc dc(nullptr);
    if (!canvas || dc.get() == nullptr) {
        return drawing;
    }
    const HGDIOBJ old = SelectObject(dc.get(), canvas.get());
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
    GdiFlush();
    SelectObject(dc.get(), old);
    const auto* row = static_cast<const DWORD*>(bits);
    for (int i = 0; i < drawing.width * drawing.height; ++i) {
        // A DIB pixel is 0x00RRGGBB; a COLORREF 0x00BBGGRR.
        drawing.pixels.push_back((row[i] >> 16 & 0xFF) | (row[i] & 0xFF00) | (row[i] & 0xFF) << 16);
    }
    return drawing;
}

}  // namespace quibrant::test
