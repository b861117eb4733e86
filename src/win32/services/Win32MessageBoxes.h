#pragma once

#include <windows.h>

#include <string>

#include "platform/MessageBox.h"

namespace quibrant::win32 {

// Message boxes with an OK button, modal to the owner window once it is set
// (before that, to every window of the calling thread).
class Win32MessageBoxes : public platform::MessageBoxes {
  public:
    void setOwner(HWND owner) { owner_ = owner; }
    void show(const std::string& text, const std::string& title,
              platform::MessageIcon icon) override;

  private:
    HWND owner_ = nullptr;
};

}  // namespace quibrant::win32
