#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "contract/SignatureContract.h"
#include "posix/PosixSignatureCheck.h"

namespace quibrant::test {
namespace {

// The folder make-signed-installers.sh filled, named by the test's environment.
std::string signedFolder() {
    const char* folder = std::getenv("QUIBRANT_SIGNED_INSTALLERS");
    EXPECT_NE(folder, nullptr) << "QUIBRANT_SIGNED_INSTALLERS names no folder";
    return folder != nullptr ? folder : "/nonexistent";
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The Linux check, trusting the system's roots and the test authority.
struct LinuxSignatures {
    const std::string folder = signedFolder();
    posix::PosixSignatureCheck signatures{readAll(folder + "/firma/ca.pem")};

    std::string installer(const std::string& name) const {
        return name.empty() ? folder : folder + "/" + name;
    }
    std::string unanswerable(const std::string&) const { return ""; }
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Linux, SignatureContract, LinuxSignatures);

// Without the test authority the vendor's test signature leads nowhere.
TEST(PosixSignatureCheckTest, TheSystemRootsAloneDoNotTrustTheTestAuthority) {
    posix::PosixSignatureCheck systemRootsOnly{""};
    const platform::SignatureReport report =
        systemRootsOnly.check(signedFolder() + "/vendor.exe", kTestVendor);
    EXPECT_TRUE(report.valid);
    EXPECT_FALSE(report.trustedRoot);
    EXPECT_EQ(report.fault, platform::SignatureFault::Untrusted);
}

}  // namespace quibrant::test
