#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "LinuxSystem.h"
#include "SignedInstallers.h"
#include "contract/SignatureContract.h"
#include "posix/CodeSigningTrust.h"
#include "posix/PosixSignatureCheck.h"

namespace quibrant::test {
namespace {

using platform::SignatureFault;

// The Linux check, trusting the test authority alone.
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

// Each file breaks one rule of code signing, or keeps all of them in a way the
// files of the contract do not: the chain's uses, the signer's certificate,
// the timestamping authority's, the digests and the signer's name.
TEST(PosixSignatureCheckTest, TheCodeSigningRulesDecide) {
    const struct {
        const char* file;
        SignatureFault fault;
        const char* signer;  // checked where not null
    } cases[] = {
        {"intermediate.exe", SignatureFault::None, kTestVendor},
        {"any-use-intermediate.exe", SignatureFault::None, nullptr},
        {"intermediate-timestamped.exe", SignatureFault::None, nullptr},
        {"sha384.exe", SignatureFault::None, nullptr},
        {"sha512.exe", SignatureFault::None, nullptr},
        {"tls-intermediate.exe", SignatureFault::Untrusted, nullptr},
        {"no-usage.exe", SignatureFault::Untrusted, nullptr},
        {"ca-signer.exe", SignatureFault::Untrusted, nullptr},
        {"no-digital-signature.exe", SignatureFault::Untrusted, nullptr},
        // A time its authority may not vouch for leaves the signer expired.
        {"tls-timestamped.exe", SignatureFault::Expired, nullptr},
        {"tls-countersigned.exe", SignatureFault::Expired, nullptr},
        {"codesigner-countersigned.exe", SignatureFault::Expired, nullptr},
        {"sha1-timestamped.exe", SignatureFault::Expired, nullptr},
        {"sha1.exe", SignatureFault::WeakDigest, nullptr},
        {"md5.exe", SignatureFault::WeakDigest, nullptr},
        {"two-organisations.exe", SignatureFault::ForeignSigner,
         "Quibrant S.L., Otra Empresa S.A."},
        {"control-characters.exe", SignatureFault::ForeignSigner, "Otra[2J Empresa S.A."},
    };
    LinuxSignatures s;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const platform::SignatureReport report =
            s.signatures.check(s.installer(c.file), kTestVendor);
        EXPECT_EQ(report.fault, c.fault) << static_cast<int>(report.fault);
        EXPECT_EQ(report.trusted(), c.fault == SignatureFault::None);
        if (c.signer != nullptr) {
            EXPECT_EQ(report.signer, c.signer);
        }
    }
}

// Without authorities of its own, the check reads the system's store where the
// system keeps it; variables that point libcrypto elsewhere bring in nothing.
TEST(PosixSignatureCheckTest, TheSystemStoreIgnoresTheEnvironment) {
    const std::string folder = signedFolder();
    ScopedEnvironment<PosixVariables> variables;
    variables.set("SSL_CERT_FILE", folder + "/firma/ca.pem");
    variables.set("SSL_CERT_DIR", folder + "/firma/hashed");
    posix::PosixSignatureCheck systemStore{""};
    const platform::SignatureReport report = systemStore.check(folder + "/vendor.exe", kTestVendor);
    EXPECT_TRUE(report.valid);
    EXPECT_FALSE(report.trustedRoot);
    EXPECT_EQ(report.fault, SignatureFault::Untrusted);
}

// A build may name several authorities; each of them is an anchor.
TEST(PosixSignatureCheckTest, EveryAuthorityOfTheBuildCounts) {
    const std::string folder = signedFolder();
    posix::PosixSignatureCheck both{readAll(folder + "/firma/rogue.pem") +
                                    readAll(folder + "/firma/ca.pem")};
    EXPECT_TRUE(both.check(folder + "/vendor.exe", kTestVendor).trusted());
    EXPECT_TRUE(both.check(folder + "/untrusted.exe", kTestVendor).trusted());
}

// What a certificate says reaches a message without what could garble or
// disguise it, and at a length a message can hold.
TEST(PosixSignatureCheckTest, CertificateTextIsShownClean) {
    const struct {
        std::string text, shown;
    } cases[] = {
        {"Otra Empresa S.A.", "Otra Empresa S.A."},
        {"Otra\x1b[2J\r\nEmpresa\x7f", "Otra[2JEmpresa"},
        {"Compañía\u0085", "Compañía"},        // C1 control: next line
        {"Otra \u202eA.S\u2066", "Otra A.S"},  // bidirectional overrides
        {"Otra\xff\xc3", "Otra"},              // not UTF-8
        {std::string(70, 'x'), std::string(64, 'x') + "…"},
        {std::string(63, 'x') + "ññ", std::string(63, 'x') + "ñ…"},  // cut between characters
    };
    for (const auto& c : cases) {
        EXPECT_EQ(posix::shownCertificateText(c.text), c.shown) << c.text;
    }
}

}  // namespace quibrant::test
