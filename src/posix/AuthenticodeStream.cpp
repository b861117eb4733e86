#include "posix/AuthenticodeStream.h"

#include <openssl/evp.h>

#include <algorithm>
#include <array>

namespace quibrant::posix {

namespace {

// Headers lie within the first bytes of any real program; a file whose
// headers are not there by then is read whole by the check instead.
constexpr std::size_t kMostHead = 64 * 1024;

}  // namespace

AuthenticodeStream::AuthenticodeStream(std::string identity)
    : identity_(std::move(identity)), context_(EVP_MD_CTX_new()) {
    gaveUp_ = !context_ || EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr) != 1;
}

void AuthenticodeStream::add(const char* data, std::size_t size) {
    if (gaveUp_ || size == 0) {
        return;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    if (layout_) {
        hash(fed_, bytes, size);
        fed_ += size;
        return;
    }
    head_.append(data, size);
    fed_ += size;
    readHeaders();
}

void AuthenticodeStream::readHeaders() {
    PeLayout layout;
    const ReadAt fromHead = [this](std::uint64_t offset, std::size_t size, std::string& bytes) {
        if (offset > head_.size() || size > head_.size() - offset) {
            return false;
        }
        bytes.assign(head_, static_cast<std::size_t>(offset), size);
        return true;
    };
    if (readPeLayout(fromHead, kSizeNotKnownYet, layout) != PeShape::Sound) {
        // Not there yet, or never: only more bytes can tell.
        if (head_.size() >= kMostHead) {
            gaveUp_ = true;
            head_.clear();
        }
        return;
    }
    layout_ = layout;
    const std::string head = std::move(head_);
    head_.clear();
    hash(0, reinterpret_cast<const unsigned char*>(head.data()), head.size());
}

void AuthenticodeStream::hash(std::uint64_t at, const unsigned char* data, std::size_t size) {
    // What the digest covers: all but the checksum, the certificate table's
    // entry and the table itself, which runs to the end.
    struct Range {
        std::uint64_t from, to;
    };
    const std::array<Range, 3> covered = {
        Range{0, layout_->checksumOffset},
        Range{layout_->checksumOffset + 4, layout_->certificateEntryOffset},
        Range{layout_->certificateEntryOffset + 8, layout_->certificateTableOffset}};
    const std::uint64_t end = at + size;
    for (const Range& range : covered) {
        const std::uint64_t from = std::max(range.from, at);
        const std::uint64_t to = std::min(range.to, end);
        if (from < to && EVP_DigestUpdate(context_.get(), data + (from - at),
                                          static_cast<std::size_t>(to - from)) != 1) {
            gaveUp_ = true;
            return;
        }
    }
}

std::optional<std::string> AuthenticodeStream::sha256For(const PeLayout& layout) const {
    if (gaveUp_ || !layout_ || fed_ != layout.fileSize ||
        layout.certificateTableOffset + layout.certificateTableSize != layout.fileSize ||
        layout.checksumOffset != layout_->checksumOffset ||
        layout.certificateEntryOffset != layout_->certificateEntryOffset ||
        layout.certificateTableOffset != layout_->certificateTableOffset) {
        return std::nullopt;
    }
    // Finished on a copy: the digest is asked for, never consumed.
    const DigestContext copy(EVP_MD_CTX_new());
    std::string digest(EVP_MAX_MD_SIZE, '\0');
    unsigned int size = 0;
    if (!copy || EVP_MD_CTX_copy_ex(copy.get(), context_.get()) != 1 ||
        EVP_DigestFinal_ex(copy.get(), reinterpret_cast<unsigned char*>(digest.data()), &size) !=
            1) {
        return std::nullopt;
    }
    digest.resize(size);
    return digest;
}

}  // namespace quibrant::posix
