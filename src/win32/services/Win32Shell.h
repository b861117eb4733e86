#pragma once

#include <memory>
#include <string>

#include "platform/Shell.h"
#include "win32/services/Win32Handles.h"

namespace quibrant::win32 {

// Creates the shell's automation objects ("WScript.Shell") by their
// programmatic identifier and talks to them late-bound, through IDispatch,
// members looked up by name. COM is initialised for the thread that creates
// the factory, which must be the thread that uses it and every object it
// makes (the window's thread); objects must be gone before the factory.
class Win32ShellFactory : public platform::ShellFactory {
  public:
    std::unique_ptr<platform::ShellObject> createObject(const std::string& progId) override;

  private:
    ComApartment apartment_;
};

}  // namespace quibrant::win32
