#include "curl/TrustedAuthorities.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include "curl/BuiltInAuthorities.h"

namespace quibrant::curl {

namespace {

struct FreeBio {
    void operator()(BIO* bio) const { BIO_free(bio); }
};

}  // namespace

void CertificateAuthorities::FreeCertificate::operator()(X509* certificate) const {
    X509_free(certificate);
}

CertificateAuthorities::CertificateAuthorities(const std::string& pem) {
    if (pem.empty()) {
        return;
    }
    const std::unique_ptr<BIO, FreeBio> bio(
        BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    while (bio) {
        X509* certificate = PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr);
        if (certificate == nullptr) {
            break;
        }
        certificates_.emplace_back(certificate);
    }
    // Reading stops at the end of the text with an error on OpenSSL's queue;
    // left there, it would be blamed on the next secure connection.
    ERR_clear_error();
}

void CertificateAuthorities::addTo(SSL_CTX* context) const {
    X509_STORE* store = SSL_CTX_get_cert_store(context);
    for (const auto& certificate : certificates_) {
        // The store takes its own reference; a certificate already there
        // (the same authority installed on the system) is not an error.
        X509_STORE_add_cert(store, certificate.get());
    }
    ERR_clear_error();
}

TrustedAuthorities TrustedAuthorities::builtIn() {
    return {"", kBuiltInAuthoritiesPem};
}

}  // namespace quibrant::curl
