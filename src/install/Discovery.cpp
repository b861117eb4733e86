#include "install/Discovery.h"

#include <array>
#include <memory>

#include "platform/Failure.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace quibrant::install {

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

// The first installation folder found, drive by drive; "" when none. The
// first folder found settles it, ini file or not.
std::string findInstallation(platform::FileSystem& fs) {
    for (const char* drive = kProbedDrives; *drive != '\0'; ++drive) {
        for (const auto& names : kInstallationFolders) {
            std::string candidate = std::string(1, *drive) + ":" + platform::kSep + names[0];
            if (names[1] != nullptr) {
                candidate += platform::kSep + std::string(names[1]);
            }
            if (fs.FolderExists(candidate)) {
                return candidate;
            }
        }
    }
    return "";
}

// The value of a trimmed line that starts with the key (only its first 17
// characters are compared, in any letter case); false for any other line.
// The character after the key is the separator and is skipped whatever it is;
// when it is a space, the line was written "KEY = value", so the spaces and
// one equals sign go instead.
bool keyValue(const std::string& line, std::string& value) {
    if (platform::upperCase(line.substr(0, kKeyLength)) != kServerLocationKey) {
        return false;
    }
    std::size_t start = kKeyLength + 1;
    if (line.size() > kKeyLength && line[kKeyLength] == ' ') {
        start = line.find_first_not_of(' ', kKeyLength);
        if (start != std::string::npos && line[start] == '=') {
            ++start;
        }
    }
    value = start < line.size() ? platform::trimSpaces(line.substr(start)) : "";
    // No path holds a NUL; cut there, the system would take a shorter path
    // than the one written.
    if (value.find('\0') != std::string::npos) {
        value.clear();
    }
    return true;
}

// The server location the ini file names; "" when it names none. The whole
// file is read: ini files separate their sections with blank lines, and the
// key may stand after one.
std::string readServerLocation(platform::FileSystem& fs, const std::string& iniPath) {
    const std::unique_ptr<platform::TextStream> stream = fs.OpenTextFile(iniPath);
    std::string value;
    while (!stream->AtEndOfStream()) {
        const std::string line = platform::trimSpaces(stream->ReadLine());
        if (!line.empty() && keyValue(line, value)) {
            break;
        }
    }
    stream->Close();
    return value;
}

// The setup folder below the server location, created when missing; "" when
// it cannot be confirmed.
std::string setupFolderOf(platform::FileSystem& fs, const std::string& location) {
    // The ini file names the location the Windows way; this platform may
    // reach it under another path, where a "setup" folder written in another
    // case is the same folder, as on Windows.
    std::string folder = location;
    if (folder.back() != '\\' && folder.back() != platform::kSep) {
        folder += platform::kSep;
    }
    folder = fs.mapPath(folder + kSetupFolderName);
    if (!fs.FolderExists(folder)) {
        fs.CreateFolder(folder);
    }
    return fs.FolderExists(folder) ? folder + platform::kSep : "";
}

}  // namespace

std::string findInstallFolder(platform::FileSystem& fs) {
    const std::string root = fs.systemDriveRoot();
    try {
        const std::string installation = findInstallation(fs);
        if (installation.empty()) {
            return root;
        }
        const std::string iniPath = installation + platform::kSep + kIniFileName;
        if (!fs.FileExists(iniPath)) {
            return root;
        }
        const std::string location = readServerLocation(fs, iniPath);
        if (location.empty()) {
            return root;
        }
        const std::string setup = setupFolderOf(fs, location);
        return setup.empty() ? root : setup;
    } catch (const platform::Failure&) {
        return root;
    }
}

}  // namespace quibrant::install
