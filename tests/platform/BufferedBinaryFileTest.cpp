#include "platform/BufferedBinaryFile.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/SystemReasons.h"
#include "support/FailureNumber.h"

namespace quibrant::test {
namespace {

namespace errors = platform::errors;
using platform::failures::SystemReason;
constexpr std::size_t kBuffer = platform::BufferedBinaryFile::kBufferSize;

// A file whose system side is memory: what reached it, how often, and
// whether writing or closing fails.
class MemoryFile : public platform::BufferedBinaryFile {
  public:
    MemoryFile() : BufferedBinaryFile("parcial.tmp") {}

    std::string bytes;
    int writes = 0;
    int closes = 0;
    bool failWrites = false;
    bool failClose = false;

  protected:
    void writeBytes(const char* data, std::size_t size) override {
        ++writes;
        if (failWrites) {
            throw platform::Failure(errors::kDiskFull,
                                    platform::failures::textOf(SystemReason::kDiskFull).text);
        }
        bytes.append(data, size);
    }
    void closeFile() override {
        ++closes;
        if (failClose) {
            throw platform::Failure(errors::kDeviceIo,
                                    platform::failures::textOf(SystemReason::kDeviceIo).text);
        }
    }
};

std::string sample(std::size_t size) {
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i) {
        bytes += static_cast<char>(i % 251);
    }
    return bytes;
}

TEST(BufferedBinaryFileTest, PiecesArriveInOrderInFewLargeWritesAndTheFileClosesOnce) {
    MemoryFile file;
    const std::string bytes = sample(200 * 1024);
    for (std::size_t at = 0; at < bytes.size(); at += 1024) {
        file.write(bytes.data() + at, 1024);
    }
    const std::string large = sample(3 * kBuffer);
    file.write(large.data(), 0);
    file.write(large.data(), large.size());
    file.close();
    file.close();
    EXPECT_EQ(file.bytes, bytes + large);
    EXPECT_EQ(file.writes, 5);
    EXPECT_EQ(file.closes, 1);
    EXPECT_EQ(failureNumber([&] { file.write("y", 1); }), errors::kBadFileNameOrNumber);
}

// However the first failure comes, in a write that fills the buffer or in
// the close that writes the rest, the file ends the same way.
TEST(BufferedBinaryFileTest, AFailedWriteReleasesTheFileAndNeverLooksComplete) {
    const std::string piece = sample(kBuffer - 1);
    for (const bool inWrite : {true, false}) {
        SCOPED_TRACE(inWrite ? "while writing" : "while closing");
        MemoryFile file;
        file.write(piece.data(), piece.size());
        file.failWrites = true;
        file.failClose = true;
        EXPECT_EQ(
            failureNumber([&] { inWrite ? file.write(piece.data(), piece.size()) : file.close(); }),
            errors::kDiskFull);
        // Closed at once, so that the caller can delete it.
        EXPECT_EQ(file.closes, 1);

        // The system would take the bytes now; none are written twice and
        // neither a write nor a close reports success.
        file.failWrites = false;
        file.failClose = false;
        EXPECT_EQ(failureNumber([&] { file.write("z", 1); }), errors::kDiskFull);
        EXPECT_EQ(failureNumber([&] { file.close(); }), errors::kDiskFull);
        EXPECT_EQ(file.writes, 1);
        EXPECT_EQ(file.closes, 1);
        EXPECT_TRUE(file.bytes.empty());
    }
}

TEST(BufferedBinaryFileTest, AClosingThatLosesDataIsNeverTakenForSuccessLater) {
    MemoryFile file;
    file.failClose = true;
    file.write("datos", 5);
    EXPECT_EQ(failureNumber([&] { file.close(); }), errors::kDeviceIo);
    EXPECT_EQ(failureNumber([&] { file.close(); }), errors::kDeviceIo);
    EXPECT_EQ(file.closes, 1);
    EXPECT_EQ(file.bytes, "datos");
}

}  // namespace
}  // namespace quibrant::test
