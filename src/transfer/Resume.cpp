#include "transfer/Resume.h"

#include <algorithm>

#include "platform/Text.h"

namespace quibrant::transfer {

namespace {

constexpr int kOk = 200;
constexpr int kPartialContent = 206;
constexpr const char* kWeakPrefix = "W/";
constexpr const char* kBytesUnit = "bytes ";
// Above any file a 32-bit length can announce; longer runs are not lengths.
constexpr std::size_t kMostDigits = 18;

// A whole number of decimal digits only, blanks around allowed.
std::optional<std::int64_t> number(const std::string& text) {
    const std::string digits = platform::trimBlanks(text);
    if (digits.empty() || digits.size() > kMostDigits) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

struct ContentRange {
    std::int64_t first = 0;
    std::int64_t last = 0;
    std::int64_t total = 0;
};

// "bytes FIRST-LAST/TOTAL"; nothing for any other form, an unknown total
// ("*") included, since then the file's length cannot be compared.
std::optional<ContentRange> contentRange(const std::string& header) {
    const std::string text = platform::trimBlanks(header);
    const std::string unit = kBytesUnit;
    if (text.size() <= unit.size() ||
        platform::upperCase(text.substr(0, unit.size())) != platform::upperCase(unit)) {
        return std::nullopt;
    }
    const std::size_t dash = text.find('-', unit.size());
    const std::size_t slash = text.find('/', unit.size());
    if (dash == std::string::npos || slash == std::string::npos || slash < dash) {
        return std::nullopt;
    }
    const auto first = number(text.substr(unit.size(), dash - unit.size()));
    const auto last = number(text.substr(dash + 1, slash - dash - 1));
    const auto total = number(text.substr(slash + 1));
    if (!first || !last || !total || *first > *last || *last >= *total) {
        return std::nullopt;
    }
    return ContentRange{*first, *last, *total};
}

// What the resumed answer says of its version: the same validator as the
// first answer, another one, or none at all.
enum class VersionWord { kSame, kOther, kNone };

VersionWord versionWord(const BodyVersion& version, const BodyHeaders& resumed) {
    const std::string sent =
        platform::trimBlanks(version.byEtag ? resumed.etag : resumed.lastModified);
    if (sent.empty()) {
        return VersionWord::kNone;
    }
    return sent == version.validator ? VersionWord::kSame : VersionWord::kOther;
}

}  // namespace

std::optional<BodyVersion> resumableBody(const BodyHeaders& first) {
    const auto length = number(first.contentLength);
    if (first.status != kOk || !length || *length < 1) {
        return std::nullopt;
    }
    const std::string etag = platform::trimBlanks(first.etag);
    if (!etag.empty() && etag.rfind(kWeakPrefix, 0) != 0) {
        return BodyVersion{*length, etag, true};
    }
    const std::string date = platform::trimBlanks(first.lastModified);
    if (!date.empty()) {
        return BodyVersion{*length, date, false};
    }
    return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> resumeRequestHeaders(const BodyVersion& version,
                                                                      std::int64_t from) {
    return {{"Range", "bytes=" + std::to_string(from) + "-"}, {"If-Range", version.validator}};
}

ResumeVerdict judgeResumed(const BodyVersion& version, std::int64_t from,
                           const BodyHeaders& resumed) {
    const VersionWord word = versionWord(version, resumed);
    if (word == VersionWord::kOther) {
        return ResumeVerdict::kChanged;
    }
    if (resumed.status == kOk) {
        // The whole file again: another length means another file; the same
        // one means the server ignored the range, and a restart from the
        // first byte would not be the rest of anything.
        const auto length = number(resumed.contentLength);
        return length && *length != version.length ? ResumeVerdict::kChanged
                                                   : ResumeVerdict::kNotResumed;
    }
    if (resumed.status != kPartialContent) {
        return ResumeVerdict::kNotResumed;
    }
    // Bytes are joined only on the server's word that they belong to the
    // same version: a part that names none may be of any file.
    if (word == VersionWord::kNone) {
        return ResumeVerdict::kChanged;
    }
    const auto range = contentRange(resumed.contentRange);
    if (!range) {
        return ResumeVerdict::kNotResumed;
    }
    if (range->total != version.length) {
        return ResumeVerdict::kChanged;
    }
    return range->first == from ? ResumeVerdict::kContinues : ResumeVerdict::kNotResumed;
}

std::chrono::milliseconds resumeWait(int attempt, std::chrono::milliseconds first) {
    // Beyond the resumes anyone makes the wait stops growing.
    return first * (1LL << std::clamp(attempt - 1, 0, 16));
}

}  // namespace quibrant::transfer
