#pragma once

#include <memory>
#include <string>

namespace quibrant::platform {

// A shortcut object of the shell: properties set by name (letter case ignored),
// nothing written until Save.
class ShortcutObject {
  public:
    virtual ~ShortcutObject() = default;
    virtual void setProperty(const std::string& name, const std::string& value) = 0;
    virtual void Save() = 0;
};

class ShellObject {
  public:
    virtual ~ShellObject() = default;
    // The full path of a special folder, "" when the shell knows no folder of
    // that name.
    virtual std::string SpecialFolders(const std::string& name) = 0;
    virtual std::unique_ptr<ShortcutObject> CreateShortCut(const std::string& path) = 0;
};

class ShellFactory {
  public:
    virtual ~ShellFactory() = default;
    // Creates the object of the given programmatic identifier; throws Failure.
    virtual std::unique_ptr<ShellObject> createObject(const std::string& progId) = 0;
};

}  // namespace quibrant::platform
