#pragma once

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pkcs7.h>
#include <openssl/ts.h>
#include <openssl/x509.h>

#include <memory>

namespace quibrant::posix {

// Owners of what libcrypto allocates, each freed with its own function.
template <typename T, void (*Free)(T*)>
struct OpenSslFree {
    void operator()(T* object) const { Free(object); }
};
template <typename T, void (*Free)(T*)>
using OpenSslPtr = std::unique_ptr<T, OpenSslFree<T, Free>>;

using Bio = OpenSslPtr<BIO, BIO_free_all>;
using DigestContext = OpenSslPtr<EVP_MD_CTX, EVP_MD_CTX_free>;
using Pkcs7 = OpenSslPtr<PKCS7, PKCS7_free>;
using X509Cert = OpenSslPtr<X509, X509_free>;
using X509Store = OpenSslPtr<X509_STORE, X509_STORE_free>;
using X509StoreContext = OpenSslPtr<X509_STORE_CTX, X509_STORE_CTX_free>;
using TimestampVerifyContext = OpenSslPtr<TS_VERIFY_CTX, TS_VERIFY_CTX_free>;
using TimestampInfo = OpenSslPtr<TS_TST_INFO, TS_TST_INFO_free>;
using Asn1Object = OpenSslPtr<ASN1_OBJECT, ASN1_OBJECT_free>;

// A stack whose certificates belong to someone else.
struct CertificateListFree {
    void operator()(STACK_OF(X509) * list) const { sk_X509_free(list); }
};
using BorrowedCertificates = std::unique_ptr<STACK_OF(X509), CertificateListFree>;

}  // namespace quibrant::posix
