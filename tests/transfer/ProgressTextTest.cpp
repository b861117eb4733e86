#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "transfer/ProgressText.h"

namespace quibrant::transfer {
namespace {

std::string withoutDigits(const std::string& text) {
    std::string words;
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            words += c;
        }
    }
    return words;
}

// The kilobytes, total and percent the caption shows. Its words are those of
// a caption written afresh (tests/texts holds them), whatever the reused
// storage held before.
std::vector<long long> shown(float value, std::int32_t contentLength) {
    std::string caption = "left over from the previous piece";
    formatProgressText(value, contentLength, caption);
    std::string fresh;
    formatProgressText(1, 1, fresh);
    EXPECT_EQ(withoutDigits(caption), withoutDigits(fresh)) << caption;
    std::vector<long long> numbers;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(caption[i]))) {
            std::size_t end = i;
            while (end < caption.size() && std::isdigit(static_cast<unsigned char>(caption[end]))) {
                ++end;
            }
            numbers.push_back(std::stoll(caption.substr(i, end - i)));
            i = end;
        }
    }
    return numbers;
}

using Numbers = std::vector<long long>;

TEST(ProgressTextTest, ShowsKilobytesTotalAndPercent) {
    EXPECT_EQ(shown(524288, 10485760), (Numbers{512, 10240, 5}));
    EXPECT_EQ(shown(10485760, 10485760), (Numbers{10240, 10240, 100}));
    EXPECT_EQ(shown(0, 1), (Numbers{0, 0, 0}));
    EXPECT_EQ(shown(2147483520.0f, 2147483647), (Numbers{2097152, 2097152, 100}));
}

TEST(ProgressTextTest, HalvesGoToTheEvenNeighbour) {
    // Kilobytes received: 2.5 and 3.5.
    EXPECT_EQ(shown(2560, 1048576), (Numbers{2, 1024, 0}));
    EXPECT_EQ(shown(3584, 1048576), (Numbers{4, 1024, 0}));
    // Total kilobytes: 2.5 and 3.5; percent: 12.5 and 37.5.
    EXPECT_EQ(shown(320, 2560), (Numbers{0, 2, 12}));
    EXPECT_EQ(shown(1344, 3584), (Numbers{1, 4, 38}));
    // Just off the half goes to the nearer neighbour.
    EXPECT_EQ(shown(2561, 1048576), (Numbers{3, 1024, 0}));
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.4999999), 2);
}

}  // namespace
}  // namespace quibrant::transfer
