#include "posix/PosixSignatureCheck.h"

#include <fcntl.h>
#include <openssl/err.h>
#include <sys/stat.h>

#include <cerrno>
#include <ctime>

#include "posix/AuthenticodeContent.h"
#include "posix/BuiltInCodeSigningAuthorities.h"
#include "posix/CodeSigningTrust.h"
#include "posix/AuthenticodeStream.h"
#include "posix/OpenSslHandles.h"
#include "posix/PosixCheckedFile.h"
#include "posix/PeImage.h"
#include "posix/PosixHandles.h"

namespace quibrant::posix {

namespace {

using platform::SignatureFault;
using platform::SignatureReport;

// WIN_CERTIFICATE: dwLength, wRevision, wCertificateType, then the signature.
constexpr std::size_t kWinCertificateHeader = 8;
constexpr std::uint32_t kWinCertificateRevision2 = 0x0200;
constexpr std::uint32_t kWinCertificatePkcsSignedData = 0x0002;
// Signatures are a few KiB; a table far larger is no signature of ours.
constexpr std::uint64_t kLargestCertificateTable = 4 * 1024 * 1024;

SignatureReport refused(SignatureFault fault) {
    SignatureReport report;
    report.fault = fault;
    return report;
}

// The signature of the first WIN_CERTIFICATE of the table; null when the
// table holds no PKCS#7 signature.
Pkcs7 readSignature(int fd, const PeLayout& layout) {
    std::string table;
    if (layout.certificateTableSize < kWinCertificateHeader ||
        layout.certificateTableSize > kLargestCertificateTable ||
        !readExactly(fd, layout.certificateTableOffset,
                     static_cast<std::size_t>(layout.certificateTableSize), table)) {
        return nullptr;
    }
    const std::uint32_t length = littleEndian(table, 0, 4);
    if (length < kWinCertificateHeader || length > table.size() ||
        littleEndian(table, 4, 2) != kWinCertificateRevision2 ||
        littleEndian(table, 6, 2) != kWinCertificatePkcsSignedData) {
        return nullptr;
    }
    const auto* der = reinterpret_cast<const unsigned char*>(table.data()) + kWinCertificateHeader;
    return Pkcs7(d2i_PKCS7(nullptr, &der, static_cast<long>(length - kWinCertificateHeader)));
}

std::string digestOfProgram(int fd, const PeLayout& layout, const EVP_MD* algorithm) {
    const DigestContext context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), algorithm, nullptr) != 1) {
        return "";
    }
    bool hashed = true;
    const bool read =
        feedAuthenticodeBytes(fd, layout, [&](const unsigned char* data, std::size_t size) {
            hashed = hashed && EVP_DigestUpdate(context.get(), data, size) == 1;
        });
    std::string digest(EVP_MAX_MD_SIZE, '\0');
    unsigned int size = 0;
    if (!read || !hashed ||
        EVP_DigestFinal_ex(context.get(), reinterpret_cast<unsigned char*>(digest.data()), &size) !=
            1) {
        return "";
    }
    digest.resize(size);
    return digest;
}

SignatureFault chainFault(ChainVerdict verdict) {
    switch (verdict) {
        case ChainVerdict::Trusted:
            return SignatureFault::None;
        case ChainVerdict::Expired:
            return SignatureFault::Expired;
        case ChainVerdict::Untrusted:
            break;
    }
    return SignatureFault::Untrusted;
}

}  // namespace

PosixSignatureCheck::PosixSignatureCheck()
    : PosixSignatureCheck(kBuiltInCodeSigningAuthoritiesPem) {}

PosixSignatureCheck::PosixSignatureCheck(const std::string& authoritiesPem)
    : trust_(std::make_unique<CodeSigningTrust>(authoritiesPem)) {}

PosixSignatureCheck::~PosixSignatureCheck() = default;

SignatureReport PosixSignatureCheck::check(const std::string& path,
                                           const std::string& organisation) {
    return checkFile(path, organisation, nullptr);
}

std::unique_ptr<platform::WrittenDigest> PosixSignatureCheck::digestWhileWriting(
    const std::string& identity) {
    return std::make_unique<AuthenticodeStream>(identity);
}

SignatureReport PosixSignatureCheck::checkWritten(const std::string& path,
                                                  const std::string& organisation,
                                                  const platform::WrittenDigest& written) {
    return checkFile(path, organisation, dynamic_cast<const AuthenticodeStream*>(&written));
}

