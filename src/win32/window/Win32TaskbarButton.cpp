#include "win32/window/Win32TaskbarButton.h"

#include <utility>

namespace quibrant::win32 {

using platform::TaskbarProgress;
using platform::TaskbarState;

Win32TaskbarButton::Win32TaskbarButton(HWND window, UINT_PTR timerId)
    : window_(window),
      createdMessage_(RegisterWindowMessageW(L"TaskbarButtonCreated")),
      timer_(window, timerId),
      rated_([this](const TaskbarProgress& progress) { apply(progress); }, timer_.runner()) {
    // Run as administrator, the program would otherwise never hear the
    // taskbar, which runs with less.
    if (createdMessage_ != 0) {
        ChangeWindowMessageFilterEx(window, createdMessage_, MSGFLT_ALLOW, nullptr);
    }
}

void Win32TaskbarButton::onButtonCreated() {
    list_.reset();
    ComPtr<ITaskbarList3> list;
    const HRESULT created = CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_ITaskbarList3, list.putVoid());
    if (FAILED(created) || !list || FAILED(list->HrInit())) {
        return;
    }
    list_ = std::move(list);
    // A taskbar that started afresh shows nothing of what was there.
    if (wanted_.state != TaskbarState::None) {
        apply(wanted_);
    }
}

void Win32TaskbarButton::apply(const TaskbarProgress& progress) {
    wanted_ = progress;
    if (!list_) {
        return;
    }
    switch (progress.state) {
        case TaskbarState::None:
            count(list_->SetProgressState(window_, TBPF_NOPROGRESS));
            return;
        case TaskbarState::Normal:
            count(list_->SetProgressState(window_, TBPF_NORMAL));
            break;
        case TaskbarState::Error:
            count(list_->SetProgressState(window_, TBPF_ERROR));
            break;
    }
    count(list_->SetProgressValue(window_, static_cast<ULONGLONG>(progress.done),
                                  static_cast<ULONGLONG>(TaskbarProgress::kSteps)));
}

void Win32TaskbarButton::count(HRESULT result) {
    if (SUCCEEDED(result)) {
        ++succeeded_;
    } else {
        ++failed_;
    }
}

}  // namespace quibrant::win32
