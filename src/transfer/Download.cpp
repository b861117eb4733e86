#include "transfer/Download.h"

#include <string_view>

#include "platform/Failure.h"
#include "platform/Text.h"
#include "transfer/ProgressText.h"
#include "transfer/Response.h"

namespace quibrant::transfer {

namespace {

constexpr std::int16_t kPieceSize = 1024;
constexpr const char* kGet = "GET";
constexpr const char* kContentLengthHeader = "Content-length";
constexpr const char* kLocationHeader = "Location";
// Names the body while it arrives; nobody takes it for an installer.
constexpr const char* kPartialSuffix = ".descarga";
constexpr const char* kNoDestination = "No se indicó el archivo de destino.";

}  // namespace

Download::Download(platform::InternetTransfer& inet, platform::Window& window,
                   platform::ProgressBarView& bar, platform::Captioned& progressFrame)
    : inet_(inet), window_(window), bar_(bar), progressFrame_(progressFrame) {}

void Download::request(const std::string& url) {
    try {
        inet_.setSetting14(0);
        inet_.setURL(platform::trimSpaces(url));
        inet_.Execute(kGet);
        awaitingAnswer_ = true;
    } catch (const platform::Failure&) {
        inet_.Cancel();
        throw;
    }
}

bool Download::receive(const std::string& destination, platform::FileSystem& fs,
                       const FileCheck& check) {
    awaitingAnswer_ = false;
    try {
        return receiveFile(destination, fs, check);
    } catch (const platform::Failure& failure) {
        throw namingDestination(failure, destination);
    }
}

platform::Failure Download::namingDestination(const platform::Failure& failure,
                                              const std::string& destination) const {
    // The file services name the file they failed on, and that is the
    // partial file; the user only ever chose, and sees, the destination.
    if (triedPath_.empty() || triedPath_ == destination) {
        return failure;
    }
    std::string description = failure.description();
    for (std::size_t at = description.find(triedPath_); at != std::string::npos;
         at = description.find(triedPath_, at + destination.size())) {
        description.replace(at, triedPath_.size(), destination);
    }
    return platform::Failure(failure.number(), description);
}

bool Download::receiveFile(const std::string& destination, platform::FileSystem& fs,
                           const FileCheck& check) {
    const std::uint32_t generation = generation_;
    checkStatus(inet_.responseCode(), inet_.GetHeader(kLocationHeader));
    const std::int32_t contentLength = parseContentLength(inet_.GetHeader(kContentLengthHeader));
    if (destination.empty()) {
        throw platform::Failure(platform::errors::kBadFileNameOrNumber, kNoDestination);
    }

    // Only a file this download created is ever removed again.
    fs_ = &fs;
    triedPath_ = destination + kPartialSuffix;
    partialFile_ = fs.createBinaryFile(triedPath_);
    partialPath_ = triedPath_;

    receiveBody(contentLength, generation);
    if (generation != generation_) {
        return false;
    }

    // Moved out first: a close that fails still leaves no open handle behind.
    const std::unique_ptr<platform::BinaryFile> file = std::move(partialFile_);
    file->close();
    // A refused file is gone before anyone is told about it, so it can never
    // be mistaken for the installer.
    try {
        check(partialPath_);
    } catch (const platform::Failure&) {
        removePartialFile();
        throw;
    }
    fs.replaceFile(partialPath_, destination);
    partialPath_.clear();
    return true;
}

void Download::receiveBody(std::int32_t contentLength, std::uint32_t generation) {
    std::string_view chunk = inet_.GetChunk(kPieceSize);
    window_.doEvents();
    if (generation != generation_) {
        return;
    }
    bool done = chunk.empty();

    // The count of bytes is kept exactly; the bar's single-precision value is
    // derived from it each time, so it can neither drift nor pass the maximum
    // on a body of the announced size.
    std::int64_t received = 0;
    bar_.setValue(0);
    bar_.setMax(static_cast<float>(contentLength));
    received += static_cast<std::int64_t>(chunk.size());
    checkBodyLength(received, contentLength, false);
    bar_.setValue(static_cast<float>(received));

    while (!done) {
        partialFile_->write(chunk.data(), chunk.size());
        chunk = inet_.GetChunk(kPieceSize);
        window_.doEvents();
        if (generation != generation_) {
            return;
        }
        received += static_cast<std::int64_t>(chunk.size());
        checkBodyLength(received, contentLength, false);
        bar_.setValue(static_cast<float>(received));
        formatProgressText(bar_.value(), contentLength, caption_);
        progressFrame_.setCaption(caption_);
        done = chunk.empty();
    }
    checkBodyLength(received, contentLength, true);
}

void Download::discard() {
    halt();
    inet_.Cancel();
    removePartialFile();
}

void Download::removePartialFile() {
    if (partialFile_) {
        const std::unique_ptr<platform::BinaryFile> file = std::move(partialFile_);
        try {
            file->close();
        } catch (const platform::Failure&) {
            // Its content is thrown away below; a failed flush changes nothing.
        }
    }
    if (partialPath_.empty()) {
        return;
    }
    const std::string path = std::move(partialPath_);
    partialPath_.clear();
    try {
        fs_->DeleteFile(path, true);
    } catch (const platform::Failure&) {
        // Best effort: the file may not exist yet, and a leftover one carries a
        // name that nobody mistakes for the installer.
    }
}

}  // namespace quibrant::transfer
