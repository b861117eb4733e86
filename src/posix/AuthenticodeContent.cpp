#include "posix/AuthenticodeContent.h"

#include <openssl/asn1.h>
#include <openssl/objects.h>
#include <openssl/ts.h>
#include <openssl/x509.h>

#include <cstring>

#include "posix/CodeSigningTrust.h"
#include "posix/OpenSslHandles.h"

namespace quibrant::posix {

namespace {

constexpr const char* kSpcIndirectDataContent = "1.3.6.1.4.1.311.2.1.4";
constexpr const char* kRfc3161Timestamp = "1.3.6.1.4.1.311.3.3.1";

// One DER element read off the front of [next, end).
struct Element {
    const unsigned char* start = nullptr;
    const unsigned char* content = nullptr;
    long length = 0;
};

bool take(const unsigned char*& next, const unsigned char* end, int tag, Element& element) {
    element.start = next;
    const unsigned char* p = next;
    long length = 0;
    int foundTag = 0;
    int foundClass = 0;
    const int flags = ASN1_get_object(&p, &length, &foundTag, &foundClass, end - next);
    if ((flags & 0x80) != 0 || foundTag != tag || foundClass != V_ASN1_UNIVERSAL ||
        length > end - p) {
        return false;
    }
    element.content = p;
    element.length = length;
    next = p + length;
    return true;
}

bool hasOid(const ASN1_OBJECT* object, const char* oid) {
    char text[80];
    return OBJ_obj2txt(text, sizeof text, object, 1) > 0 && std::strcmp(text, oid) == 0;
}

std::optional<std::time_t> toTime(const ASN1_TIME* time) {
    std::tm parts{};
    if (time == nullptr || ASN1_TIME_to_tm(time, &parts) != 1) {
        return std::nullopt;
    }
    return timegm(&parts);
}

}  // namespace

std::optional<SignedProgramDigest> readSignedProgramDigest(PKCS7& p7) {
    if (!PKCS7_type_is_signed(&p7) || p7.d.sign == nullptr || p7.d.sign->contents == nullptr) {
        return std::nullopt;
    }
    PKCS7* contents = p7.d.sign->contents;
    const ASN1_TYPE* other = contents->d.other;
    if (!hasOid(contents->type, kSpcIndirectDataContent) || other == nullptr ||
        other->type != V_ASN1_SEQUENCE || other->value.sequence == nullptr) {
        return std::nullopt;
    }
    const unsigned char* next = other->value.sequence->data;
    const unsigned char* end = next + other->value.sequence->length;

    // SpcIndirectDataContent ::= SEQUENCE { data, messageDigest DigestInfo }
    Element indirect, data, digestInfo, algorithm, oid, digest;
    if (!take(next, end, V_ASN1_SEQUENCE, indirect)) {
        return std::nullopt;
    }
    SignedProgramDigest found;
    found.signedBytes.assign(reinterpret_cast<const char*>(indirect.content),
                             static_cast<std::size_t>(indirect.length));
    next = indirect.content;
    end = indirect.content + indirect.length;
    if (!take(next, end, V_ASN1_SEQUENCE, data) || !take(next, end, V_ASN1_SEQUENCE, digestInfo)) {
        return std::nullopt;
    }
    next = digestInfo.content;
    end = digestInfo.content + digestInfo.length;
    if (!take(next, end, V_ASN1_SEQUENCE, algorithm) ||
        !take(next, end, V_ASN1_OCTET_STRING, digest)) {
        return std::nullopt;
    }
    const unsigned char* algorithmNext = algorithm.content;
    if (!take(algorithmNext, algorithm.content + algorithm.length, V_ASN1_OBJECT, oid)) {
        return std::nullopt;
    }
    const unsigned char* oidBytes = oid.start;
    const Asn1Object object(
        d2i_ASN1_OBJECT(nullptr, &oidBytes, oid.content + oid.length - oid.start));
    found.algorithm = object ? EVP_get_digestbyobj(object.get()) : nullptr;
    if (found.algorithm == nullptr) {
        return std::nullopt;
    }
    found.digest.assign(reinterpret_cast<const char*>(digest.content),
                        static_cast<std::size_t>(digest.length));
    return found;
}

namespace {

// The authority that signed a timestamp token, when it may vouch for the
// time and signed with strong digests throughout.
bool tokenSignerTrusted(PKCS7& token, TS_TST_INFO& info, const CodeSigningTrust& trust) {
    STACK_OF(PKCS7_SIGNER_INFO)* signers = PKCS7_get_signer_info(&token);
    const X509_ALGOR* imprint = TS_MSG_IMPRINT_get_algo(TS_TST_INFO_get_msg_imprint(&info));
    if (sk_PKCS7_SIGNER_INFO_num(signers) != 1 ||
        !strongSignerAlgorithms(*sk_PKCS7_SIGNER_INFO_value(signers, 0)) || imprint == nullptr ||
        !strongDigest(OBJ_obj2nid(imprint->algorithm))) {
        return false;
    }
    const BorrowedCertificates authorities(PKCS7_get0_signers(&token, nullptr, 0));
    return authorities && sk_X509_num(authorities.get()) == 1 &&
           trust.verify(*sk_X509_value(authorities.get(), 0), token.d.sign->cert,
                        Purpose::TimeStamping, std::time(nullptr)) == ChainVerdict::Trusted;
}

}  // namespace

std::optional<std::time_t> verifiedTimestamp(PKCS7_SIGNER_INFO& signer,
                                             const CodeSigningTrust& trust) {
    X509_STORE& store = trust.store();
    for (int i = 0; i < X509at_get_attr_count(signer.unauth_attr); ++i) {
        X509_ATTRIBUTE* attribute = X509at_get_attr(signer.unauth_attr, i);
        const ASN1_TYPE* value = X509_ATTRIBUTE_get0_type(attribute, 0);
        if (!hasOid(X509_ATTRIBUTE_get0_object(attribute), kRfc3161Timestamp) || value == nullptr ||
            value->type != V_ASN1_SEQUENCE) {
            continue;
        }
        const unsigned char* bytes = value->value.sequence->data;
        const Pkcs7 token(d2i_PKCS7(nullptr, &bytes, value->value.sequence->length));
        const TimestampVerifyContext context(TS_VERIFY_CTX_new());
        if (!token || !context || signer.enc_digest == nullptr) {
            continue;
        }
        // The token stamps the signature value: the time applies to this
        // signature and to no other.
        Bio stamped(BIO_new_mem_buf(signer.enc_digest->data, signer.enc_digest->length));
        if (!stamped || X509_STORE_up_ref(&store) != 1) {
            continue;
        }
        TS_VERIFY_CTX_set_flags(context.get(),
                                TS_VFY_VERSION | TS_VFY_SIGNER | TS_VFY_SIGNATURE | TS_VFY_DATA);
        TS_VERIFY_CTX_set_data(context.get(), stamped.release());
        TS_VERIFY_CTX_set_store(context.get(), &store);
        if (TS_RESP_verify_token(context.get(), token.get()) != 1) {
            continue;
        }
        const TimestampInfo info(PKCS7_to_TS_TST_INFO(token.get()));
        if (info && tokenSignerTrusted(*token, *info, trust)) {
            return toTime(TS_TST_INFO_get_time(info.get()));
        }
    }
    return std::nullopt;
}

namespace {

// Whether the countersignature's signed attributes hold `signer`'s signature
// value digest and carry the countersigner's valid signature.
bool countersignatureHolds(PKCS7_SIGNER_INFO& counter, X509& countersigner,
                           const PKCS7_SIGNER_INFO& signer) {
    if (!strongSignerAlgorithms(counter)) {
        return false;
    }
    const EVP_MD* algorithm = EVP_get_digestbyobj(counter.digest_alg->algorithm);
    ASN1_OCTET_STRING* expected = PKCS7_digest_from_attributes(counter.auth_attr);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (algorithm == nullptr || expected == nullptr || signer.enc_digest == nullptr ||
        EVP_Digest(signer.enc_digest->data, static_cast<std::size_t>(signer.enc_digest->length),
                   digest, &size, algorithm, nullptr) != 1 ||
        static_cast<int>(size) != expected->length ||
        std::memcmp(digest, expected->data, size) != 0) {
        return false;
    }
    // The signature covers the attributes encoded as a SET.
    unsigned char* attributes = nullptr;
    const int length = ASN1_item_i2d(reinterpret_cast<ASN1_VALUE*>(counter.auth_attr), &attributes,
                                     ASN1_ITEM_rptr(PKCS7_ATTR_VERIFY));
    const DigestContext context(EVP_MD_CTX_new());
    const bool holds = length > 0 && context &&
                       EVP_DigestVerifyInit(context.get(), nullptr, algorithm, nullptr,
                                            X509_get0_pubkey(&countersigner)) == 1 &&
                       EVP_DigestVerify(context.get(), counter.enc_digest->data,
                                        static_cast<std::size_t>(counter.enc_digest->length),
                                        attributes, static_cast<std::size_t>(length)) == 1;
    OPENSSL_free(attributes);
    return holds;
}

}  // namespace

std::optional<std::time_t> verifiedCountersignature(PKCS7& p7, PKCS7_SIGNER_INFO& signer,
                                                    const CodeSigningTrust& trust) {
    const ASN1_TYPE* value = PKCS7_get_attribute(&signer, NID_pkcs9_countersignature);
    if (value == nullptr || value->type != V_ASN1_SEQUENCE) {
        return std::nullopt;
    }
    const unsigned char* bytes = value->value.sequence->data;
    const OpenSslPtr<PKCS7_SIGNER_INFO, PKCS7_SIGNER_INFO_free> counter(
        d2i_PKCS7_SIGNER_INFO(nullptr, &bytes, value->value.sequence->length));
    STACK_OF(X509)* carried = p7.d.sign->cert;
    X509* countersigner =
        counter && counter->issuer_and_serial != nullptr
            ? X509_find_by_issuer_and_serial(carried, counter->issuer_and_serial->issuer,
                                             counter->issuer_and_serial->serial)
            : nullptr;
    if (countersigner == nullptr || !countersignatureHolds(*counter, *countersigner, signer) ||
        trust.verify(*countersigner, carried, Purpose::TimeStamping, std::time(nullptr)) !=
            ChainVerdict::Trusted) {
        return std::nullopt;
    }
    const ASN1_TYPE* signingTime = PKCS7_get_signed_attribute(counter.get(), NID_pkcs9_signingTime);
    if (signingTime == nullptr ||
        (signingTime->type != V_ASN1_UTCTIME && signingTime->type != V_ASN1_GENERALIZEDTIME)) {
        return std::nullopt;
    }
    return toTime(signingTime->value.utctime);
}

}  // namespace quibrant::posix
