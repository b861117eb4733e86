#include <gtest/gtest.h>
#include <windows.h>

#include "app/DownloadForm.h"
#include "app/FormTexts.h"
#include "install/Shortcut.h"
#include "win32/services/Utf16.h"
#include "win32/services/Win32MessageBoxes.h"

namespace quibrant::test {
namespace {

// What one message box showed, read while it was open.
struct SeenBox {
    bool seen = false;
    std::string caption;
    std::string text;
    HWND owner = nullptr;
    bool ownerEnabled = true;
    HICON icon = nullptr;
};

// Watches the calling thread for the next message box, notes what it shows
// and presses its OK button. The box runs its own message loop, so a thread
// timer fires inside it.
class BoxWatcher {
  public:
    BoxWatcher() {
        current_ = this;
        hook_ = SetWindowsHookExW(WH_CBT, &BoxWatcher::onCbt, nullptr, GetCurrentThreadId());
        timer_ = SetTimer(nullptr, 0, 20, &BoxWatcher::onTimer);
    }
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;
    ~BoxWatcher() {
        KillTimer(nullptr, timer_);
        UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }

    const SeenBox& seen() const { return seen_; }

  private:
    static LRESULT CALLBACK onCbt(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE && current_ != nullptr && current_->box_ == nullptr) {
            current_->box_ = reinterpret_cast<HWND>(wParam);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD) {
        if (current_ == nullptr || current_->box_ == nullptr || current_->seen_.seen) {
            return;
        }
        current_->inspect();
    }

    void inspect() {
        seen_.seen = true;
        seen_.caption = textOf(box_);
        seen_.owner = GetWindow(box_, GW_OWNER);
        seen_.ownerEnabled = seen_.owner != nullptr && IsWindowEnabled(seen_.owner);
        for (HWND child = FindWindowExW(box_, nullptr, L"Static", nullptr); child != nullptr;
             child = FindWindowExW(box_, child, L"Static", nullptr)) {
            const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
            if ((style & SS_TYPEMASK) == SS_ICON) {
                if (IsWindowVisible(child)) {
                    seen_.icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
                }
            } else if (seen_.text.empty()) {
                seen_.text = textOf(child);
            }
        }
        PostMessageW(box_, WM_COMMAND, IDOK, 0);
    }

    static std::string textOf(HWND window) {
        wchar_t buffer[1024] = {};
        const int length = GetWindowTextW(window, buffer, 1024);
        return win32::narrow(std::wstring(buffer, static_cast<std::size_t>(length)));
    }

    static inline BoxWatcher* current_ = nullptr;
    HHOOK hook_ = nullptr;
    UINT_PTR timer_ = 0;
    HWND box_ = nullptr;
    SeenBox seen_;
};

SeenBox show(win32::Win32MessageBoxes& boxes, const std::string& text, const std::string& title,
             platform::MessageIcon icon) {
    BoxWatcher watcher;
    boxes.show(text, title, icon);
    return watcher.seen();
}

TEST(Win32MessageBoxesTest, BoxShowsItsTextAndTitleOrTheApplicationsTitle) {
    win32::Win32MessageBoxes boxes;
    const SeenBox named = show(boxes, texts::kCodeRequired, texts::kCodeRequiredTitle,
                               platform::MessageIcon::Critical);
    ASSERT_TRUE(named.seen);
    EXPECT_EQ(named.caption, texts::kCodeRequiredTitle);
    EXPECT_EQ(named.text, texts::kCodeRequired);

    const SeenBox untitled =
        show(boxes, install::shortcutFailureMessage(52), "", platform::MessageIcon::None);
    ASSERT_TRUE(untitled.seen);
    EXPECT_EQ(untitled.caption, kAppTitle);
}

TEST(Win32MessageBoxesTest, IconIsTheOneAskedFor) {
    win32::Win32MessageBoxes boxes;
    const SeenBox none = show(boxes, "a", "", platform::MessageIcon::None);
    const SeenBox critical = show(boxes, "b", "", platform::MessageIcon::Critical);
    const SeenBox information = show(boxes, "c", "", platform::MessageIcon::Information);
    ASSERT_TRUE(none.seen && critical.seen && information.seen);
    EXPECT_EQ(none.icon, nullptr);
    EXPECT_NE(critical.icon, nullptr);
    EXPECT_NE(information.icon, nullptr);
    EXPECT_NE(critical.icon, information.icon);
}

TEST(Win32MessageBoxesTest, BoxIsModalToItsOwner) {
    const HWND owner = CreateWindowExW(0, L"Static", L"Ventana", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                       100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    win32::Win32MessageBoxes boxes;
    boxes.setOwner(owner);
    const SeenBox seen = show(boxes, texts::kDownloaded, "", platform::MessageIcon::Information);
    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(seen.owner, owner);
    EXPECT_FALSE(seen.ownerEnabled);
    EXPECT_TRUE(IsWindowEnabled(owner));

    // An owner that is gone no longer takes the box.
    DestroyWindow(owner);
    const SeenBox orphan = show(boxes, "Tiempo agotado", "", platform::MessageIcon::Critical);
    ASSERT_TRUE(orphan.seen);
    EXPECT_EQ(orphan.owner, nullptr);
}

}  // namespace
}  // namespace quibrant::test
