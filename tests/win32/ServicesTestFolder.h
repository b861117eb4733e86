#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>

#include "win32/Utf16.h"

namespace quibrant::test {

// A fresh folder under the user's temporary folder, removed with everything
// in it (read-only files included) when the test ends. Its name holds
// letters outside ASCII, so every path a test passes on does too.
class TestFolder {
  public:
    TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;
    ~TestFolder();

    // The folder's full long path, in UTF-8, without a final separator.
    const std::string& root() const { return root_; }
    // root\name, with any "/" in `name` written as "\".
    std::string operator/(const std::string& name) const;

    std::string makeFolder(const std::string& name) const;
    std::string write(const std::string& name, const std::string& bytes,
                      DWORD attributes = FILE_ATTRIBUTE_NORMAL) const;

  private:
    std::string root_;
};

// The bytes of a file; "" when it cannot be read.
std::string readFile(const std::string& path);
bool exists(const std::string& path);
DWORD attributesOf(const std::string& path);
// Waits, up to half a minute, for a file another process writes.
bool waitForFile(const std::string& path);
// The long form of the current folder.
std::string currentFolder();
// The short (8.3) form of an existing path; wine makes up hashed names.
std::string shortPathOf(const std::string& path);
// A drive letter that names no drive on this machine, or '\0'.
char absentDriveLetter();

// Sets and removes environment variables for one test and puts the old
// values back when it ends.
class ScopedEnvironment {
  public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment();

    void set(const std::string& name, const std::string& value);
    void unset(const std::string& name);

  private:
    void save(const std::wstring& name);

    std::map<std::wstring, std::optional<std::wstring>> saved_;
};

// Restores the process's current folder when a test ends.
class ScopedCurrentFolder {
  public:
    ScopedCurrentFolder();
    ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
    ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;
    ~ScopedCurrentFolder();

  private:
    std::wstring folder_;
};

}  // namespace quibrant::test
