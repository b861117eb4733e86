#include "posix/PeImage.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <vector>

namespace quibrant::posix {

namespace {

constexpr std::uint64_t kNewHeaderPointer = 0x3C;
constexpr std::uint64_t kFileHeaderSize = 20;
constexpr std::uint64_t kChecksumInOptionalHeader = 64;
constexpr std::uint16_t kPe32 = 0x10B;
constexpr std::uint16_t kPe32Plus = 0x20B;
// Offset of NumberOfRvaAndSizes in the optional header; the directories follow it.
constexpr std::uint64_t kDirectoryCountPe32 = 92;
constexpr std::uint64_t kDirectoryCountPe32Plus = 108;
constexpr std::uint32_t kCertificateDirectory = 4;
constexpr std::size_t kReadBlock = 64 * 1024;

}  // namespace

std::uint32_t littleEndian(const std::string& bytes, std::size_t at, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    }
    return value;
}

bool readExactly(int fd, std::uint64_t offset, std::size_t size, std::string& bytes) {
    bytes.resize(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got =
            ::pread(fd, bytes.data() + done, size - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

PeShape readPeLayout(const ReadAt& read, std::uint64_t fileSize, PeLayout& layout) {
    layout = PeLayout{};
    layout.fileSize = fileSize;
    std::string bytes;
    if (fileSize < kNewHeaderPointer + 4 || !read(0, 2, bytes) || bytes != "MZ" ||
        !read(kNewHeaderPointer, 4, bytes)) {
        return PeShape::NotPe;
    }
    const std::uint64_t peHeader = littleEndian(bytes, 0, 4);
    const std::uint64_t optionalHeader = peHeader + 4 + kFileHeaderSize;
    if (optionalHeader + 2 > fileSize || !read(peHeader, 4, bytes) ||
        bytes != std::string("PE\0\0", 4)) {
        return PeShape::NotPe;
    }
    if (!read(peHeader + 4 + 16, 2, bytes)) {
        return PeShape::Damaged;
    }
    const std::uint64_t optionalSize = littleEndian(bytes, 0, 2);
    if (!read(optionalHeader, 2, bytes)) {
        return PeShape::Damaged;
    }
    const std::uint32_t magic = littleEndian(bytes, 0, 2);
    if (magic != kPe32 && magic != kPe32Plus) {
        return PeShape::Damaged;
    }
    const std::uint64_t countOffset =
        optionalHeader + (magic == kPe32 ? kDirectoryCountPe32 : kDirectoryCountPe32Plus);
    const std::uint64_t entryOffset = countOffset + 4 + 8 * kCertificateDirectory;
    if (entryOffset + 8 > optionalHeader + optionalSize || entryOffset + 8 > fileSize ||
        !read(countOffset, 4, bytes) ||
        littleEndian(bytes, 0, 4) <= kCertificateDirectory ||
        !read(entryOffset, 8, bytes)) {
        return PeShape::Damaged;
    }
    layout.checksumOffset = optionalHeader + kChecksumInOptionalHeader;
    layout.certificateEntryOffset = entryOffset;
    layout.certificateTableOffset = littleEndian(bytes, 0, 4);
    layout.certificateTableSize = littleEndian(bytes, 4, 4);
    if (layout.certificateTableSize == 0) {
        layout.certificateTableOffset = fileSize;
        return PeShape::Sound;
    }
    // Anything after the table, or a table running past the end, is a file
    // that was cut short or had bytes appended after it was signed.
    if (layout.certificateTableOffset < entryOffset + 8 ||
        (fileSize != kSizeNotKnownYet &&
         layout.certificateTableOffset + layout.certificateTableSize != fileSize)) {
        return PeShape::Damaged;
    }
    return PeShape::Sound;
}

PeShape readPeLayout(int fd, std::uint64_t fileSize, PeLayout& layout) {
    return readPeLayout(
        [fd](std::uint64_t offset, std::size_t size, std::string& bytes) {
            return readExactly(fd, offset, size, bytes);
        },
        fileSize, layout);
}

bool feedAuthenticodeBytes(int fd, const PeLayout& layout,
                           const std::function<void(const unsigned char*, std::size_t)>& digest) {
    struct Range {
        std::uint64_t from, to;
    };
    const std::array<Range, 3> ranges = {
        Range{0, layout.checksumOffset},
        Range{layout.checksumOffset + 4, layout.certificateEntryOffset},
        Range{layout.certificateEntryOffset + 8, layout.certificateTableOffset}};
    std::vector<unsigned char> block(kReadBlock);
    for (const Range& range : ranges) {
        for (std::uint64_t at = range.from; at < range.to;) {
            const std::size_t want =
                static_cast<std::size_t>(std::min<std::uint64_t>(kReadBlock, range.to - at));
            const ssize_t got = ::pread(fd, block.data(), want, static_cast<off_t>(at));
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                return false;
            }
            digest(block.data(), static_cast<std::size_t>(got));
            at += static_cast<std::uint64_t>(got);
        }
    }
    return true;
}

}  // namespace quibrant::posix
