#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quibrant::transfer {

// When the connection breaks in the middle of a body, a transfer component
// asks again for the rest, and joins it to what it has only when the server
// proves it is the rest of the same file: nothing of two versions of the
// installer is ever joined. These are the rules of that, without any I/O, so
// every component applies them alike.

// How many times the rest is asked for after the first request, and the wait
// before the first of them; each further wait doubles (1, 2 and 4 seconds).
inline constexpr int kMostResumes = 3;
inline constexpr std::chrono::milliseconds kFirstResumeWait{1000};

// The headers of a response that tell which body it carries, as the server
// sent them ("" for an absent one).
struct BodyHeaders {
    int status = 0;
    std::string contentLength;
    std::string contentRange;
    std::string etag;
    std::string lastModified;
};

// The body the first response began: its length and what identifies its
// version to the server.
struct BodyVersion {
    std::int64_t length = 0;
    // Sent in "If-Range": the strong ETag, else the Last-Modified date.
    std::string validator;
    // Whether the validator is the ETag (else it is the date).
    bool byEtag = false;
};

// The version of the body the first response carries, or nothing when that
// body cannot be resumed: not a 200, no usable length, or nothing that names
// its version (a weak ETag does not: it allows other bytes).
std::optional<BodyVersion> resumableBody(const BodyHeaders& first);

// The headers, as (name, value), that ask for `version` from byte `from` on,
// and for the whole current file instead should it have changed.
std::vector<std::pair<std::string, std::string>> resumeRequestHeaders(const BodyVersion& version,
                                                                      std::int64_t from);

enum class ResumeVerdict {
    // The rest of the same body, from byte `from`: it may be joined.
    kContinues,
    // The server did not send the rest (it ignored the range, answered
    // another one, or failed): the download fails as it broke.
    kNotResumed,
    // The server now holds another version of the file.
    kChanged,
};

// Whether the answer to a resumed request continues `version` at `from`.
ResumeVerdict judgeResumed(const BodyVersion& version, std::int64_t from,
                           const BodyHeaders& resumed);

// The wait before resume number `attempt` (1 for the first).
std::chrono::milliseconds resumeWait(int attempt,
                                     std::chrono::milliseconds first = kFirstResumeWait);

}  // namespace quibrant::transfer
