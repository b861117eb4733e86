#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "platform/SignatureCheck.h"

namespace quibrant::test {

// What every signature check answers for the installers that
// tests/support/make-signed-installers.sh signs. A system S offers:
//   signatures            the check under test, trusting the test authority
//   installer(name)       the path of one of those files
//   unanswerable(name)    why this system cannot tell that file apart, or ""
template <typename S>
class SignatureContract : public ::testing::Test {
  protected:
    S s;
};

TYPED_TEST_SUITE_P(SignatureContract);

inline constexpr const char* kTestVendor = "Quibrant S.L.";

TYPED_TEST_P(SignatureContract, EachInstallerGetsItsVerdict) {
    using F = platform::SignatureFault;
    const struct {
        const char* file;
        bool valid, trustedRoot, vendor;
        std::set<F> faults;
        const char* signer;  // checked where not null
    } cases[] = {
        {"vendor.exe", true, true, true, {F::None}, kTestVendor},
        {"expired-timestamped.exe", true, true, true, {F::None}, kTestVendor},
        {"expired-countersigned.exe", true, true, true, {F::None}, kTestVendor},
        {"foreign.exe", true, true, false, {F::ForeignSigner}, "Otra Empresa S.A."},
        {"unsigned.exe", false, false, false, {F::Unsigned}, nullptr},
        {"tampered.exe", false, false, false, {F::Tampered}, nullptr},
        // Windows finds no signature in a cut file; we see a damaged one.
        {"truncated.exe", false, false, false, {F::Unsigned, F::Malformed}, nullptr},
        {"untrusted.exe", true, false, false, {F::Untrusted}, nullptr},
        {"expired.exe", true, false, false, {F::Expired}, nullptr},
        {"no-existe.exe", false, false, false, {F::Missing}, nullptr},
        {"", false, false, false, {F::Missing}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const platform::SignatureReport report =
            this->s.signatures.check(this->s.installer(c.file), kTestVendor);
        // What the system said, for the record, answerable or not.
        std::printf("[ firma ] %-24s falta %d, código 0x%08X\n", c.file,
                    static_cast<int>(report.fault), static_cast<unsigned>(report.systemCode));
        const std::string why = this->s.unanswerable(c.file);
        if (!why.empty()) {
            std::printf("[ sin respuesta ] %s: %s\n", c.file, why.c_str());
            continue;
        }
        EXPECT_EQ(report.valid, c.valid);
        EXPECT_EQ(report.trustedRoot, c.trustedRoot);
        EXPECT_EQ(report.vendorSigner, c.vendor);
        EXPECT_EQ(report.trusted(), c.faults.count(F::None) == 1);
        EXPECT_EQ(c.faults.count(report.fault), 1u) << static_cast<int>(report.fault);
        if (c.signer != nullptr) {
            EXPECT_EQ(report.signer, c.signer);
        }
    }
}

// The organisation asked for decides, compared exactly.
TYPED_TEST_P(SignatureContract, TheSignerMustBeTheOrganisationAskedFor) {
    auto& check = this->s.signatures;
    EXPECT_TRUE(check.check(this->s.installer("foreign.exe"), "Otra Empresa S.A.").trusted());
    for (const char* other : {"Otra Empresa S.A.", "quibrant s.l.", "Quibrant S.L"}) {
        const platform::SignatureReport report =
            check.check(this->s.installer("vendor.exe"), other);
        EXPECT_FALSE(report.trusted()) << other;
        EXPECT_EQ(report.fault, platform::SignatureFault::ForeignSigner) << other;
    }
}

REGISTER_TYPED_TEST_SUITE_P(SignatureContract, EachInstallerGetsItsVerdict,
                            TheSignerMustBeTheOrganisationAskedFor);

}  // namespace quibrant::test
