#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/Boolean.h"
#include "platform/FileSystem.h"

namespace quibrant {

// The fields of the main window shared by all its handlers. They start zeroed,
// empty and without an object, and live as long as the window.
struct FormState {
    // Notifications from the transfer component other than "response completed".
    std::int32_t StateChangeCount = 0;
    Boolean16 InstallAfterDownload = kFalse;
    // The last evaluated access code was valid.
    Boolean16 CodeAccepted = kFalse;
    // Category chosen by the access code; 0 means no valid code.
    float BuildCategory = 0;
    // Folder part of the destination path; ends with the separator.
    std::string DownloadFolder;
    // The chosen server's base URL until a download is requested, then the
    // full URL of the file.
    std::string SourceUrl;
    std::string TempFolder;
    std::string DesktopFolder;
    // Third destination choice: the system drive's root unless an installed
    // copy's setup folder was found.
    std::string InstallFolder;
    // 1 = TempFolder, 2 = DesktopFolder, 3 = InstallFolder.
    float FolderChoice = 0;
    // The program's timer when the last download request was issued.
    float RequestStartTime = 0;
    std::string ServerBaseUrl;
    // Created on first use, kept for the window's life.
    std::unique_ptr<platform::FileSystem> FileSystem;
};

}  // namespace quibrant
