#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "Win32WindowDriver.h"
#include "app/FormLayout.h"
#include "support/FormFixture.h"
#include "win32/services/Utf16.h"
#include "win32/window/WindowLayout.h"
#include "window/WindowScenarios.h"

using quibrant::DownloadFormTestAccess;
using quibrant::test::Win32WindowDriver;
namespace win32 = quibrant::win32;

namespace {

RECT placeInParent(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

LONG styleOf(HWND control) {
    return GetWindowLongW(control, GWL_STYLE);
}

class WindowTest : public testing::Test {
  protected:
    void SetUp() override { f.start(); }
    const quibrant::Controls& controls() {
        return DownloadFormTestAccess::controls(f.window->form());
    }
    // The user asks for a download with an accepted code.
    void requestDownload() {
        f.type(quibrant::test::acceptedCode());
        f.click("Command2");
    }

    Win32WindowDriver f;
};

TEST_F(WindowTest, TheWindowHasItsSizeAndIcon) {
    const HWND window = f.window->handle();
    const win32::WindowUnits units = win32::WindowUnits::ofScreen();
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, units.pixels(quibrant::kClientWidth));
    EXPECT_EQ(client.bottom, units.pixels(quibrant::kClientHeight));
    // A fixed layout: no sizing border and no maximize button.
    EXPECT_EQ(styleOf(window) & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
    EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(WindowTest, EveryControlIsAtItsPlaceWithItsCaptionAndStyle) {
    const win32::WindowUnits units = win32::WindowUnits::ofScreen();
    for (const quibrant::ControlDef& def : quibrant::formControls()) {
        SCOPED_TRACE(def.name);
        const HWND control = f.control(def.name);
        const RECT place = placeInParent(control);
        // The open padlock was moved onto the closed one by the load handler.
        if (std::string(def.name) == "Picture1_1") {
            const RECT closed = placeInParent(f.control("Picture1_0"));
            EXPECT_TRUE(EqualRect(&place, &closed));
            continue;
        }
        EXPECT_EQ(place.left, units.pixels(def.left));
        EXPECT_EQ(place.top, units.pixels(def.top));
        EXPECT_EQ(place.bottom - place.top, units.pixels(def.height));
        if (def.kind != quibrant::ControlKind::Label) {
            EXPECT_EQ(place.right - place.left, units.pixels(def.width));
        } else {
            // A label ends where the box it names begins, never under it.
            const HWND next = GetWindow(control, GW_HWNDNEXT);
            const RECT box = next ? placeInParent(next) : RECT{};
            EXPECT_LE(place.right - place.left, units.pixels(def.width));
            if (next != nullptr && box.top < place.bottom && place.top < box.bottom) {
                EXPECT_LE(place.right, box.left);
            }
        }
        if (def.kind != quibrant::ControlKind::TextBox &&
            def.kind != quibrant::ControlKind::Picture &&
            def.kind != quibrant::ControlKind::Progress && std::string(def.name) != "Frame1" &&
            std::string(def.name) != "Label2") {
            EXPECT_EQ(f.text(def.name), def.caption);
        }
        const LONG style = styleOf(control);
        switch (def.kind) {
            case quibrant::ControlKind::Command:
                EXPECT_EQ(style & BS_TYPEMASK, BS_OWNERDRAW);
                break;
            case quibrant::ControlKind::Option:
                EXPECT_EQ(style & BS_TYPEMASK, BS_RADIOBUTTON);
                break;
            case quibrant::ControlKind::Frame:
                EXPECT_EQ(style & BS_TYPEMASK, BS_GROUPBOX);
                break;
            case quibrant::ControlKind::Picture:
                EXPECT_EQ(style & (SS_NOTIFY | SS_TYPEMASK), SS_NOTIFY | SS_OWNERDRAW);
                break;
            default:
                break;
        }
    }
    EXPECT_NE(styleOf(f.control("Text4")) & ES_PASSWORD, 0);
    EXPECT_EQ(f.text("Frame1"), quibrant::kFrame1Caption);
    EXPECT_EQ(f.text("Label2"), quibrant::kLabel2Caption);
    wchar_t className[64] = {};
    GetClassNameW(f.control("ProgressBar1"), className, 64);
    EXPECT_EQ(std::wstring(className), PROGRESS_CLASSW);
}

TEST_F(WindowTest, EachBoxIsNamedByTheLabelBeforeIt) {
    // Screen readers name a box after the label just before it.
    for (auto [label, box] : {std::pair{"Label1_2", "Text3"}, std::pair{"Label1_0", "Text1"},
                              std::pair{"Label1_1", "Text2"}, std::pair{"Label1_3", "Text4"}}) {
        EXPECT_EQ(GetWindow(f.control(box), GW_HWNDPREV), f.control(label)) << box;
    }
    // Whatever the font, each caption is seen whole within its label.
    for (const char* label : {"Label1_0", "Label1_1", "Label1_2", "Label1_3"}) {
        const HWND hwnd = f.control(label);
        const std::wstring caption = win32::widen(f.text(label));
        const HDC dc = GetDC(hwnd);
        const HGDIOBJ kept =
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
        SIZE size{};
        GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
        SelectObject(dc, kept);
        ReleaseDC(hwnd, dc);
        RECT area{};
        GetClientRect(hwnd, &area);
        EXPECT_LE(size.cx, area.right) << label;
    }
    EXPECT_FALSE(f.text("Picture2_0").empty());
    EXPECT_FALSE(f.text("Picture1_0").empty());
}

TEST_F(WindowTest, DisabledCaptionsStillRead) {
    requestDownload();
    ASSERT_FALSE(f.enabled("Frame2"));
    // Disabled, the coloured buttons' captions still read on their colours.
    for (const char* name : {"Command1", "Command2", "Command3"}) {
        const auto drawing = quibrant::test::drawingOf(f.control(name));
        const COLORREF back = drawing.at(3, 3);
        // The caption's strongest pixel, inside the bevel.
        double best = 1;
        for (int y = 5; y < drawing.height - 5; ++y) {
            for (int x = 5; x < drawing.width - 5; ++x) {
                best = std::max(best, quibrant::contrastRatio(drawing.at(x, y), back));
            }
        }
        EXPECT_GE(best, 4.5) << name;
        EXPECT_LT(best, quibrant::contrastRatio(0, back)) << name << ": not black, as enabled";
    }
    // And the labels of the disabled inputs still read on the frame.
    for (const char* name : {"Label1_0", "Label1_1", "Label1_3"}) {
        const auto drawing = quibrant::test::drawingOf(f.control(name));
        double best = 1;
        for (int y = 0; y < drawing.height; ++y) {
            for (int x = 0; x < drawing.width; ++x) {
                best = std::max(best,
                                quibrant::contrastRatio(drawing.at(x, y), quibrant::kFrameColor));
            }
        }
        EXPECT_GE(best, 4.5) << name;
        EXPECT_LT(best, quibrant::contrastRatio(0, quibrant::kFrameColor)) << name << ": not black";
    }
}

// Run at 96 dots per inch and again at 144 (run-at-dpi.sh, which sets
// QUIBRANT_EXPECT_DPI): the artwork grows with its box.
TEST_F(WindowTest, PicturesGrowWithTheScreen) {
    const int dpi = win32::WindowUnits::ofScreen().dpi();
    if (const char* expected = std::getenv("QUIBRANT_EXPECT_DPI")) {
        ASSERT_EQ(dpi, std::atoi(expected));
    }
    struct Artwork {
        const char* control;
        int width, height;  // of what the artwork draws on its background
    };
    for (const Artwork& art : {Artwork{"Picture1_0", 15, 18}, Artwork{"Picture2_0", 18, 15}}) {
        const auto drawing = quibrant::test::drawingOf(f.control(art.control));
        const COLORREF back = drawing.at(0, 0);
        int left = drawing.width, top = drawing.height, right = -1, bottom = -1;
        for (int y = 0; y < drawing.height; ++y) {
            for (int x = 0; x < drawing.width; ++x) {
                if (drawing.at(x, y) != back) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        }
        EXPECT_NEAR(right - left + 1, MulDiv(art.width, dpi, 96), 1) << art.control;
        EXPECT_NEAR(bottom - top + 1, MulDiv(art.height, dpi, 96), 1) << art.control;
    }
}

TEST_F(WindowTest, TheWatchdogTicksWhileADownloadWaits) {
    // Counts the ticks of the form's timer before the window sees them.
    struct Counter {
        static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR ticks) {
            if (message == WM_TIMER && wParam == 1) {
                ++*reinterpret_cast<int*>(ticks);
            }
            return DefSubclassProc(hwnd, message, wParam, lParam);
        }
    };
    int ticks = 0;
    constexpr UINT_PTR kCounterId = 77;
    SetWindowSubclass(f.window->handle(), &Counter::proc, kCounterId,
                      reinterpret_cast<DWORD_PTR>(&ticks));
    EXPECT_EQ(controls().Timer1->interval(), 500);
    EXPECT_FALSE(controls().Timer1->isEnabled());

    requestDownload();
    ASSERT_TRUE(controls().Timer1->isEnabled());
    EXPECT_TRUE(Win32WindowDriver::waitFor([&ticks] { return ticks >= 2; }));
    // Nothing arrived, but ten seconds have not passed: still waiting.
    EXPECT_TRUE(f.messages.shown.empty());

    RemoveWindowSubclass(f.window->handle(), &Counter::proc, kCounterId);
}

}  // namespace

namespace quibrant::test {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, WindowScenarios, Win32WindowDriver);
}  // namespace quibrant::test
