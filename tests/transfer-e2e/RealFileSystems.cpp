#include "platform/FileSystem.h"
#include "posix/PosixFileSystem.h"

namespace quibrant::test {

// The Linux file-system service, for the resume contract's form.
platform::FileSystemFactory& realFileSystems() {
    static posix::PosixFileSystemFactory files;
    return files;
}

}  // namespace quibrant::test
