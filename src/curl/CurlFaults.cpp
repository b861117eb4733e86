#include "curl/CurlFaults.h"

#include <openssl/x509_vfy.h>

#include <cerrno>

namespace quibrant::curl {

namespace {

using transfer::TransferFault;

// libcurl reports every refused certificate alike; OpenSSL's verdict tells
// an expired one (often only a wrong clock) from one nobody vouches for.
TransferFault certificateFault(long verifyResult) {
    switch (verifyResult) {
        case X509_V_OK:
        case X509_V_ERR_UNSPECIFIED:
            // The chain was good (libcurl leaves "unspecified" when its own
            // name check refuses the certificate before OpenSSL's verdict is
            // read): the certificate is for another host.
            return TransferFault::kCertificateWrongHost;
        case X509_V_ERR_CERT_HAS_EXPIRED:
        case X509_V_ERR_CERT_NOT_YET_VALID:
        case X509_V_ERR_ERROR_IN_CERT_NOT_BEFORE_FIELD:
        case X509_V_ERR_ERROR_IN_CERT_NOT_AFTER_FIELD:
            return TransferFault::kCertificateDate;
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            return TransferFault::kCertificateWrongHost;
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        case X509_V_ERR_CERT_UNTRUSTED:
            return TransferFault::kCertificateUntrusted;
        default:
            return TransferFault::kCertificateInvalid;
    }
}

}  // namespace

CurlOutcome outcomeOf(CURL* easy, CURLcode result) {
    CurlOutcome outcome;
    outcome.result = result;
    curl_easy_getinfo(easy, CURLINFO_SSL_VERIFYRESULT, &outcome.verifyResult);
    curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &outcome.osError);
    curl_easy_getinfo(easy, CURLINFO_HTTP_CONNECTCODE, &outcome.proxyStatus);
    return outcome;
}

TransferFault faultOf(const CurlOutcome& outcome) {
    if (outcome.proxyStatus != 0 && outcome.proxyStatus != 200) {
        return TransferFault::kProxyFailed;
    }
    switch (outcome.result) {
        case CURLE_COULDNT_RESOLVE_HOST:
            return TransferFault::kHostNotFound;
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_PROXY:
            return TransferFault::kProxyFailed;
        case CURLE_COULDNT_CONNECT:
            return outcome.osError == ECONNREFUSED ? TransferFault::kConnectionRefused
                                                   : TransferFault::kCannotConnect;
        case CURLE_OPERATION_TIMEDOUT:
            return TransferFault::kCannotConnect;
        case CURLE_PEER_FAILED_VERIFICATION:
            return certificateFault(outcome.verifyResult);
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_ENGINE_INITFAILED:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_SHUTDOWN_FAILED:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_CRL_BADFILE:
        case CURLE_USE_SSL_FAILED:
            return TransferFault::kSecureChannelFailed;
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_INVALIDCERTSTATUS:
            return TransferFault::kCertificateInvalid;
        case CURLE_TOO_MANY_REDIRECTS:
            return TransferFault::kTooManyRedirects;
        case CURLE_PARTIAL_FILE:
        case CURLE_GOT_NOTHING:
            return TransferFault::kConnectionClosed;
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
            return outcome.osError == ECONNRESET || outcome.osError == EPIPE
                       ? TransferFault::kConnectionReset
                       : TransferFault::kNetworkFailed;
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_BAD_CONTENT_ENCODING:
        case CURLE_HTTP_RETURNED_ERROR:
        case CURLE_HTTP2:
        case CURLE_HTTP2_STREAM:
        case CURLE_HTTP3:
            return TransferFault::kInvalidResponse;
        default:
            return TransferFault::kNetworkFailed;
    }
}

}  // namespace quibrant::curl
