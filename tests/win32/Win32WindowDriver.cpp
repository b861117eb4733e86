#include "WindowFixture.h"

#include <chrono>
#include <stdexcept>
#include <vector>

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
        WindowFixture::pump();
        Sleep(5);
    }
    WindowFixture::pump();
}

}  // namespace

WindowFixture::WindowFixture() {
    quitCode.reset();
    environment.addFolder(kTempFolder);
    environment.addFolder(kProfile);
    environment.variables = {{"temp", kTempFolder}, {"userprofile", kProfile}};
    fileSystems.fs().driveRoot = kDriveRoot;
}

WindowFixture::~WindowFixture() {
    window.reset();
    pump();
}

win32::DownloadWindow& WindowFixture::start() {
    window = std::make_unique<win32::DownloadWindow>(GetModuleHandleW(nullptr), services(), inet);
    window->show(SW_SHOWNORMAL);
    SetForegroundWindow(window->handle());
    if (!waitFor([this] { return GetForegroundWindow() == window->handle(); })) {
        throw std::runtime_error("the window did not become active");
    }
    settle();
    return *window;
}

HWND WindowFixture::control(const char* name) const {
    const HWND found = window->control(name);
    if (found == nullptr) {
        throw std::runtime_error(std::string("no control named ") + name);
    }
    return found;
}

std::string WindowFixture::text(const char* name) const {
    const HWND hwnd = control(name);
    std::wstring buffer(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    buffer.resize(static_cast<std::size_t>(
        GetWindowTextW(hwnd, buffer.data(), static_cast<int>(buffer.size()))));
    return win32::narrow(buffer);
}

std::string WindowFixture::focusName() const {
    const HWND focus = GetFocus();
    for (const quibrant::ControlDef& def : quibrant::formControls()) {
        if (window->control(def.name) == focus) {
            return def.name;
        }
    }
    return focus == nullptr ? "" : "?";
}

void WindowFixture::type(const std::wstring& characters) {
    std::vector<INPUT> inputs;
    for (const wchar_t character : characters) {
        inputs.push_back(keyInput(0, character, KEYEVENTF_UNICODE));
        inputs.push_back(keyInput(0, character, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
    }
    sendInputs(inputs);
    settle();
}

void WindowFixture::press(WORD virtualKey, bool shift) {
    std::vector<INPUT> inputs;
    if (shift) {
        inputs.push_back(keyInput(VK_SHIFT, 0, 0));
    }
    inputs.push_back(keyInput(virtualKey, 0, 0));
    inputs.push_back(keyInput(virtualKey, 0, KEYEVENTF_KEYUP));
    if (shift) {
        inputs.push_back(keyInput(VK_SHIFT, 0, KEYEVENTF_KEYUP));
    }
    sendInputs(inputs);
    settle();
}

void WindowFixture::click(HWND control) {
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

bool WindowFixture::waitFor(const std::function<bool()>& condition) {
    const auto giveUp = std::chrono::steady_clock::now() + kPatience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > giveUp) {
            return false;
        }
        pump();
        Sleep(1);
    }
    return true;
}

void WindowFixture::pump() {
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
