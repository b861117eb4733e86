#pragma once

#include <string>

namespace quibrant::platform {

enum class MessageIcon { None, Critical, Information };

// Modal message boxes with an OK button. A box given an empty title shows the
// application's title.
class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    virtual void show(const std::string& text, const std::string& title, MessageIcon icon) = 0;
};

}  // namespace quibrant::platform
