#pragma once

#include <string>

#include "platform/Environment.h"

namespace quibrant::win32 {

// The process environment and the long form of paths, as Windows gives them.
class Win32Environment : public platform::Environment {
  public:
    std::string variable(const std::string& name) override;
    std::string longPathName(const std::string& path, std::size_t bufferSize) override;
    std::string desktopFolderOf(const std::string& profile) override;
};

// The value of an environment variable (Windows matches the name without
// regard to case); "" when it is not set.
std::string environmentVariable(const std::string& name);

}  // namespace quibrant::win32
