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

}  // namespace

Download::Download(platform::InternetTransfer& inet, platform::Window& window,
                   platform::ProgressBarView& bar, platform::Captioned& progressFrame)
    : inet_(inet), window_(window), bar_(bar), progressFrame_(progressFrame) {}

void Download::request(const std::string& url, const std::string& destination,
                       platform::FileSystem& fs, platform::SignatureCheck* signatures) {
    if (destination.empty()) {
        throw platform::Failure(platform::errors::kBadFileNameOrNumber, kNoDestination);
    }
    removePartialFile();
    checkedInstaller_.reset();
    // Made before anything is fetched: a destination that cannot be written
    // is told at once, not after the whole body has arrived. Only a file this
    // download created is ever removed again.
    fs_ = &fs;
    platform::PartialFile partial = fs.createPartialFile(destination);
    partialFile_ = std::move(partial.file);
    partialPath_ = std::move(partial.path);
    destination_ = destination;
    written_ = signatures != nullptr ? signatures->digestWhileWriting(partial.identity) : nullptr;
    try {
        inet_.setSetting14(0);
        inet_.setURL(platform::trimSpaces(url));
        inet_.Execute(kGet);
        awaitingAnswer_ = true;
    } catch (const platform::Failure&) {
        inet_.Cancel();
        removePartialFile();
        throw;
    }
}

bool Download::receive(const FileCheck& check) {
    awaitingAnswer_ = false;
    // A completion after the download ended (or before it began) has no file
    // to go to.
    if (!partialFile_) {
        return false;
    }
    const std::uint32_t generation = generation_;
    checkStatus(inet_.responseCode(), inet_.GetHeader(kLocationHeader));
    const std::int32_t contentLength = parseContentLength(inet_.GetHeader(kContentLengthHeader));

    receiveBody(contentLength, generation);
    if (generation != generation_) {
        return false;
    }

    // Moved out first: a close that fails still leaves no open handle behind.
    const std::unique_ptr<platform::BinaryFile> file = std::move(partialFile_);
    file->close();
    // A refused file is gone before anyone is told about it, so it can never
    // be mistaken for the installer.
    std::shared_ptr<platform::CheckedFile> checked;
    try {
        checked = check(partialPath_, written_.get());
        written_.reset();
    } catch (const platform::Failure&) {
        removePartialFile();
        throw;
    }
    // The file that was checked takes the installer's name, and the check
    // goes on holding it there until it starts.
    if (checked) {
        checked->moveTo(destination_);
    } else {
        fs_->replaceFile(partialPath_, destination_);
    }
    partialPath_.clear();
    checkedInstaller_ = std::move(checked);
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
        if (written_) {
            written_->add(chunk.data(), chunk.size());
        }
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
    written_.reset();
    checkedInstaller_.reset();
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
