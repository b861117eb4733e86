#include "posix/CodeSigningTrust.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <new>
#include <vector>

namespace quibrant::posix {

namespace {

// X.520's upper bound for an organisation's name; anything longer is no name
// a certificate authority would have issued.
constexpr std::size_t kLongestShownText = 64;
constexpr const char* kEllipsis = "\xe2\x80\xa6";

void loadSystemStore(X509_STORE& store) {
    // X509_STORE_set_default_paths would honour SSL_CERT_FILE and
    // SSL_CERT_DIR, letting whoever sets the environment add an anchor.
    if (X509_LOOKUP* file = X509_STORE_add_lookup(&store, X509_LOOKUP_file())) {
        X509_LOOKUP_load_file(file, X509_get_default_cert_file(), X509_FILETYPE_PEM);
    }
    if (X509_LOOKUP* folder = X509_STORE_add_lookup(&store, X509_LOOKUP_hash_dir())) {
        X509_LOOKUP_add_dir(folder, X509_get_default_cert_dir(), X509_FILETYPE_PEM);
    }
}

void addAuthorities(X509_STORE& store, const std::string& pem) {
    const Bio text(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    while (text) {
        const X509Cert authority(PEM_read_bio_X509(text.get(), nullptr, nullptr, nullptr));
        if (!authority) {
            break;
        }
        X509_STORE_add_cert(&store, authority.get());
    }
}

std::uint32_t usageBit(Purpose purpose) {
    return purpose == Purpose::CodeSigning ? XKU_CODE_SIGN : XKU_TIMESTAMP;
}

// The rules for the certificate that signs, as opposed to those above it.
bool endEntityFor(X509& certificate, Purpose purpose) {
    const std::uint32_t flags = X509_get_extension_flags(&certificate);
    if (X509_check_ca(&certificate) != 0 || (flags & EXFLAG_KUSAGE) == 0 ||
        (X509_get_key_usage(&certificate) & KU_DIGITAL_SIGNATURE) == 0 ||
        (flags & EXFLAG_XKUSAGE) == 0) {
        return false;
    }
    const std::uint32_t uses = X509_get_extended_key_usage(&certificate);
    // A timestamping authority's key stamps and does nothing else, so that no
    // certificate issued for other work can also set the time.
    return purpose == Purpose::CodeSigning ? (uses & XKU_CODE_SIGN) != 0 : uses == XKU_TIMESTAMP;
}

// An authority that lists its uses has been limited to them, and everything
// it issued is limited with it.
bool authorityAllows(X509& authority, Purpose purpose) {
    return (X509_get_extension_flags(&authority) & EXFLAG_XKUSAGE) == 0 ||
           (X509_get_extended_key_usage(&authority) & (usageBit(purpose) | XKU_ANYEKU)) != 0;
}

std::vector<std::string> organisations(X509& certificate) {
    std::vector<std::string> found;
    X509_NAME* subject = X509_get_subject_name(&certificate);
    for (int index = X509_NAME_get_index_by_NID(subject, NID_organizationName, -1); index >= 0;
         index = X509_NAME_get_index_by_NID(subject, NID_organizationName, index)) {
        unsigned char* utf8 = nullptr;
        const int length = ASN1_STRING_to_UTF8(
            &utf8, X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, index)));
        // One that cannot be read still counts: it is a name, and not ours.
        found.emplace_back(length < 0 ? ""
                                      : std::string(reinterpret_cast<const char*>(utf8),
                                                    static_cast<std::size_t>(length)));
        OPENSSL_free(utf8);
    }
    return found;
}

// The code point of the UTF-8 sequence at `at`, and its length; length 0 for
// bytes that are not UTF-8.
std::size_t decode(const std::string& text, std::size_t at, char32_t& point) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    const std::size_t length = lead < 0x80                   ? 1
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xF0 && lead < 0xF5 ? 4
                                                             : 0;
    if (length == 0 || at + length > text.size()) {
        return 0;
    }
    point = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
        point = (point << 6) | (byte(at + i) & 0x3F);
    }
    const char32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
    return point < shortest[length] || point > 0x10FFFF || (point >= 0xD800 && point < 0xE000)
               ? 0
               : length;
}

