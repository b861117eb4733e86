#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace quibrant::posix {

// Where, in a Windows program file (PE), lie the three parts that its
// Authenticode digest leaves out: the header's checksum, the certificate
// table's directory entry, and the certificate table itself.
struct PeLayout {
    std::uint64_t fileSize = 0;
    std::uint64_t checksumOffset = 0;          // 4 bytes
    std::uint64_t certificateEntryOffset = 0;  // 8 bytes
    std::uint64_t certificateTableOffset = 0;
    std::uint64_t certificateTableSize = 0;  // 0 when the file is not signed
};

enum class PeShape {
    Sound,
    NotPe,    // not a Windows program file at all
    Damaged,  // a program file whose headers or certificate table do not fit it
};

// `size` bytes of a file from `offset` into `bytes`; false when they are not
// all there (or not yet).
using ReadAt = std::function<bool(std::uint64_t offset, std::size_t size, std::string& bytes)>;

// A length for a file still being written, whose end is not known yet: the
// layout is read from the headers alone, and the certificate table is not
// checked against the file's end.
inline constexpr std::uint64_t kSizeNotKnownYet = ~std::uint64_t{0};

// Reads the layout of a PE file `fileSize` bytes long through `read`.
PeShape readPeLayout(const ReadAt& read, std::uint64_t fileSize, PeLayout& layout);
// The same for the file open at descriptor `fd`.
PeShape readPeLayout(int fd, std::uint64_t fileSize, PeLayout& layout);

// Feeds `digest` every byte the Authenticode digest covers, in file order.
// The certificate table lies at the file's end (readPeLayout insists), so
// this is the file without the three parts, which is what Windows hashes
// section by section. False when the file could not be read.
bool feedAuthenticodeBytes(int fd, const PeLayout& layout,
                           const std::function<void(const unsigned char*, std::size_t)>& digest);

// The unsigned little-endian number of `width` bytes at `at` in `bytes`.
std::uint32_t littleEndian(const std::string& bytes, std::size_t at, std::size_t width);

// `size` bytes of the file from `offset`; false when they cannot all be read.
bool readExactly(int fd, std::uint64_t offset, std::size_t size, std::string& bytes);

}  // namespace quibrant::posix
