#pragma once

#include <cstddef>
#include <string>

namespace quibrant::platform {

class Environment {
  public:
    virtual ~Environment() = default;
    // The value of an environment variable, the name matched without regard to
    // case; "" when it is not set.
    virtual std::string variable(const std::string& name) = 0;
    // The long form of an existing path, or "" when the path does not exist or
    // its long form does not fit a buffer of `bufferSize` characters with its
    // terminating NUL.
    virtual std::string longPathName(const std::string& path, std::size_t bufferSize) = 0;
    // The desktop folder inside a user's profile folder.
    virtual std::string desktopFolderOf(const std::string& profile) = 0;
};

}  // namespace quibrant::platform
