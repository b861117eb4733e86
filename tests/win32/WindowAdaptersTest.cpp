#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "Win32WindowDriver.h"
#include "app/FormLayout.h"
#include "support/FormFixture.h"
#include "win32/services/Utf16.h"
#include "win32/window/Win32Controls.h"
#include "win32/window/WindowResources.h"

using quibrant::DownloadFormTestAccess;
using quibrant::test::paintedColor;
using quibrant::test::Win32WindowDriver;
namespace win32 = quibrant::win32;

namespace {

class WindowAdaptersTest : public testing::Test {
  protected:
    void SetUp() override { f.start(); }
    const quibrant::Controls& controls() {
        return DownloadFormTestAccess::controls(f.window->form());
    }
    int barPosition() { return static_cast<int>(SendMessageW(bar(), PBM_GETPOS, 0, 0)); }
    int barMaximum() { return static_cast<int>(SendMessageW(bar(), PBM_GETRANGE, FALSE, 0)); }
    HWND bar() { return f.control("ProgressBar1"); }

    Win32WindowDriver f;
};

TEST_F(WindowAdaptersTest, CaptionsAndTheBarReachTheScreenAtScreenRate) {
    quibrant::platform::Captioned& frame = *controls().Frame1;
    frame.setCaption("uno");
    frame.setCaption("Descargados ñ");
    EXPECT_TRUE(Win32WindowDriver::waitFor([this] { return f.text("Frame1") == "Descargados ñ"; }));

    quibrant::platform::ProgressBarView& view = *controls().ProgressBar1;
    view.setRange(0, 10485760.0f);
    view.setValue(524288.0f);
    EXPECT_TRUE(Win32WindowDriver::waitFor([this] { return barPosition() == 512; }));
    EXPECT_EQ(barMaximum(), 10240);
}

TEST_F(WindowAdaptersTest, TextBoxesKeepTextMaskAndOneBrushPerColour) {
    quibrant::platform::TextBox& box = *controls().Text1;
    box.setText("Contraseña ñ €");
    EXPECT_EQ(box.text(), "Contraseña ñ €");
    EXPECT_EQ(f.text("Text1"), "Contraseña ñ €");

    EXPECT_EQ(box.backColor(), quibrant::kSystemWindowColor);
    // 0x00BBGGRR: 0x0080FF is orange, not azure.
    box.setBackColor(0x0080FF);
    EXPECT_EQ(paintedColor(f.control("Text1")), RGB(0xFF, 0x80, 0x00));
    EXPECT_EQ(box.backColor(), 0x0080FFu);

    const auto brushOf = [this] {
        const HWND edit = f.control("Text1");
        const HDC dc = GetDC(edit);
        const auto brush = reinterpret_cast<HGDIOBJ>(SendMessageW(GetParent(edit), WM_CTLCOLOREDIT,
                                                                  reinterpret_cast<WPARAM>(dc),
                                                                  reinterpret_cast<LPARAM>(edit)));
        ReleaseDC(edit, dc);
        return brush;
    };
    const HGDIOBJ orange = brushOf();
    EXPECT_EQ(brushOf(), orange);
    box.setBackColor(0xFFFFFF);
    const HGDIOBJ white = brushOf();
    EXPECT_NE(GetObjectType(white), 0u);
    // The brush of the colour replaced is gone, not leaked.
    EXPECT_EQ(GetObjectType(orange), 0u);
    box.setBackColor(quibrant::kSystemWindowColor);
    EXPECT_EQ(paintedColor(f.control("Text1")), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(GetObjectType(white), 0u);

    quibrant::platform::TextBox& code = *controls().Text4;
    EXPECT_EQ(code.passwordChar(), "*");
    code.setPasswordChar("");
    EXPECT_EQ(code.passwordChar(), "");
    EXPECT_EQ(SendMessageW(f.control("Text4"), EM_GETPASSWORDCHAR, 0, 0), 0);
    code.setPasswordChar("*");
    EXPECT_EQ(SendMessageW(f.control("Text4"), EM_GETPASSWORDCHAR, 0, 0), L'*');
}

TEST_F(WindowAdaptersTest, ControlsReportTheirOwnVisibleAndEnabled) {
    quibrant::platform::Control& frame = *controls().Frame2;
    quibrant::platform::TextBox& source = *controls().Text1;
    source.setEnabled(false);
    frame.setEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(f.control("Text2")));
    // A label takes no input: its window stays enabled and is drawn in a
    // disabled shade of its own, which the system's grey would not be (the
    // window test checks the drawing).
    EXPECT_TRUE(IsWindowEnabled(f.control("Label1_1")));
    // Enabling the frame gives each control its own setting back.
    frame.setEnabled(true);
    EXPECT_TRUE(IsWindowEnabled(f.control("Text2")));
    EXPECT_FALSE(IsWindowEnabled(f.control("Text1")));
    EXPECT_FALSE(source.isEnabled());

    // A hidden frame hides its controls, yet their own settings are unchanged.
    controls().Frame2->setVisible(false);
    EXPECT_TRUE(controls().Text2->isVisible());
    EXPECT_FALSE(IsWindowVisible(f.control("Text2")));
    controls().Frame2->setVisible(true);
    EXPECT_TRUE(IsWindowVisible(f.control("Text2")));
}

TEST_F(WindowAdaptersTest, PicturesMoveInTwipsAndOptionsClearByCode) {
    quibrant::platform::PictureBox& folder = *controls().Picture2_0;
    EXPECT_EQ(folder.left(), 9330);
    EXPECT_EQ(folder.top(), 915);
    folder.move(2415, 1500);
    RECT rect{};
    GetWindowRect(f.control("Picture2_0"), &rect);
    MapWindowPoints(nullptr, GetParent(f.control("Picture2_0")), reinterpret_cast<POINT*>(&rect),
                    2);
    const win32::WindowUnits units = win32::WindowUnits::ofScreen();
    EXPECT_EQ(rect.left, units.pixels(2415));
    EXPECT_EQ(rect.top, units.pixels(1500));

    quibrant::platform::OptionButton& main = *controls().Option1_1;
    EXPECT_TRUE(main.value());
    main.setValue(false);
    EXPECT_FALSE(main.value());
    EXPECT_EQ(SendMessageW(f.control("Option1_1"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(WindowAdaptersTest, SendTabMovesTheFocusBeforeReturning) {
    EXPECT_EQ(f.focusName(), "Text4");
    controls().window->sendTab();
    EXPECT_EQ(f.focusName(), "Command1");
    // The code box's focus handlers ran inside the call.
    EXPECT_EQ(paintedColor(f.control("Text4")), RGB(0xFF, 0xFF, 0xFF));
    controls().window->setCaption("Título ñ");
    EXPECT_EQ(controls().window->caption(), "Título ñ");
}

TEST(WindowTimerTest, TicksWhileEnabledAndStopsWhenDisabled) {
    struct Ticks {
        static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
            if (message == WM_TIMER && wParam == 9) {
                ++*reinterpret_cast<int*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
                return 0;
            }
            return DefWindowProcW(hwnd, message, wParam, lParam);
        }
    };
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &Ticks::proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QuibrantTimerTest";
    RegisterClassW(&windowClass);
    const HWND owner = CreateWindowExW(0, L"QuibrantTimerTest", L"", 0, 0, 0, 10, 10, HWND_MESSAGE,
                                       nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(owner, nullptr);
    int ticks = 0;
    SetWindowLongPtrW(owner, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&ticks));

    {
        win32::Win32Timer timer(owner, 9, 20);
        EXPECT_FALSE(timer.isEnabled());
        EXPECT_EQ(timer.interval(), 20);
        timer.setEnabled(true);
        timer.setEnabled(true);
        EXPECT_TRUE(timer.isEnabled());
        EXPECT_TRUE(Win32WindowDriver::waitFor([&ticks] { return ticks >= 2; }));
        timer.setEnabled(false);
        EXPECT_FALSE(timer.isEnabled());
        Win32WindowDriver::pumpMessages();
        const int stopped = ticks;
        Sleep(100);
        Win32WindowDriver::pumpMessages();
        EXPECT_EQ(ticks, stopped);
    }
    DestroyWindow(owner);
}

TEST(WindowResourcesTest, TheProgramCarriesItsIconPicturesAndManifest) {
    const HMODULE program = GetModuleHandleW(nullptr);
    EXPECT_NE(FindResourceW(program, MAKEINTRESOURCEW(QUIBRANT_IDI_PROGRAM), RT_GROUP_ICON),
              nullptr);
    for (const int picture :
         {QUIBRANT_IDB_PADLOCK_CLOSED, QUIBRANT_IDB_PADLOCK_OPEN, QUIBRANT_IDB_FOLDER_ARROWS}) {
        EXPECT_NE(FindResourceW(program, MAKEINTRESOURCEW(picture), RT_BITMAP), nullptr) << picture;
    }
    const HBITMAP padlock = static_cast<HBITMAP>(
        LoadImageW(program, MAKEINTRESOURCEW(QUIBRANT_IDB_PADLOCK_CLOSED), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(padlock, nullptr);
    BITMAP info{};
    GetObjectW(padlock, sizeof(info), &info);
    EXPECT_EQ(info.bmWidth, 19);
    EXPECT_EQ(info.bmHeight, 19);
    DeleteObject(padlock);
    EXPECT_NE(FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)), nullptr);

    // The manifest brought version 6 of the common controls, which the system
    // keeps apart from the old version, in its side-by-side store.
    HMODULE commonControls = nullptr;
    ASSERT_TRUE(GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(&InitCommonControlsEx)),
        &commonControls));
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(commonControls, path.data(), MAX_PATH));
    CharLowerW(path.data());
    EXPECT_NE(path.find(L"microsoft.windows.common-controls"), std::wstring::npos)
        << win32::narrow(path);
}

}  // namespace
