#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "posix/PosixSignatureCheck.h"

namespace quibrant::test {
namespace {

using platform::SignatureFault;

// The folder sign-release-program.sh filled, named by the test's environment.
std::string signedFolder() {
    const char* folder = std::getenv("QUIBRANT_RELEASE_SIGNED");
    EXPECT_NE(folder, nullptr) << "QUIBRANT_RELEASE_SIGNED names no folder";
    return folder != nullptr ? folder : "/nonexistent";
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

// The Windows program of a release, signed by scripts/release with each kind
// of key it takes, passes the program's own check of an installer's
// signature under the key's authority; left unsigned, it does not.
TEST(ReleaseSignatureTest, TheProgramsOwnCheckJudgesTheRelease) {
    const struct {
        const char* file;
        SignatureFault fault;
    } cases[] = {
        {"pkcs12-timestamped.exe", SignatureFault::None},
        {"pkcs11.exe", SignatureFault::None},
        {"unsigned.exe", SignatureFault::Unsigned},
    };
    const std::string folder = signedFolder();
    const std::string authority = readAll(folder + "/ca.pem");
    ASSERT_NE(authority.find("BEGIN CERTIFICATE"), std::string::npos) << folder;
    posix::PosixSignatureCheck check{authority};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const platform::SignatureReport report =
            check.check(folder + "/" + c.file, "Quibrant S.L.");
        EXPECT_EQ(report.fault, c.fault) << static_cast<int>(report.fault);
        EXPECT_EQ(report.trusted(), c.fault == SignatureFault::None);
        if (c.fault == SignatureFault::None) {
            EXPECT_EQ(report.signer, "Quibrant S.L.");
        }
    }
}

}  // namespace quibrant::test
