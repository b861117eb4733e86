#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Controls.h"
#include "platform/FileSystem.h"
#include "platform/InternetTransfer.h"
#include "platform/SignatureCheck.h"
#include "transfer/ProgressBar.h"

namespace quibrant::transfer {

// What a download to no destination at all reports.
inline constexpr const char* kNoDestination = "No se indicó el archivo de destino.";

// One download at a time: the request, the body received piece by piece into
// a partial file beside the destination, the progress shown on the bar and in
// the progress frame's caption, and the checks of what the server answers.
// The partial file takes the destination's place only once the whole
// announced body is in; every other ending removes it, so an older installer
// stays intact and nothing incomplete ever carries the installer's name.
class Download {
  public:
    // The window lets its events run after every piece; `progressFrame` shows
    // the progress text.
    Download(platform::InternetTransfer& inet, platform::Window& window,
             platform::ProgressBarView& bar, platform::Captioned& progressFrame);
    Download(const Download&) = delete;
    Download& operator=(const Download&) = delete;

    // Creates the partial file for `destination` on `fs`, then asks the
    // transfer component for `url` (without its surrounding spaces) and
    // returns at once. The bytes written go to a digest of `signatures` too,
    // for the check at the end. Throws Failure when the destination cannot be
    // written or the request cannot be issued, leaving no file and no
    // request behind.
    void request(const std::string& url, const std::string& destination, platform::FileSystem& fs,
                 platform::SignatureCheck* signatures = nullptr);

    // Vets the complete file at the path given, with the digest its bytes
    // were fed to (null when there is none), before it takes the
    // destination's name; throws Failure to refuse it. Returns the file as
    // the check holds it, or null.
    using FileCheck = std::function<std::shared_ptr<platform::CheckedFile>(
        const std::string& path, const platform::WrittenDigest* written)>;

    // Receives the response that has arrived into the destination. True once
    // the file is complete, accepted by `check` and in its place; false when
    // the download was abandoned while the window ran its events. Throws
    // Failure; a refused file is removed first.
    bool receive(const FileCheck& check);

    // The installer the last complete download left, as its check holds it
    // (null when none does); handed over once, so that it starts without
    // being read again.
    std::shared_ptr<platform::CheckedFile> takeCheckedInstaller() {
        return std::move(checkedInstaller_);
    }

    // Changes whenever the download is abandoned, so that a receive suspended
    // while events run, or a failure it raises, can tell it is stale.
    std::uint32_t generation() const { return generation_; }

    // Whether a request was issued and neither its answer nor its end has
    // come yet: the only time a request can fail without any answer.
    bool awaitingAnswer() const { return awaitingAnswer_; }

    // Marks the download abandoned without touching the component or the
    // file yet, e.g. before a message box lets events run.
    void halt() {
        ++generation_;
        awaitingAnswer_ = false;
    }
    // Abandons the download: cancels the transfer and removes the partial
    // file. Never throws.
    void discard();

    // The progress bar's model; its value is the bytes received so far.
    const ProgressBar& bar() const { return bar_; }
    ProgressBar& bar() { return bar_; }
    float progress() const { return bar_.value(); }
    void clearProgress() { bar_.setValue(0); }

  private:
    void receiveBody(std::int32_t contentLength, std::uint32_t generation);
    void removePartialFile();

    platform::InternetTransfer& inet_;
    platform::Window& window_;
    ProgressBar bar_;
    platform::Captioned& progressFrame_;

    platform::FileSystem* fs_ = nullptr;
    std::unique_ptr<platform::BinaryFile> partialFile_;
    std::string partialPath_;
    std::string destination_;
    std::string caption_;
    std::unique_ptr<platform::WrittenDigest> written_;
    std::shared_ptr<platform::CheckedFile> checkedInstaller_;
    std::uint32_t generation_ = 0;
    bool awaitingAnswer_ = false;
};

}  // namespace quibrant::transfer
