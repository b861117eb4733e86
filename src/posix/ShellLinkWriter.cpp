#include "posix/ShellLinkWriter.h"

#include <cctype>
#include <ctime>
#include <vector>

#include "platform/Failure.h"
#include "posix/TextEncoding.h"
#include "posix/WinePaths.h"

namespace quibrant::posix {

namespace {

// Header fields.
constexpr std::uint32_t kHeaderSize = 0x4C;
constexpr std::uint8_t kShellLinkClassId[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr std::uint32_t kHasLinkTargetIdList = 0x01;
constexpr std::uint32_t kHasLinkInfo = 0x02;
constexpr std::uint32_t kHasWorkingDir = 0x10;
constexpr std::uint32_t kHasArguments = 0x20;
constexpr std::uint32_t kHasIconLocation = 0x40;
constexpr std::uint32_t kIsUnicode = 0x80;
constexpr std::uint32_t kAttributeDirectory = 0x10;
constexpr std::uint32_t kAttributeArchive = 0x20;
constexpr std::uint32_t kShowNormal = 1;

// Item ID list: "My Computer", then the drive, then one entry per name.
constexpr std::uint8_t kRootFolderItem = 0x1F;
constexpr std::uint8_t kMyComputerSortIndex = 0x50;
constexpr std::uint8_t kMyComputerClassId[16] = {0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10,
                                                 0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};
constexpr std::uint8_t kVolumeItem = 0x2F;
constexpr std::size_t kVolumeNameField = 22;
constexpr std::uint8_t kFolderItem = 0x31;
constexpr std::uint8_t kFileItem = 0x32;
// The entry's extension that carries its long name in Unicode, in the form
// every Windows version since XP reads.
constexpr std::uint16_t kFileEntryExtensionVersion = 3;
constexpr std::uint32_t kFileEntryExtensionSignature = 0xBEEF0004;
constexpr std::uint16_t kFileEntryExtensionMarker = 0x14;

// Link information.
constexpr std::uint32_t kLinkInfoHeaderSize = 0x1C;
constexpr std::uint32_t kLinkInfoUnicodeHeaderSize = 0x24;
constexpr std::uint32_t kVolumeIdAndLocalBasePath = 0x01;
constexpr std::uint32_t kDriveFixed = 3;
constexpr std::uint32_t kVolumeIdSize = 0x11;
constexpr std::uint32_t kVolumeLabelOffset = 0x10;

constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr std::uint64_t kFileTimeTicksPerSecond = 10000000;

class Bytes {
  public:
    void u8(std::uint8_t v) { data_.push_back(static_cast<char>(v)); }
    void u16(std::uint16_t v) {
        u8(static_cast<std::uint8_t>(v));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        u16(static_cast<std::uint16_t>(v));
        u16(static_cast<std::uint16_t>(v >> 16));
    }
    void u64(std::uint64_t v) {
        u32(static_cast<std::uint32_t>(v));
        u32(static_cast<std::uint32_t>(v >> 32));
    }
    void raw(const std::uint8_t* data, std::size_t size) {
        data_.append(reinterpret_cast<const char*>(data), size);
    }
    void text(const std::string& bytes) { data_ += bytes; }
    void utf16(const std::u16string& units) {
        for (const char16_t unit : units) {
            u16(static_cast<std::uint16_t>(unit));
        }
    }
    void zeros(std::size_t count) { data_.append(count, '\0'); }
    void append(const Bytes& other) { data_ += other.data_; }
    std::size_t size() const { return data_.size(); }
    // Overwrites a 16-bit value written earlier.
    void patch16(std::size_t at, std::uint16_t v) {
        data_[at] = static_cast<char>(v & 0xFF);
        data_[at + 1] = static_cast<char>(v >> 8);
    }
    const std::string& str() const { return data_; }

  private:
    std::string data_;
};

std::uint64_t fileTime(std::int64_t unixSeconds) {
    if (unixSeconds <= 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(unixSeconds + kSecondsFrom1601To1970) *
           kFileTimeTicksPerSecond;
}

// A date and time as the FAT file system keeps them: date first, then time
// in two-second steps; 0 for unknown times and those before 1980.
std::uint32_t fatDateTime(std::int64_t unixSeconds) {
    if (unixSeconds <= 0) {
        return 0;
    }
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm utc{};
    if (gmtime_r(&t, &utc) == nullptr || utc.tm_year < 80 || utc.tm_year > 207) {
        return 0;
    }
    const auto date = static_cast<std::uint32_t>(((utc.tm_year - 80) << 9) |
                                                 ((utc.tm_mon + 1) << 5) | utc.tm_mday);
    const auto time =
        static_cast<std::uint32_t>((utc.tm_hour << 11) | (utc.tm_min << 5) | (utc.tm_sec / 2));
    return date | (time << 16);
}

std::vector<std::string> pathNames(const std::string& path) {
    std::vector<std::string> names;
    std::string current;
    for (std::size_t i = 3; i < path.size(); ++i) {
        if (path[i] == '\\' || path[i] == '/') {
            if (!current.empty()) {
                names.push_back(current);
            }
            current.clear();
        } else {
            current += path[i];
        }
    }
    if (!current.empty()) {
        names.push_back(current);
    }
    return names;
}

constexpr const char* kTooLong =
    "La ruta del acceso directo es demasiado larga para guardarla en el archivo del acceso "
    "directo";

// A size or count for one of the format's 16-bit fields. One that does not
// fit is refused: cut to 16 bits it would make a link that points elsewhere
// or that no reader can follow.
std::uint16_t size16(std::size_t size) {
    if (size > 0xFFFF) {
        throw platform::Failure(platform::errors::kBadFileNameOrNumber, kTooLong);
    }
    return static_cast<std::uint16_t>(size);
}

Bytes fileEntryItem(const std::string& name, bool isFolder, const ShellLinkTarget* target) {
    Bytes item;
    item.u16(0);  // size, patched below
    item.u8(isFolder ? kFolderItem : kFileItem);
    item.u8(0);
    item.u32(target != nullptr && !isFolder ? static_cast<std::uint32_t>(target->size) : 0);
    item.u32(target != nullptr ? fatDateTime(target->writeTime) : 0);
    item.u16(static_cast<std::uint16_t>(isFolder ? kAttributeDirectory : kAttributeArchive));
    item.text(utf8ToWindows1252(name, '_'));
    item.u8(0);
    if (item.size() % 2 != 0) {
        item.u8(0);
    }

    const std::size_t extensionStart = item.size();
    const std::u16string longName = utf8ToUtf16(name);
    item.u16(size16(22 + 2 * (longName.size() + 1)));
    item.u16(kFileEntryExtensionVersion);
    item.u32(kFileEntryExtensionSignature);
    item.u32(target != nullptr ? fatDateTime(target->creationTime) : 0);
    item.u32(target != nullptr ? fatDateTime(target->accessTime) : 0);
    item.u16(kFileEntryExtensionMarker);
    item.u16(0);  // no localized name
    item.utf16(longName);
    item.u16(0);
    item.u16(size16(extensionStart));

    item.patch16(0, size16(item.size()));
    return item;
}

Bytes idList(const ShellLinkTarget& target) {
    Bytes items;
    items.u16(20);
    items.u8(kRootFolderItem);
    items.u8(kMyComputerSortIndex);
    items.raw(kMyComputerClassId, sizeof kMyComputerClassId);

    items.u16(static_cast<std::uint16_t>(3 + kVolumeNameField));
    items.u8(kVolumeItem);
    std::string volume = target.path.substr(0, 2) + "\\";
    volume[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(volume[0])));
    items.text(volume);
    items.zeros(kVolumeNameField - volume.size());

    const std::vector<std::string> names = pathNames(target.path);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const bool last = i + 1 == names.size();
        items.append(fileEntryItem(names[i], !last || target.isFolder, last ? &target : nullptr));
    }

    Bytes list;
    list.u16(size16(items.size() + 2));
    list.append(items);
    list.u16(0);
    return list;
}

Bytes linkInfo(const std::string& path) {
    const bool unicode = !isAscii(path);
    const std::uint32_t headerSize = unicode ? kLinkInfoUnicodeHeaderSize : kLinkInfoHeaderSize;
    const std::string ansiPath = utf8ToWindows1252(path);
    const std::u16string widePath = utf8ToUtf16(path);

    const std::uint32_t volumeOffset = headerSize;
    const std::uint32_t localPathOffset = volumeOffset + kVolumeIdSize;
    const std::uint32_t suffixOffset =
        localPathOffset + static_cast<std::uint32_t>(ansiPath.size() + 1);
    const std::uint32_t wideLocalPathOffset = suffixOffset + 1;
    const std::uint32_t wideSuffixOffset =
        wideLocalPathOffset + static_cast<std::uint32_t>(2 * (widePath.size() + 1));
    const std::uint32_t size = unicode ? wideSuffixOffset + 2 : suffixOffset + 1;

    Bytes info;
    info.u32(size);
    info.u32(headerSize);
    info.u32(kVolumeIdAndLocalBasePath);
    info.u32(volumeOffset);
    info.u32(localPathOffset);
    info.u32(0);  // no network location
    info.u32(suffixOffset);
    if (unicode) {
        info.u32(wideLocalPathOffset);
        info.u32(wideSuffixOffset);
    }
    info.u32(kVolumeIdSize);
    info.u32(kDriveFixed);
    info.u32(0);  // serial number: not known on this side
    info.u32(kVolumeLabelOffset);
    info.u8(0);  // empty label
    info.text(ansiPath);
    info.u8(0);
    info.u8(0);  // empty common path suffix
    if (unicode) {
        info.utf16(widePath);
        info.u16(0);
        info.u16(0);
    }
    return info;
}

void stringData(Bytes& out, const std::string& text) {
    const std::u16string units = utf8ToUtf16(text);
    out.u16(size16(units.size()));
    out.utf16(units);
}

}  // namespace

std::string shellLinkBytes(const ShellLink& link) {
    const bool onDrive = WinePaths::isDrivePath(link.target.path);
    std::uint32_t flags = kIsUnicode;
    if (onDrive) {
        flags |= kHasLinkTargetIdList | kHasLinkInfo;
    }
    if (!link.workingDirectory.empty()) {
        flags |= kHasWorkingDir;
    }
    if (!link.arguments.empty()) {
        flags |= kHasArguments;
    }
    if (!link.iconLocation.empty()) {
        flags |= kHasIconLocation;
    }

    Bytes out;
    out.u32(kHeaderSize);
    out.raw(kShellLinkClassId, sizeof kShellLinkClassId);
    out.u32(flags);
    out.u32(link.target.isFolder ? kAttributeDirectory : kAttributeArchive);
    out.u64(fileTime(link.target.creationTime));
    out.u64(fileTime(link.target.accessTime));
    out.u64(fileTime(link.target.writeTime));
    out.u32(static_cast<std::uint32_t>(link.target.size));
    out.u32(static_cast<std::uint32_t>(link.iconIndex));
    out.u32(kShowNormal);
    out.u16(0);  // no hot key
    out.zeros(10);

    if (onDrive) {
        out.append(idList(link.target));
        out.append(linkInfo(link.target.path));
    }
    if (!link.workingDirectory.empty()) {
        stringData(out, link.workingDirectory);
    }
    if (!link.arguments.empty()) {
        stringData(out, link.arguments);
    }
    if (!link.iconLocation.empty()) {
        stringData(out, link.iconLocation);
    }
    out.u32(0);  // no extra data blocks
    return out.str();
}

}  // namespace quibrant::posix
