#include "win32/window/DownloadWindow.h"

#include <commctrl.h>

#include <limits>
#include <utility>

#include "platform/Failure.h"
#include "win32/services/Utf16.h"
#include "win32/services/Win32Failure.h"
#include "win32/window/Win32Controls.h"
#include "win32/window/WindowControls.h"
#include "win32/window/WindowPainting.h"
#include "win32/window/WindowResources.h"

namespace quibrant::win32 {

namespace {

constexpr const wchar_t* kWindowClass = L"QuibrantDescargaWindow";
constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr UINT_PTR kSubclassId = 1;
// The classic dialog font: Tahoma at 8 points.
constexpr const wchar_t* kFontFace = L"Tahoma";
constexpr int kFontPoints = 8;
constexpr int kPointsPerInch = 72;
constexpr const char* kCannotCreateWindow = "No se pudo crear la ventana del programa";

// The artwork, grown with the layout on a screen denser than 96 dots per inch.
Bitmap loadBitmap(HINSTANCE instance, int id, int dotsPerInch) {
    return scaledForScreen(
        Bitmap(static_cast<HBITMAP>(
            LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))),
        dotsPerInch);
}

HICON loadIcon(HINSTANCE instance, int sizeMetricX, int sizeMetricY) {
    // Shared icons belong to the system's cache and are never destroyed.
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(QUIBRANT_IDI_PROGRAM),
                                         IMAGE_ICON, GetSystemMetrics(sizeMetricX),
                                         GetSystemMetrics(sizeMetricY), LR_SHARED));
}

}  // namespace

DownloadWindow::DownloadWindow(HINSTANCE instance, const Services& services,
                               platform::InternetTransfer& inet, ServerConfig server)
    : units_(WindowUnits::ofScreen()) {
    try {
        createWindow(instance);
        prepareControls(instance);
        controls_ = std::make_unique<WindowControls>(hwnd_.get(), *layout_, units_,
                                                     [this] { moveFocus(true); });
        // The code box is first in the focus order: it has the focus once
        // the window is active.
        savedFocus_ = control("Text4");
        live_ = true;
        Controls controls = controlsOf(*controls_, inet);
        controls.taskbar = &controls_->taskbar;
        host_ = std::make_unique<WindowHost>(controls, services, std::move(server));
    } catch (...) {
        shutDown();
        throw;
    }
}

DownloadWindow::~DownloadWindow() {
    shutDown();
}

void DownloadWindow::shutDown() {
    // Controls that go away pass the focus around; the form hears none of it.
    live_ = false;
    hwnd_.reset();
}

void DownloadWindow::createWindow(HINSTANCE instance) {
    INITCOMMONCONTROLSEX classes = {sizeof(classes),
                                    ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);

    font_.reset(CreateFontW(-MulDiv(kFontPoints, units_.dpi(), kPointsPerInch), 0, 0, 0, FW_NORMAL,
                            FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                            kFontFace));
    if (!font_) {
        font_.reset(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    }
    windowBrush_.reset(CreateSolidBrush(kWindowColor));
    frameBrush_.reset(CreateSolidBrush(kFrameColor));
    optionBrush_.reset(CreateSolidBrush(kOptionBackColor));
    closedPadlock_ = loadBitmap(instance, QUIBRANT_IDB_PADLOCK_CLOSED, units_.dpi());
    openPadlock_ = loadBitmap(instance, QUIBRANT_IDB_PADLOCK_OPEN, units_.dpi());
    folderArrows_ = loadBitmap(instance, QUIBRANT_IDB_FOLDER_ARROWS, units_.dpi());

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    if (GetClassInfoExW(instance, kWindowClass, &windowClass) == FALSE) {
        windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &DownloadWindow::windowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        windowClass.hIcon = loadIcon(instance, SM_CXICON, SM_CYICON);
        windowClass.hIconSm = loadIcon(instance, SM_CXSMICON, SM_CYSMICON);
        windowClass.lpszClassName = kWindowClass;
        if (RegisterClassExW(&windowClass) == 0) {
            throw systemFailure(GetLastError(), kCannotCreateWindow, "");
        }
    }

    RECT frame = {0, 0, units_.pixels(kClientWidth), units_.pixels(kClientHeight)};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
    const HWND hwnd = CreateWindowExW(0, kWindowClass, L"", kWindowStyle, CW_USEDEFAULT,
                                      CW_USEDEFAULT, frame.right - frame.left,
                                      frame.bottom - frame.top, nullptr, nullptr, instance, this);
    if (hwnd == nullptr) {
        throw systemFailure(GetLastError(), kCannotCreateWindow, "");
    }
    hwnd_.reset(hwnd);
    SendMessageW(hwnd, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(loadIcon(instance, SM_CXICON, SM_CYICON)));
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(loadIcon(instance, SM_CXSMICON, SM_CYSMICON)));
}

