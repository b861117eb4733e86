#include "win32/services/Win32CheckedFile.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/ServiceFailures.h"
#include "win32/services/Utf16.h"
#include "win32/services/Win32Failure.h"
#include "win32/services/Win32Files.h"

namespace quibrant::win32 {

namespace {

// A full Win32 path as the kernel names it. FILE_RENAME_INFO carries its name
// to the kernel as it is on some versions of Windows, and this form is the
// one every version takes.
std::wstring kernelPathOf(const std::wstring& full) {
    if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0) {
        return L"\\??\\" + full.substr(4);
    }
    if (full.rfind(L"\\\\", 0) == 0) {
        return L"\\??\\UNC\\" + full.substr(2);
    }
    return L"\\??\\" + full;
}

bool sameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace

UniqueHandle Win32CheckedFile::open(const std::wstring& path) {
    QuietDriveErrors quiet;
    // Sharing reading alone is what keeps the file as it is: writing,
    // deleting and renaming all need an access this refuses to share.
    const auto openFor = [&path](DWORD access) {
        return UniqueHandle(
            CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    };
    UniqueHandle file = openFor(GENERIC_READ | DELETE);
    if (!file.valid() &&
        (GetLastError() == ERROR_ACCESS_DENIED || GetLastError() == ERROR_WRITE_PROTECT)) {
        file = openFor(GENERIC_READ);
    }
    return file;
}

void Win32CheckedFile::moveTo(const std::string& destination) {
    const std::wstring target = destination.empty() ? L"" : fullPathOf(widen(destination));
    if (target.empty()) {
        throw systemFailure(destination.empty() ? ERROR_PATH_NOT_FOUND : GetLastError(),
                            platform::failures::kCannotReplace, destination);
    }
    const std::wstring name = kernelPathOf(target);
    const std::size_t nameBytes = name.size() * sizeof(wchar_t);
    const std::size_t size = offsetof(FILE_RENAME_INFO, FileName) + nameBytes + sizeof(wchar_t);
    // Words, so that the structure's handle member is aligned.
    std::vector<std::uint64_t> buffer((size + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(rename->FileName, name.c_str(), nameBytes + sizeof(wchar_t));

    QuietDriveErrors quiet;
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool isFile =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    // Windows replaces no read-only file; the older installer's attribute
    // comes back if the rename fails.
    WritableForNow writable(target, isFile ? attributes : INVALID_FILE_ATTRIBUTES);
    if (!writable.clear() || !SetFileInformationByHandle(file_.get(), FileRenameInfo, rename,
                                                         static_cast<DWORD>(size))) {
        throw replaceFailure(GetLastError(), destination);
    }
    writable.keep();
    // In its place for good; until it starts (or the user starts it from
    // the desktop) it needs reading only.
    holdForReadingOnly();
}

bool Win32CheckedFile::holdForReadingOnly() const {
    if (readingOnly_ || !firm_) {
        return firm_;
    }
    // A second handle beside one with the right to delete must share
    // deleting; the file goes on under the stricter third once the first is
    // closed. Whoever opens it to rename it in the moment between keeps the
    // third from sharing reading alone, and the file then counts as no
    // longer held.
    UniqueHandle bridge(
        ReOpenFile(file_.get(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, 0));
    if (!bridge.valid()) {
        return firm_;
    }
    file_ = std::move(bridge);
    UniqueHandle reader(ReOpenFile(file_.get(), GENERIC_READ, FILE_SHARE_READ, 0));
    firm_ = reader.valid();
    readingOnly_ = firm_;
    if (firm_) {
        file_ = std::move(reader);
    }
    return firm_;
}

bool Win32CheckedFile::isAt(const std::wstring& path) const {
    QuietDriveErrors quiet;
    // Its attributes alone: no sharing to clash with the held handle's.
    const UniqueHandle named(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION there{};
    BY_HANDLE_FILE_INFORMATION held{};
    return named.valid() && GetFileInformationByHandle(named.get(), &there) &&
           GetFileInformationByHandle(file_.get(), &held) && sameFile(there, held);
}

}  // namespace quibrant::win32
