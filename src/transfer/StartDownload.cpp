#include <algorithm>
#include <cctype>
#include <string>

#include "app/DownloadForm.h"

namespace quibrant {

namespace {

constexpr const char* kCodeRequired = "Debe introducir una CONTRASEÑA válida.";
constexpr const char* kCodeRequiredTitle = "CONTRASEÑA";
constexpr const char* kMask = "*";
constexpr const char* kGet = "GET";

std::string upperAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// A file-name box that holds an address of its own is fetched as typed; only
// its first four characters are compared, so "https://" counts as well.
bool isFullAddress(const std::string& fileName) {
    const std::string upper = upperAscii(fileName);
    return upper.compare(0, 4, "HTTP") == 0 || upper.find("WWW.") != std::string::npos;
}

std::string trimSpaces(const std::string& text) {
    const std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos) {
        return "";
    }
    const std::size_t end = text.find_last_not_of(' ');
    return text.substr(begin, end - begin + 1);
}

}  // namespace

void DownloadForm::StartDownload() {
    if (!state_.CodeAccepted) {
        services_.messages->show(kCodeRequired, kCodeRequiredTitle,
                                 platform::MessageIcon::Critical);
        return;
    }

    controls_.Text4->setPasswordChar(kMask);
    controls_.Frame2->setEnabled(false);
    state_.RequestStartTime = static_cast<float>(services_.clock->seconds());
    controls_.Timer1->setEnabled(true);

    // An older file at the destination stays where it is: the download goes to
    // a partial file and replaces it only once complete.
    const std::string fileName = controls_.Text1->text();
    state_.SourceUrl = isFullAddress(fileName) ? fileName : controls_.Text3->text() + fileName;

    controls_.Frame1->setVisible(true);

    try {
        controls_.Inet1->setSetting14(0);
        controls_.Inet1->setURL(trimSpaces(state_.SourceUrl));
        controls_.Inet1->Execute(kGet);
    } catch (const platform::Failure& failure) {
        // The request never left: give the window back before telling the
        // user, so that no time-out can follow the message.
        controls_.Inet1->Cancel();
        controls_.Timer1->setEnabled(false);
        controls_.Frame1->setVisible(false);
        controls_.Frame2->setEnabled(true);
        services_.messages->show(failure.description(), "", platform::MessageIcon::Critical);
    }
}

}  // namespace quibrant
