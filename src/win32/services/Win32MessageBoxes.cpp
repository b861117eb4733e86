#include "win32/services/Win32MessageBoxes.h"

#include "app/DownloadForm.h"
#include "win32/services/Utf16.h"

namespace quibrant::win32 {

namespace {

UINT messageBoxStyle(platform::MessageIcon icon, bool hasOwner) {
    UINT style = MB_OK;
    switch (icon) {
        case platform::MessageIcon::Critical:
            style |= MB_ICONERROR;
            break;
        case platform::MessageIcon::Information:
            style |= MB_ICONINFORMATION;
            break;
        case platform::MessageIcon::None:
            break;
    }
    // Without an owner the box still keeps the user out of the thread's
    // other windows until it is closed.
    if (!hasOwner) {
        style |= MB_TASKMODAL;
    }
    return style;
}

}  // namespace

void Win32MessageBoxes::show(const std::string& text, const std::string& title,
                             platform::MessageIcon icon) {
    const HWND owner = owner_ != nullptr && IsWindow(owner_) ? owner_ : nullptr;
    const std::wstring caption = widen(title.empty() ? std::string(kAppTitle) : title);
    MessageBoxW(owner, widen(text).c_str(), caption.c_str(),
                messageBoxStyle(icon, owner != nullptr));
}

}  // namespace quibrant::win32
