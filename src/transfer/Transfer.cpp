#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "app/DownloadForm.h"
#include "transfer/ProgressText.h"
#include "transfer/Response.h"

namespace quibrant {

namespace {

using platform::InternetTransfer;

constexpr std::int16_t kPieceSize = 1024;
constexpr const char* kContentLengthHeader = "Content-length";
// Names the body while it arrives; nobody takes it for an installer.
constexpr const char* kPartialSuffix = ".descarga";
constexpr const char* kDownloaded = "Archivo descargado correctamente";
constexpr const char* kNoDestination = "No se indicó el archivo de destino.";
constexpr const char* kTooManyNotifications =
    "La conexión envió demasiados avisos de estado; la descarga se detuvo.";

}  // namespace

void DownloadForm::Inet1_StateChanged(std::int16_t State) {
    const std::uint32_t generation = downloadGeneration_;
    try {
        if (State != InternetTransfer::kResponseCompleted) {
            if (state_.StateChangeCount == std::numeric_limits<std::int32_t>::max()) {
                throw platform::Failure(platform::errors::kOverflow, kTooManyNotifications);
            }
            ++state_.StateChangeCount;
            controls_.Label2->setCaption(std::to_string(State) + "-" +
                                         std::to_string(state_.StateChangeCount));
            return;
        }
        receiveResponse(generation);
    } catch (const platform::Failure& failure) {
        // A download abandoned while this handler was suspended (the window
        // closing, or a failure already reported) has nothing more to say.
        if (generation != downloadGeneration_) {
            return;
        }
        failTransfer(failure);
    }
}

void DownloadForm::receiveResponse(std::uint32_t generation) {
    InternetTransfer& inet = *controls_.Inet1;

    transfer::checkStatus(inet.responseCode(), inet.responseReason());
    const std::int32_t contentLength =
        transfer::parseContentLength(inet.GetHeader(kContentLengthHeader));

    const std::string destination = controls_.Text2->text();
    if (destination.empty()) {
        throw platform::Failure(platform::errors::kBadFileNameOrNumber, kNoDestination);
    }
    // Only a file this download created is ever removed again.
    const std::string partialPath = destination + kPartialSuffix;
    partialFile_ = fileSystem().createBinaryFile(partialPath);
    partialPath_ = partialPath;

    std::string_view chunk = inet.GetChunk(kPieceSize);
    controls_.window->doEvents();
    if (generation != downloadGeneration_) {
        return;
    }
    bool done = chunk.empty();

    // The count of bytes is kept exactly; the bar's single-precision value is
    // derived from it each time, so it can neither drift nor pass the maximum
    // on a body of the announced size.
    std::int64_t received = 0;
    progress_.setValue(0);
    progress_.setMax(static_cast<float>(contentLength));
    received += static_cast<std::int64_t>(chunk.size());
    transfer::checkBodyLength(received, contentLength, false);
    progress_.setValue(static_cast<float>(received));

    while (!done) {
        partialFile_->write(chunk.data(), chunk.size());
        chunk = inet.GetChunk(kPieceSize);
        controls_.window->doEvents();
        if (generation != downloadGeneration_) {
            return;
        }
        received += static_cast<std::int64_t>(chunk.size());
        transfer::checkBodyLength(received, contentLength, false);
        progress_.setValue(static_cast<float>(received));
        transfer::formatProgressText(progress_.value(), contentLength, progressCaption_);
        controls_.Frame1->setCaption(progressCaption_);
        done = chunk.empty();
    }

    transfer::checkBodyLength(received, contentLength, true);
    completeDownload(destination);
}

void DownloadForm::completeDownload(const std::string& destination) {
    // Moved out first: a close that fails still leaves no open handle behind.
    const std::unique_ptr<platform::BinaryFile> file = std::move(partialFile_);
    file->close();
    fileSystem().replaceFile(partialPath_, destination);
    partialPath_.clear();

    controls_.Timer1->setEnabled(false);
    controls_.Frame1->setVisible(false);
    progress_.setValue(0);

    if (state_.InstallAfterDownload) {
        RunInstaller();
        return;
    }
    CreateDesktopShortcut(controls_.Text2->text());
    services_.messages->show(kDownloaded, "", platform::MessageIcon::Information);
    services_.process->end();
}

void DownloadForm::failTransfer(const platform::Failure& failure) {
    ++downloadGeneration_;
    controls_.Frame1->setVisible(false);
    controls_.Frame2->setEnabled(true);
    // The user may try again at once; a time-out must not end the program
    // under them for a failure they have already been told about.
    controls_.Timer1->setEnabled(false);
    services_.messages->show(failure.description(), "", platform::MessageIcon::Critical);

    controls_.Inet1->Cancel();
    removePartialFile();
    try {
        progress_.setValue(0);
    } catch (const platform::Failure&) {
        // Zero always lies within the bar's range; nothing to undo.
    }
}

void DownloadForm::discardPartialDownload() {
    ++downloadGeneration_;
    controls_.Inet1->Cancel();
    removePartialFile();
}

void DownloadForm::removePartialFile() {
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
        fileSystem().DeleteFile(path, true);
    } catch (const platform::Failure&) {
        // Best effort: the file may not exist yet, and a leftover one carries a
        // name that nobody mistakes for the installer.
    }
}

}  // namespace quibrant
