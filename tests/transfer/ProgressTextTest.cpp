#include <gtest/gtest.h>

#include <string>

#include "transfer/ProgressText.h"

namespace quibrant::transfer {
namespace {

std::string text(float value, std::int32_t contentLength) {
    std::string caption = "left over from the previous piece";
    formatProgressText(value, contentLength, caption);
    return caption;
}

TEST(ProgressTextTest, ShowsKilobytesTotalAndPercent) {
    EXPECT_EQ(text(524288, 10485760), "Descargados 512 de 10240 KBytes. (5%)");
    EXPECT_EQ(text(10485760, 10485760), "Descargados 10240 de 10240 KBytes. (100%)");
    EXPECT_EQ(text(0, 1), "Descargados 0 de 0 KBytes. (0%)");
    EXPECT_EQ(text(2147483520.0f, 2147483647), "Descargados 2097152 de 2097152 KBytes. (100%)");
}

TEST(ProgressTextTest, HalvesGoToTheEvenNeighbour) {
    // Kilobytes received: 2.5 and 3.5.
    EXPECT_EQ(text(2560, 1048576), "Descargados 2 de 1024 KBytes. (0%)");
    EXPECT_EQ(text(3584, 1048576), "Descargados 4 de 1024 KBytes. (0%)");
    // Total kilobytes: 2.5 and 3.5; percent: 12.5 and 37.5.
    EXPECT_EQ(text(320, 2560), "Descargados 0 de 2 KBytes. (12%)");
    EXPECT_EQ(text(1344, 3584), "Descargados 1 de 4 KBytes. (38%)");
    // Just off the half goes to the nearer neighbour.
    EXPECT_EQ(text(2561, 1048576), "Descargados 3 de 1024 KBytes. (0%)");
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.4999999), 2);
}

}  // namespace
}  // namespace quibrant::transfer
