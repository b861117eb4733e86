// The form's operations behind its handlers: each hands its work to the
// subsystem that owns the rules and shows the outcome in the window.
#include <limits>
#include <string>

#include "app/DownloadForm.h"
#include "app/FormLayout.h"
#include "app/FormTexts.h"
#include "install/Discovery.h"
#include "install/Launch.h"
#include "install/Shortcut.h"
#include "install/Signature.h"
#include "source/AccessCodes.h"
#include "transfer/DownloadRequest.h"
#include "transfer/Watchdog.h"

namespace quibrant {

// The main server becomes the server in use, and the transfer component gets
// its host and credentials before the user can ask for a download.
void DownloadForm::Option1_Click(std::int16_t /*Index*/) {
    state_.ServerBaseUrl = server_.MainServerBaseUrl;
    state_.SourceUrl = state_.ServerBaseUrl;
    controls_.Text3->setText(state_.ServerBaseUrl);
    controls_.Inet1->setRemoteHost(server_.MainTransferHost);
    controls_.Inet1->setUserName(server_.MainTransferUser);
    controls_.Inet1->setPassword(server_.MainTransferPassword);
}

std::string DownloadForm::NormalizeCode(const std::string& code) const {
    return source::normalizeCode(code);
}

void DownloadForm::EvaluateAccessCode() {
    const source::AccessCodeResult result = source::evaluateAccessCode(
        controls_.Text4->text(), accessCodes_, server_.MainServerBaseUrl, state_.ServerBaseUrl);
    state_.BuildCategory = result.category;
    state_.CodeAccepted = toBoolean16(result.accepted);
    controls_.Text1->setText(result.fileName);
    controls_.Text3->setText(result.folder);
}

void DownloadForm::StartDownload() {
    if (!state_.CodeAccepted) {
        services_.messages->show(texts::kCodeRequired, texts::kCodeRequiredTitle,
                                 platform::MessageIcon::Critical);
        return;
    }
    controls_.Text4->setPasswordChar(kPasswordChar);
    controls_.Frame2->setEnabled(false);
    state_.RequestStartTime = static_cast<float>(services_.clock->seconds());
    controls_.Timer1->setEnabled(true);

    // An older file at the destination stays where it is: the download goes to
    // a partial file and replaces it only once complete.
    state_.SourceUrl = transfer::composeSourceUrl(controls_.Text1->text(), controls_.Text3->text());
    controls_.Frame1->setVisible(true);
    try {
        download_.request(state_.SourceUrl, controls_.Text2->text(), fileSystem(),
                          services_.signatures);
    } catch (const platform::Failure& failure) {
        // The destination cannot be written or the request never left: give
        // the window back before telling the user, so that no time-out can
        // follow the message.
        const TaskbarMirror::FailureShown shown(taskbar_);
        releaseWindow();
        services_.messages->show(failure.description(), "", platform::MessageIcon::Critical);
        return;
    }
    taskbar_.begin();
}

void DownloadForm::Inet1_StateChanged(std::int16_t State) {
    const std::uint32_t generation = download_.generation();
    try {
        if (State != platform::InternetTransfer::kResponseCompleted) {
            if (state_.StateChangeCount == std::numeric_limits<std::int32_t>::max()) {
                throw platform::Failure(platform::errors::kOverflow, texts::kTooManyNotifications);
            }
            ++state_.StateChangeCount;
            controls_.Label2->setCaption(std::to_string(State) + "-" +
                                         std::to_string(state_.StateChangeCount));
            // The request ended without any answer: the component knows why,
            // and the user learns it now rather than from the time-out.
            if (State == platform::InternetTransfer::kError && download_.awaitingAnswer()) {
                FailDownload(controls_.Inet1->requestFailure());
            }
            return;
        }
        const auto vet = [this](const std::string& path, const platform::WrittenDigest* written) {
            return install::requireVendorSignature(*services_.signatures, path,
                                                   install::Vetted::Downloaded, written);
        };
        if (download_.receive(vet)) {
            CompleteDownload();
        }
    } catch (const platform::Failure& failure) {
        // A download abandoned while this handler was suspended (the window
        // closing, or a failure already reported) has nothing more to say.
        if (generation == download_.generation()) {
            FailDownload(failure);
        }
    }
}

void DownloadForm::CompleteDownload() {
    taskbar_.end();
    controls_.Timer1->setEnabled(false);
    controls_.Frame1->setVisible(false);
    download_.clearProgress();
    if (state_.InstallAfterDownload) {
        RunInstaller();
        return;
    }
    // Nothing starts from here: the installer is let go before the user
    // reads the message, so that the shortcut may start it meanwhile.
    download_.takeCheckedInstaller().reset();
    CreateDesktopShortcut(controls_.Text2->text());
    services_.messages->show(texts::kDownloaded, "", platform::MessageIcon::Information);
    services_.process->end();
}

void DownloadForm::FailDownload(const platform::Failure& failure) {
    const TaskbarMirror::FailureShown shown(taskbar_);
    // Abandoned and cleaned up before the message: a receive suspended while
    // the box runs events sees the new generation and stops, and no partial
    // file is left on disk while the user reads about the failure.
    download_.discard();
    releaseWindow();
    download_.clearProgress();
    services_.messages->show(failure.description(), "", platform::MessageIcon::Critical);
}

void DownloadForm::releaseWindow() {
    // The user may try again at once; a time-out must not end the program
    // under them for a failure they have already been told about.
    controls_.Timer1->setEnabled(false);
    controls_.Frame1->setVisible(false);
    controls_.Frame2->setEnabled(true);
}

void DownloadForm::discardPartialDownload() {
    download_.discard();
    taskbar_.end();
}

void DownloadForm::Timer1_Timer() {
    const float elapsed = static_cast<float>(services_.clock->seconds() - state_.RequestStartTime);
    switch (transfer::watchdogVerdict(download_.progress(), elapsed)) {
        case transfer::WatchdogVerdict::Wait:
            return;
        case transfer::WatchdogVerdict::Stop:
            controls_.Timer1->setEnabled(false);
            return;
        case transfer::WatchdogVerdict::TimeOut:
            controls_.Timer1->setEnabled(false);
            // Abandoned before the message: a response arriving while the box
            // is open must not start a download the program is about to end.
            download_.discard();
            {
                // Cleared as the message closes: the program ends right after.
                const TaskbarMirror::FailureShown shown(taskbar_);
                services_.messages->show(texts::kTimeOut, texts::kTimeOutTitle,
                                         platform::MessageIcon::Critical);
            }
            services_.process->end();
    }
}

void DownloadForm::FindExistingInstallation() {
    try {
        state_.InstallFolder = install::findInstallFolder(fileSystem());
    } catch (const platform::Failure&) {
        // Without even the system drive's root there is nothing to propose;
        // the destination keeps what it had.
    }
}

void DownloadForm::RunInstaller() {
    try {
        // Right after a download the installer is the file its check holds.
        install::startInstaller(*services_.process, *services_.signatures, controls_.Text2->text(),
                                download_.takeCheckedInstaller());
    } catch (const install::UntrustedInstaller& refusal) {
        // Nothing started and no shortcut leads to it: the user may choose
        // another file or download again.
        releaseWindow();
        services_.messages->show(refusal.description(), "", platform::MessageIcon::Critical);
        return;
    } catch (const platform::Failure& failure) {
        // The system would not let us start it (or the path is wrong): the
        // user finishes from a shortcut on the desktop instead. A cause the
        // user can remedy (no way to run Windows programs here, a file that
        // is no program) is told as it is instead of the notice.
        if (install::startFailureNamesItsCause(failure)) {
            services_.messages->show(failure.description(), "", platform::MessageIcon::Critical);
        } else {
            services_.messages->show(texts::kElevationNotice, texts::kElevationNoticeTitle,
                                     platform::MessageIcon::Information);
        }
        CreateDesktopShortcut(controls_.Text2->text());
    }
    services_.process->end();
}

std::int32_t DownloadForm::CreateShortCut(const std::string& NameLnk, const std::string& FileName,
                                          const std::string& Destination, const std::string& Args) {
    return install::createShortcut(*services_.process, *services_.shells, NameLnk, FileName,
                                   Destination, Args);
}

void DownloadForm::CreateDesktopShortcut(const std::string& installerPath) {
    const std::int32_t result = CreateShortCut(install::kDesktopShortcutName, installerPath,
                                               install::kDesktopSpecialFolder, "");
    if (result != install::kShortcutCreated) {
        services_.messages->show(install::shortcutFailureMessage(result), "",
                                 platform::MessageIcon::None);
    }
}

}  // namespace quibrant
