#pragma once

#include <functional>
#include <string>

#include "check/TargetOutcome.h"
#include "platform/FileSystem.h"
#include "platform/InternetTransfer.h"
#include "platform/SignatureCheck.h"

namespace quibrant::check {

// Fetches targets one at a time exactly as the program downloads an
// installer (the same transfer, answer checks, partial file and signature
// check over the bytes as they are written) into a folder of the check's own,
// and says whether the program would accept each. Runs Qt's event loop of the
// calling thread while a target arrives.
class TargetFetch {
  public:
    // Called with the progress text of the target that is arriving, once per
    // piece of its body.
    using Progress = std::function<void(const std::string& caption)>;

    // `folder` ends with "/"; each target passes through it and is removed
    // once checked. `signer` is the organisation every installer must name.
    TargetFetch(platform::InternetTransfer& inet, platform::SignatureCheck& signatures,
                platform::FileSystem& files, std::string folder, std::string signer);

    TargetOutcome fetch(const MirrorTarget& target, const Progress& progress);
    // Ends the fetch under way, if any, as a failure; from the event loop.
    void stop();

  private:
    platform::InternetTransfer& inet_;
    platform::SignatureCheck& signatures_;
    platform::FileSystem& files_;
    std::string destination_;
    std::string signer_;
    std::function<void()> stop_;
};

}  // namespace quibrant::check
