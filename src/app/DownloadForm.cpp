#include "app/DownloadForm.h"
#include "app/FormLayout.h"
#include "app/FormTexts.h"

#include <algorithm>
#include <utility>

#include "platform/Paths.h"

namespace quibrant {

namespace {

// Written at activation; the folder picture writes kCycledSetupName instead.
constexpr const char* kActivationSetupName = "Quibrant_Setup.exe";
constexpr const char* kCycledSetupName = "Quibrant6_Setup.exe";
constexpr const char* kDesktopFolderName = "Desktop";

constexpr std::size_t kLongPathBufferSize = 255;
constexpr std::int16_t kEnterKey = 13;
constexpr platform::Color kFocusedColor = 0x00FFFF;    // yellow
constexpr platform::Color kUnfocusedColor = 0xFFFFFF;  // white

void appendSeparator(std::string& folder) {
    if (folder.empty()) {
        folder = std::string(1, platform::kSep);
    } else if (folder.back() != platform::kSep) {
        folder += platform::kSep;
    }
}

}  // namespace

DownloadForm::DownloadForm(const Controls& controls, const Services& services, ServerConfig server,
                           const AccessCodeTable& accessCodes)
    : controls_(controls),
      services_(services),
      server_(std::move(server)),
      accessCodes_(accessCodes),
      taskbar_(*controls.ProgressBar1, controls.taskbar),
      download_(*controls.Inet1, *controls.window, taskbar_, *controls.Frame1) {}

void DownloadForm::Form_Load() {
    controls_.window->setCaption(texts::kWindowCaption);

    // The open padlock sits exactly on the closed one; only one of them shows.
    platform::PictureBox& closedLock = *controls_.Picture1_0;
    platform::PictureBox& openLock = *controls_.Picture1_1;
    openLock.move(openLock.left(), closedLock.top());
    openLock.move(closedLock.left(), openLock.top());

    state_.FolderChoice = 1;

    if (state_.TempFolder.empty()) {
        state_.TempFolder = GetDirTemp("temp");
    }
    if (state_.TempFolder.empty()) {
        state_.TempFolder = GetDirTemp("tmp");
    }
    if (state_.TempFolder.empty()) {
        state_.TempFolder = GetDirTemp("HOMEDRIVE");
    }
    appendSeparator(state_.TempFolder);

    state_.DownloadFolder = state_.TempFolder;

    if (state_.DesktopFolder.empty()) {
        const std::string profile = GetDirTemp("userprofile");
        state_.DesktopFolder =
            profile.empty() ? state_.TempFolder : services_.environment->desktopFolderOf(profile);
    }
    appendSeparator(state_.DesktopFolder);
}

void DownloadForm::Form_Activate() {
    selectOption1(1);
    state_.SourceUrl = state_.ServerBaseUrl;
    controls_.Text3->setText(state_.SourceUrl);

    FindExistingInstallation();

    controls_.Text2->setText(state_.InstallFolder + kActivationSetupName);
    state_.FolderChoice = 3;
    controls_.Text1->setText("");
}

std::string DownloadForm::GetDirTemp(const std::string& Dire) {
    if (services_.environment->variable(Dire).empty()) {
        return "";
    }
    // The variable is read again for the expansion, as it may have changed.
    std::string longPath = services_.environment->longPathName(
        services_.environment->variable(Dire), kLongPathBufferSize);
    longPath.erase(std::remove(longPath.begin(), longPath.end(), '\0'), longPath.end());
    return longPath;
}

void DownloadForm::Form_KeyPress(std::int16_t& KeyAscii) {
    if (KeyAscii == kEnterKey) {
        controls_.window->sendTab();
        KeyAscii = 0;
    }
}

void DownloadForm::Text1_GotFocus() {
    controls_.Text1->setBackColor(kFocusedColor);
}
void DownloadForm::Text2_GotFocus() {
    controls_.Text2->setBackColor(kFocusedColor);
}
void DownloadForm::Text3_GotFocus() {
    controls_.Text3->setBackColor(kFocusedColor);
}
void DownloadForm::Text4_GotFocus() {
    controls_.Text4->setBackColor(kFocusedColor);
}
void DownloadForm::Text1_LostFocus() {
    controls_.Text1->setBackColor(kUnfocusedColor);
}
void DownloadForm::Text2_LostFocus() {
    controls_.Text2->setBackColor(kUnfocusedColor);
}
void DownloadForm::Text3_LostFocus() {
    controls_.Text3->setBackColor(kUnfocusedColor);
}

void DownloadForm::Text4_LostFocus() {
    controls_.Text4->setBackColor(kUnfocusedColor);
    EvaluateAccessCode();
}

void DownloadForm::Command1_Click() {
    state_.InstallAfterDownload = kTrue;
    StartDownload();
}

void DownloadForm::Command2_Click() {
    state_.InstallAfterDownload = kFalse;
    StartDownload();
}

void DownloadForm::Command3_Click() {
    RunInstaller();
}

void DownloadForm::Picture1_Click(std::int16_t /*Index*/) {
    // Acts on the mask, not on the picture shown: a download masks the code
    // again without touching the pictures.
    if (controls_.Text4->passwordChar() == kPasswordChar) {
        controls_.Picture1_1->setVisible(true);
        controls_.Picture1_0->setVisible(false);
        controls_.Text4->setPasswordChar("");
    } else {
        controls_.Picture1_0->setVisible(true);
        controls_.Picture1_1->setVisible(false);
        controls_.Text4->setPasswordChar(kPasswordChar);
    }
    controls_.Text4->setFocus();
}

void DownloadForm::Picture2_Click(std::int16_t Index) {
    if (Index != 0) {
        return;
    }
    state_.FolderChoice = state_.FolderChoice + 1;
    if (state_.FolderChoice == 4) {
        state_.FolderChoice = 1;
    }
    if (state_.FolderChoice == 1) {
        state_.DownloadFolder = state_.TempFolder;
    }
    if (state_.FolderChoice == 3) {
        state_.DownloadFolder = state_.InstallFolder;
    }
    if (state_.FolderChoice == 2) {
        state_.DownloadFolder = state_.DesktopFolder;
    }
    controls_.Text2->setText(state_.DownloadFolder + kCycledSetupName);
}

void DownloadForm::selectOption1(std::int16_t index) {
    controls_.Option1(index)->setValue(true);
    Option1_Click(index);
}

platform::FileSystem& DownloadForm::fileSystem() {
    if (!state_.FileSystem) {
        state_.FileSystem = services_.fileSystems->createFileSystem();
    }
    return *state_.FileSystem;
}

}  // namespace quibrant
