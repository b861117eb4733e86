#include <gtest/gtest.h>

#include <string>

#include "transfer/Resume.h"

namespace quibrant::transfer {
namespace {

constexpr const char* kEtag = "\"v1\"";
constexpr const char* kDate = "Tue, 01 Dec 2026 10:00:00 GMT";

TEST(ResumeTest, OnlyAWholeBodyOfKnownLengthAndVersionCanBeResumed) {
    struct Case {
        BodyHeaders first;
        bool resumable;
        std::string validator;
    };
    const Case cases[] = {
        {{200, "5000", "", kEtag, kDate}, true, kEtag},
        {{200, " 5000 ", "", "", kDate}, true, kDate},
        // A weak ETag allows other bytes under the same name: the date decides.
        {{200, "5000", "", "W/\"v1\"", kDate}, true, kDate},
        {{200, "5000", "", "W/\"v1\"", ""}, false, ""},
        {{200, "5000", "", "", ""}, false, ""},
        {{200, "", "", kEtag, kDate}, false, ""},
        {{200, "0", "", kEtag, ""}, false, ""},
        {{200, "5e3", "", kEtag, ""}, false, ""},
        {{206, "5000", "bytes 0-4999/5000", kEtag, ""}, false, ""},
        {{404, "5000", "", kEtag, ""}, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.first.status) + " " + c.first.contentLength + " " +
                     c.first.etag + " " + c.first.lastModified);
        const auto version = resumableBody(c.first);
        ASSERT_EQ(version.has_value(), c.resumable);
        if (version) {
            EXPECT_EQ(version->length, 5000);
            EXPECT_EQ(version->validator, c.validator);
        }
    }
}

TEST(ResumeTest, AsksForTheRestOfThatVersionOnly) {
    const auto headers = resumeRequestHeaders({5000, kEtag, true}, 1234);
    ASSERT_EQ(headers.size(), 2u);
    EXPECT_EQ(headers[0], std::make_pair(std::string("Range"), std::string("bytes=1234-")));
    EXPECT_EQ(headers[1], std::make_pair(std::string("If-Range"), std::string(kEtag)));
}

// Only the rest of the same file, starting where the first body broke, may
// be joined to it; another file is told apart from a server that will not
// resume.
TEST(ResumeTest, JoinsOnlyTheRestOfTheSameBody) {
    const BodyVersion byEtag{5000, kEtag, true};
    const BodyVersion byDate{5000, kDate, false};
    struct Case {
        const char* name;
        const BodyVersion& version;
        BodyHeaders resumed;
        ResumeVerdict verdict;
    };
    using V = ResumeVerdict;
    const Case cases[] = {
        {"rest", byEtag, {206, "3000", "bytes 2000-4999/5000", kEtag, ""}, V::kContinues},
        // A part that names no version may be of any file.
        {"rest, no validator sent",
         byEtag,
         {206, "3000", "bytes 2000-4999/5000", "", ""},
         V::kChanged},
        {"rest by date, no date sent",
         byDate,
         {206, "3000", "bytes 2000-4999/5000", kEtag, ""},
         V::kChanged},
        {"rest by date", byDate, {206, "3000", " BYTES 2000-4999/5000 ", "", kDate}, V::kContinues},
        {"shorter rest", byEtag, {206, "1000", "bytes 2000-2999/5000", kEtag, ""}, V::kContinues},
        {"new etag", byEtag, {206, "3000", "bytes 2000-4999/5000", "\"v2\"", ""}, V::kChanged},
        {"new date", byDate, {206, "3000", "bytes 2000-4999/5000", "", "ayer"}, V::kChanged},
        {"other total", byEtag, {206, "3000", "bytes 2000-5999/6000", kEtag, ""}, V::kChanged},
        {"whole new file", byEtag, {200, "6000", "", "\"v2\"", ""}, V::kChanged},
        {"whole, other length", byDate, {200, "6000", "", "", ""}, V::kChanged},
        {"range ignored", byEtag, {200, "5000", "", kEtag, ""}, V::kNotResumed},
        {"range ignored, bare", byEtag, {200, "5000", "", "", ""}, V::kNotResumed},
        {"other start", byEtag, {206, "4000", "bytes 1000-4999/5000", kEtag, ""}, V::kNotResumed},
        {"unknown total", byEtag, {206, "3000", "bytes 2000-4999/*", kEtag, ""}, V::kNotResumed},
        {"range past total",
         byEtag,
         {206, "3000", "bytes 2000-5000/5000", kEtag, ""},
         V::kNotResumed},
        {"no range", byEtag, {206, "3000", "", kEtag, ""}, V::kNotResumed},
        {"garbled range", byEtag, {206, "3000", "bytes 2000/4999-5000", kEtag, ""}, V::kNotResumed},
        {"refused", byEtag, {416, "0", "bytes */5000", kEtag, ""}, V::kNotResumed},
        {"login asked", byEtag, {401, "20", "", "", ""}, V::kNotResumed},
        {"server error", byEtag, {503, "20", "", "", ""}, V::kNotResumed},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(judgeResumed(c.version, 2000, c.resumed), c.verdict) << c.name;
    }
}

TEST(ResumeTest, WaitsOneTwoAndFourTimesTheFirstWait) {
    EXPECT_EQ(kMostResumes, 3);
    EXPECT_EQ(resumeWait(1), std::chrono::seconds(1));
    EXPECT_EQ(resumeWait(2), std::chrono::seconds(2));
    EXPECT_EQ(resumeWait(3), std::chrono::seconds(4));
    EXPECT_EQ(resumeWait(3, std::chrono::milliseconds(10)), std::chrono::milliseconds(40));
}

}  // namespace
}  // namespace quibrant::transfer
