#include "qt/CurlTransfer.h"

#include <chrono>
#include <utility>

// How the transfer asks again for the rest of a body whose connection broke,
// and what it takes from an answer to judge whether it is that rest.

namespace quibrant::qt {

transfer::BodyHeaders CurlTransfer::bodyHeaders(const HttpAnswer& answer) {
    return {answer.status, answer.header("Content-Length"), answer.header("Content-Range"),
            answer.header("ETag"), answer.header("Last-Modified")};
}

void CurlTransfer::resumeAfterBreak(platform::Failure withoutResume) {
    if (!version_ || resumes_ >= transfer::kMostResumes || received_ >= version_->length) {
        fail(std::move(withoutResume));
    }
    ++resumes_;
    lastBreak_.emplace(std::move(withoutResume));
    dropRequest();
    ended_ = false;
    outcome_ = CurlOutcome{};
    resuming_ = true;
    verdict_.reset();

    // A server that has just dropped the connection is given a moment; the
    // window's events run meanwhile, and a cancel ends the wait at once.
    const auto until =
        std::chrono::steady_clock::now() + transfer::resumeWait(resumes_, resumeWait_);
    for (auto now = std::chrono::steady_clock::now(); now < until;
         now = std::chrono::steady_clock::now()) {
        waitForData(std::chrono::ceil<std::chrono::milliseconds>(until - now));
    }

    // Asked afresh, with the first request's rule for trust and credentials.
    CurlRequest::Setup setup = setupFor(answerUrl_);
    for (const auto& [name, value] : transfer::resumeRequestHeaders(*version_, received_)) {
        setup.headers.push_back(name + ": " + value);
    }
    hops_ = 0;
    credentialsGiven_ = false;
    issue(std::move(setup));
}

void CurlTransfer::refuseResumed() {
    const bool changed = verdict_ == transfer::ResumeVerdict::kChanged;
    dropRequest();
    if (changed) {
        fail(transfer::brokenBody(transfer::TransferFault::kChangedOnServer, bodyProgress(), ""));
    }
    fail(std::move(*lastBreak_));
}

}  // namespace quibrant::qt
