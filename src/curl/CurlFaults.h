#pragma once

#include <curl/curl.h>

#include "transfer/TransferFailures.h"

namespace quibrant::curl {

// What libcurl reported for a request that failed, gathered when it ended.
struct CurlOutcome {
    CURLcode result = CURLE_OK;
    // The certificate check's verdict (X509_V_OK when it passed).
    long verifyResult = 0;
    // The system's error number of the last socket call.
    long osError = 0;
    // The proxy's status for CONNECT; 0 without a proxy.
    long proxyStatus = 0;
};

CurlOutcome outcomeOf(CURL* easy, CURLcode result);

// The fault the core words for the user; libcurl's own text is never shown.
transfer::TransferFault faultOf(const CurlOutcome& outcome);

}  // namespace quibrant::curl
