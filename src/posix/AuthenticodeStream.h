#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/SignatureCheck.h"
#include "posix/OpenSslHandles.h"
#include "posix/PeImage.h"

namespace quibrant::posix {

// The SHA-256 Authenticode digest of a program file, taken while the file is
// written: its headers come first and say which bytes the digest leaves out,
// so the digest of everything else is ready when the last byte is, and the
// check after it need not read the file again. When the headers cannot be
// read from the first bytes, it gives up and the check reads the file.
class AuthenticodeStream : public platform::WrittenDigest {
  public:
    // `identity` names the file being written (PartialFile::identity).
    explicit AuthenticodeStream(std::string identity);

    void add(const char* data, std::size_t size) override;

    const std::string& identity() const { return identity_; }
    // The digest of the bytes fed, when they are the whole file whose layout,
    // read from the file once written, is `layout`; nothing otherwise.
    std::optional<std::string> sha256For(const PeLayout& layout) const;

  private:
    void readHeaders();
    void hash(std::uint64_t at, const unsigned char* data, std::size_t size);

    std::string identity_;
    DigestContext context_;
    // The first bytes, kept until the headers in them can be read.
    std::string head_;
    std::optional<PeLayout> layout_;
    bool gaveUp_ = false;
    std::uint64_t fed_ = 0;
};

}  // namespace quibrant::posix