// Characters that move the cursor, ring, break the line or reorder what
// follows, rather than show something.
bool unshowable(char32_t point) {
    return point < 0x20 || (point >= 0x7F && point < 0xA0) || point == 0x061C || point == 0x200E ||
           point == 0x200F || point == 0x2028 || point == 0x2029 ||
           (point >= 0x202A && point <= 0x202E) || (point >= 0x2066 && point <= 0x2069);
}

}  // namespace

CodeSigningTrust::CodeSigningTrust(const std::string& authoritiesPem) : store_(X509_STORE_new()) {
    if (!store_) {
        throw std::bad_alloc();
    }
    if (authoritiesPem.empty()) {
        loadSystemStore(*store_);
    } else {
        addAuthorities(*store_, authoritiesPem);
    }
    // A missing store file or the end of the PEM leave errors nobody else
    // should see.
    ERR_clear_error();
}

ChainVerdict CodeSigningTrust::verify(X509& certificate, STACK_OF(X509) * carried, Purpose purpose,
                                      std::time_t when) const {
    const X509StoreContext context(X509_STORE_CTX_new());
    if (!context || X509_STORE_CTX_init(context.get(), store_.get(), &certificate, carried) != 1) {
        return ChainVerdict::Untrusted;
    }
    X509_STORE_CTX_set_time(context.get(), 0, when);
    if (X509_verify_cert(context.get()) != 1) {
        const int error = X509_STORE_CTX_get_error(context.get());
        return error == X509_V_ERR_CERT_HAS_EXPIRED || error == X509_V_ERR_CERT_NOT_YET_VALID
                   ? ChainVerdict::Expired
                   : ChainVerdict::Untrusted;
    }
    if (!endEntityFor(certificate, purpose)) {
        return ChainVerdict::Untrusted;
    }
    // libcrypto knows no code-signing purpose, and its timestamping purpose
    // looks at the authorities' uses no more than an empty one does.
    STACK_OF(X509)* chain = X509_STORE_CTX_get0_chain(context.get());
    for (int i = 1; i < sk_X509_num(chain); ++i) {
        if (!authorityAllows(*sk_X509_value(chain, i), purpose)) {
            return ChainVerdict::Untrusted;
        }
    }
    return ChainVerdict::Trusted;
}

bool strongDigest(int nid) {
    return nid == NID_sha256 || nid == NID_sha384 || nid == NID_sha512;
}

bool strongSignerAlgorithms(const PKCS7_SIGNER_INFO& signer) {
    if (signer.digest_alg == nullptr || signer.digest_enc_alg == nullptr ||
        !strongDigest(OBJ_obj2nid(signer.digest_alg->algorithm))) {
        return false;
    }
    // The signature's algorithm names a digest of its own when it is one of
    // the "digest with key" kinds (sha1WithRSAEncryption, ecdsa-with-SHA1...).
    int digest = NID_undef;
    int key = NID_undef;
    return OBJ_find_sigid_algs(OBJ_obj2nid(signer.digest_enc_alg->algorithm), &digest, &key) == 0 ||
           digest == NID_undef || strongDigest(digest);
}

bool namesOnly(X509& certificate, const std::string& organisation) {
    const std::vector<std::string> names = organisations(certificate);
    return names.size() == 1 && !organisation.empty() && names.front() == organisation;
}

std::string shownOrganisations(X509& certificate) {
    std::string shown;
    for (const std::string& name : organisations(certificate)) {
        shown += (shown.empty() ? "" : ", ") + shownCertificateText(name);
    }
    return shown;
}

std::string shownCertificateText(const std::string& text) {
    std::string shown;
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size();) {
        char32_t point = 0;
        const std::size_t length = decode(text, at, point);
        if (length == 0) {
            ++at;
            continue;
        }
        if (!unshowable(point)) {
            if (characters == kLongestShownText) {
                return shown + kEllipsis;
            }
            shown.append(text, at, length);
            ++characters;
        }
        at += length;
    }
    return shown;
}

}  // namespace quibrant::posix
