#pragma once

#include "platform/MessageBox.h"

namespace quibrant::qt {

// Modal message boxes with an OK button, over the program's active window.
class QtMessageBoxes : public platform::MessageBoxes {
  public:
    void show(const std::string& text, const std::string& title,
              platform::MessageIcon icon) override;
};

}  // namespace quibrant::qt