SignatureReport PosixSignatureCheck::checkFile(const std::string& path,
                                               const std::string& organisation,
                                               const AuthenticodeStream* written) {
    // A drive path ("C:\Quibrant6\Setup\...") names the file wine would start.
    Descriptor file(::open(wine_.toLinux(path).c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!file.valid()) {
        return refused(errno == ENOENT || errno == ENOTDIR ? SignatureFault::Missing
                                                           : SignatureFault::Unreadable);
    }
    if (fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return refused(S_ISDIR(info.st_mode) ? SignatureFault::Missing
                                             : SignatureFault::Unreadable);
    }
    PeLayout layout;
    switch (readPeLayout(file.get(), static_cast<std::uint64_t>(info.st_size), layout)) {
        case PeShape::NotPe:
            return refused(SignatureFault::Unsigned);
        case PeShape::Damaged:
            return refused(SignatureFault::Malformed);
        case PeShape::Sound:
            break;
    }
    if (layout.certificateTableSize == 0) {
        return refused(SignatureFault::Unsigned);
    }
    // What was written stands for the file only if this is the file it was
    // written to: another one put under its name is read in full.
    std::optional<std::string> writtenDigest;
    if (written != nullptr && written->identity() == identityOf(info)) {
        writtenDigest = written->sha256For(layout);
    }
    SignatureReport report = checkSigned(file.get(), layout, organisation, writtenDigest);
    ERR_clear_error();
    // The descriptor the check read through is what starts later, or the
    // start finds out that the name leads elsewhere now.
    if (report.trusted()) {
        report.held = std::make_shared<PosixCheckedFile>(std::move(file), info, path, wine_);
    }
    return report;
}

SignatureReport PosixSignatureCheck::checkSigned(int fd, const PeLayout& layout,
                                                 const std::string& organisation,
                                                 const std::optional<std::string>& sha256) {
    const Pkcs7 p7 = readSignature(fd, layout);
    const std::optional<SignedProgramDigest> signedDigest =
        p7 ? readSignedProgramDigest(*p7) : std::nullopt;
    STACK_OF(PKCS7_SIGNER_INFO)* signerInfos = p7 ? PKCS7_get_signer_info(p7.get()) : nullptr;
    if (!signedDigest || sk_PKCS7_SIGNER_INFO_num(signerInfos) != 1) {
        return refused(SignatureFault::Malformed);
    }
    PKCS7_SIGNER_INFO& signerInfo = *sk_PKCS7_SIGNER_INFO_value(signerInfos, 0);
    if (!strongDigest(EVP_MD_get_type(signedDigest->algorithm)) ||
        !strongSignerAlgorithms(signerInfo)) {
        return refused(SignatureFault::WeakDigest);
    }
    const std::string digest = sha256 && EVP_MD_get_type(signedDigest->algorithm) == NID_sha256
                                   ? *sha256
                                   : digestOfProgram(fd, layout, signedDigest->algorithm);
    if (digest.empty()) {
        return refused(SignatureFault::Unreadable);
    }
    if (digest != signedDigest->digest) {
        return refused(SignatureFault::Tampered);
    }
    const BorrowedCertificates signers(PKCS7_get0_signers(p7.get(), nullptr, 0));
    X509* signer =
        signers && sk_X509_num(signers.get()) == 1 ? sk_X509_value(signers.get(), 0) : nullptr;
    if (signer == nullptr) {
        return refused(SignatureFault::Malformed);
    }
    SignatureReport report;
    report.signer = shownOrganisations(*signer);

    // The signature over the signed content; the chain is judged below, at
    // the time the signature was made.
    const Bio content(BIO_new_mem_buf(signedDigest->signedBytes.data(),
                                      static_cast<int>(signedDigest->signedBytes.size())));
    if (!content || PKCS7_verify(p7.get(), nullptr, &trust_->store(), content.get(), nullptr,
                                 PKCS7_NOVERIFY | PKCS7_BINARY) != 1) {
        report.fault = SignatureFault::Tampered;
        return report;
    }
    report.valid = true;

    std::optional<std::time_t> stamped = verifiedTimestamp(signerInfo, *trust_);
    if (!stamped) {
        stamped = verifiedCountersignature(*p7, signerInfo, *trust_);
    }
    report.fault = chainFault(trust_->verify(*signer, p7->d.sign->cert, Purpose::CodeSigning,
                                             stamped.value_or(std::time(nullptr))));
    if (report.fault != SignatureFault::None) {
        return report;
    }
    report.trustedRoot = true;
    report.vendorSigner = namesOnly(*signer, organisation);
    report.fault = report.vendorSigner ? SignatureFault::None : SignatureFault::ForeignSigner;
    return report;
}

}  // namespace quibrant::posix