void DownloadWindow::prepareControls(HINSTANCE instance) {
    layout_ = std::make_unique<WindowLayout>(hwnd_.get(), instance, units_, font_.get());
    const auto self = reinterpret_cast<DWORD_PTR>(this);
    for (const ControlDef& def : formControls()) {
        const HWND hwnd = control(def.name);
        if (def.kind == ControlKind::Frame) {
            SetWindowSubclass(hwnd, &DownloadWindow::frameProc, kSubclassId, self);
        } else if (def.tabIndex >= 0) {
            SetWindowSubclass(hwnd, &DownloadWindow::controlProc, kSubclassId, self);
        }
    }

    // Created last so that it is not a control of the window; its owner
    // destroys it with the window.
    const HWND tip = CreateWindowExW(
        WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_.get(), nullptr, instance, nullptr);
    if (tip != nullptr) {
        std::wstring text = widen(kFolderToolTip);
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = hwnd_.get();
        tool.uId = reinterpret_cast<UINT_PTR>(control("Picture2_0"));
        tool.lpszText = text.data();
        SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

const Win32TaskbarButton& DownloadWindow::taskbar() const {
    return controls_->taskbar;
}

HWND DownloadWindow::control(std::string_view name) const {
    return layout_ && hwnd_ ? layout_->control(name) : nullptr;
}

void DownloadWindow::show(int showCommand) {
    if (!hwnd_) {
        return;
    }
    ShowWindow(hwnd_.get(), showCommand);
    if (IsWindowVisible(hwnd_.get()) && host() != nullptr) {
        host()->activate();
    }
    UpdateWindow(hwnd_.get());
}

int DownloadWindow::runMessageLoop(DownloadWindow& window) {
    if (window.handle() == nullptr) {
        return 0;
    }
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1) {
            return 1;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

LRESULT CALLBACK DownloadWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<DownloadWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr || !self->hwnd_) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        // Whoever destroyed the window, it is gone: nothing is left to destroy.
        static_cast<void>(self->hwnd_.release());
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->handleMessage(message, wParam, lParam);
}

LRESULT CALLBACK DownloadWindow::frameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR /*id*/, DWORD_PTR self) {
    auto* window = reinterpret_cast<DownloadWindow*>(self);
    switch (message) {
        case WM_ERASEBKGND:
            window->fill(reinterpret_cast<HDC>(wParam), hwnd, window->frameBrush_);
            return 1;
        // What the controls inside a frame tell their parent is for the window.
        case WM_COMMAND:
        case WM_DRAWITEM:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return window->handleMessage(message, wParam, lParam);
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, &DownloadWindow::frameProc, kSubclassId);
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK DownloadWindow::controlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR /*id*/, DWORD_PTR self) {
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &DownloadWindow::controlProc, kSubclassId);
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    return reinterpret_cast<DownloadWindow*>(self)->handleControlMessage(hwnd, message, wParam,
                                                                         lParam);
}

}  // namespace quibrant::win32
