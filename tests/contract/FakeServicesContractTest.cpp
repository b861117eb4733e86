#include <gtest/gtest.h>

#include <string>

#include "contract/EnvironmentContract.h"
#include "contract/FileSystemContract.h"
#include "contract/ShellContract.h"
#include "support/FakeServices.h"
#include "support/NativePath.h"

namespace quibrant::test {

// The fakes the logic tests stand on, as a system under test: what the
// contracts find true of them, the logic tests may take for granted.
struct FakeSystem {
    FakeFileSystem files;
    FakeEnvironment environment;
    FakeShellFactory shells;

    FakeSystem() { shells.specialFolders["Desktop"] = path("Escritorio"); }

    std::string path(const std::string& relative) const { return native("/prueba/" + relative); }
    void makeFolder(const std::string& relative) { files.folders.insert(path(relative)); }
    void write(const std::string& relative, const std::string& bytes) {
        if (relative.find('/') != std::string::npos) {
            makeFolder(relative.substr(0, relative.rfind('/')));
        }
        files.files[path(relative)] = FakeFileSystem::File{bytes};
    }
    void writeReadOnly(const std::string& relative, const std::string& bytes) {
        write(relative, bytes);
        files.files[path(relative)].readOnly = true;
    }
    std::string read(const std::string& relative) {
        const auto found = files.files.find(path(relative));
        return found == files.files.end() ? "" : found->second.bytes;
    }
    bool exists(const std::string& relative) {
        return files.files.count(path(relative)) != 0 || files.folders.count(path(relative)) != 0;
    }
    bool readOnly(const std::string& relative) {
        const auto found = files.files.find(path(relative));
        return found != files.files.end() && found->second.readOnly;
    }

    // The fake's variables live in the fake; nothing to put back.
    struct {
        FakeEnvironment& environment;
        void set(const std::string& name, const std::string& value) {
            environment.variables[name] = value;
        }
        void unset(const std::string& name) { environment.variables.erase(name); }
    } variables{environment};
};

INSTANTIATE_TYPED_TEST_SUITE_P(Fake, FileSystemContract, FakeSystem);
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, EnvironmentContract, FakeSystem);
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, ShellContract, FakeSystem);

// The fakes claim no more: they keep no folder tree (any folder can be made,
// anywhere), know no long forms of paths, and save shortcuts in memory.
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(DiskFileSystemContract);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(SystemEnvironmentContract);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ShortcutContract);

}  // namespace quibrant::test
