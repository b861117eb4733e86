#include <array>
#include <cctype>
#include <memory>

#include "app/DownloadForm.h"
#include "platform/Failure.h"
#include "platform/Paths.h"

namespace quibrant {

namespace {

// Drives A and B are floppy drives and never probed.
constexpr const char* kProbedDrives = "cdefghijklmnopqrstuvwxyz";
// Where an installed copy lives on a drive, newest version first; names are
// joined with the platform separator.
constexpr std::array<std::array<const char*, 2>, 4> kInstallationFolders = {{
    {"Quibrant7", nullptr},
    {"Quibrant", "Quibrant7"},
    {"Quibrant6", nullptr},
    {"Quibrant", "Quibrant6"},
}};
constexpr const char* kIniFileName = "Quibrant.ini";
constexpr const char* kServerLocationKey = "UBICACIONSERVIDOR";
constexpr std::size_t kKeyLength = 17;
constexpr const char* kSetupFolderName = "Setup";

std::string trimSpaces(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// The value of a trimmed line that starts with the key (only its first 17
// characters are compared, in any letter case); false for any other line.
// The character after the key is the separator and is skipped whatever it is;
// when it is a space, the line was written "KEY = value", so the spaces and
// one equals sign go instead.
bool keyValue(const std::string& line, std::string& value) {
    if (upper(line.substr(0, kKeyLength)) != kServerLocationKey) {
        return false;
    }
    std::size_t start = kKeyLength + 1;
    if (line.size() > kKeyLength && line[kKeyLength] == ' ') {
        start = line.find_first_not_of(' ', kKeyLength);
        if (start != std::string::npos && line[start] == '=') {
            ++start;
        }
    }
    value = start < line.size() ? trimSpaces(line.substr(start)) : "";
    return true;
}

}  // namespace

void DownloadForm::FindExistingInstallation() {
    std::unique_ptr<platform::TextStream> stream;
    try {
        platform::FileSystem& fs = fileSystem();
        state_.InstallFolder = fs.systemDriveRoot();

        std::string installation;
        for (const char* drive = kProbedDrives; *drive != '\0' && installation.empty(); ++drive) {
            for (const auto& names : kInstallationFolders) {
                std::string candidate = std::string(1, *drive) + ":" + platform::kSep + names[0];
                if (names[1] != nullptr) {
                    candidate += platform::kSep + std::string(names[1]);
                }
                // The first folder found settles it, ini file or not.
                if (fs.FolderExists(candidate)) {
                    installation = candidate;
                    break;
                }
            }
        }
        if (installation.empty()) {
            return;
        }

        const std::string iniPath = installation + platform::kSep + kIniFileName;
        if (!fs.FileExists(iniPath)) {
            return;
        }
        stream = fs.OpenTextFile(iniPath);
        std::string value;
        // The whole file is read: ini files separate their sections with
        // blank lines, and the key may stand after one.
        while (!stream->AtEndOfStream()) {
            const std::string line = trimSpaces(stream->ReadLine());
            if (!line.empty() && keyValue(line, value)) {
                break;
            }
        }
        stream->Close();
        stream.reset();

        if (value.empty()) {
            return;
        }
        // The ini file names the location the Windows way; this platform may
        // reach it under another path.
        value = fs.mapPath(value);
        if (value.back() != platform::kSep) {
            value += platform::kSep;
        }
        value += kSetupFolderName;
        if (!fs.FolderExists(value)) {
            fs.CreateFolder(value);
        }
        if (!fs.FolderExists(value)) {
            value.clear();
        }
        if (!value.empty()) {
            state_.InstallFolder = value + platform::kSep;
        }
    } catch (const platform::Failure&) {
        // Discovery only proposes a default; whatever fails leaves the
        // default in place, silently. The stream, if open, closes with it.
    }
}

}  // namespace quibrant
