#include "platform/BufferedBinaryFile.h"

#include <gtest/gtest.h>

#include <string>

#include "support/FailureNumber.h"

namespace quibrant::test {
namespace {

namespace errors = platform::errors;

// What reached the file on the system's side.
struct Disk {
    std::string bytes;
    int writes = 0;
    int closes = 0;
    bool failWrites = false;
    bool failClose = false;
};

class MemoryFile : public platform::BufferedBinaryFile {
  public:
    explicit MemoryFile(Disk& disk) : BufferedBinaryFile("parcial.tmp"), disk_(disk) {}

  protected:
    void writeBytes(const char* data, std::size_t size) override {
        ++disk_.writes;
        if (disk_.failWrites) {
            throw platform::Failure(errors::kDiskFull, "No queda espacio en el disco");
        }
        disk_.bytes.append(data, size);
    }
    void closeFile() override {
        ++disk_.closes;
        if (disk_.failClose) {
            throw platform::Failure(errors::kDeviceIo, "Error de entrada/salida");
        }
    }

  private:
    Disk& disk_;
};

std::string sample(std::size_t size) {
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i) {
        bytes += static_cast<char>(i % 251);
    }
    return bytes;
}

constexpr std::size_t kBuffer = platform::BufferedBinaryFile::kBufferSize;

TEST(BufferedBinaryFileTest, SmallPiecesReachTheFileInOrderInFewLargeWrites) {
    Disk disk;
    MemoryFile file(disk);
    const std::string bytes = sample(200 * 1024);
    for (std::size_t at = 0; at < bytes.size(); at += 1024) {
        file.write(bytes.data() + at, 1024);
    }
    file.write(bytes.data(), 0);
    EXPECT_LT(disk.bytes.size(), bytes.size());
    file.close();
    EXPECT_EQ(disk.bytes, bytes);
    EXPECT_EQ(disk.writes, 4);
    EXPECT_EQ(disk.closes, 1);
}

TEST(BufferedBinaryFileTest, APieceLargerThanTheBufferFollowsWhatWasBuffered) {
    Disk disk;
    MemoryFile file(disk);
    const std::string large = sample(3 * kBuffer);
    file.write("ab", 2);
    file.write(large.data(), large.size());
    file.write("c", 1);
    file.close();
    EXPECT_EQ(disk.bytes, "ab" + large + "c");
}

TEST(BufferedBinaryFileTest, AClosedFileTakesNoMoreBytesAndClosesOnce) {
    Disk disk;
    MemoryFile file(disk);
    file.write("x", 1);
    file.close();
    file.close();
    EXPECT_EQ(disk.closes, 1);
    EXPECT_EQ(failureNumber([&] { file.write("y", 1); }), errors::kBadFileNameOrNumber);
    EXPECT_EQ(disk.bytes, "x");
}

TEST(BufferedBinaryFileTest, AnAbandonedFileWritesNothingMore) {
    Disk disk;
    {
        MemoryFile file(disk);
        file.write("perdido", 7);
    }
    EXPECT_EQ(disk.writes, 0);
}

// However the first failure comes, in a write that fills the buffer or in
// the close that writes the rest, the file ends the same way.
TEST(BufferedBinaryFileTest, AFailedWriteReleasesTheFileAndNeverLooksComplete) {
    const std::string piece = sample(kBuffer - 1);
    struct Case {
        const char* what;
        bool failInWrite;
    };
    for (const Case& c : {Case{"while writing", true}, Case{"while closing", false}}) {
        SCOPED_TRACE(c.what);
        Disk disk;
        MemoryFile file(disk);
        file.write(piece.data(), piece.size());
        disk.failWrites = true;
        if (c.failInWrite) {
            EXPECT_EQ(failureNumber([&] { file.write(piece.data(), piece.size()); }),
                      errors::kDiskFull);
        } else {
            EXPECT_EQ(failureNumber([&] { file.close(); }), errors::kDiskFull);
        }
        // Released at once, so that the caller can delete it.
        EXPECT_EQ(disk.closes, 1);
        EXPECT_EQ(disk.writes, 1);

        // The system would take the bytes now; none are written twice and
        // neither a write nor a close reports success.
        disk.failWrites = false;
        EXPECT_EQ(failureNumber([&] { file.write("z", 1); }), errors::kDiskFull);
        EXPECT_EQ(failureNumber([&] { file.close(); }), errors::kDiskFull);
        EXPECT_EQ(failureNumber([&] { file.close(); }), errors::kDiskFull);
        EXPECT_EQ(disk.writes, 1);
        EXPECT_EQ(disk.closes, 1);
        EXPECT_TRUE(disk.bytes.empty());
    }
}

TEST(BufferedBinaryFileTest, AFailedWriteReportsItselfEvenWhenClosingFailsToo) {
    Disk disk;
    MemoryFile file(disk);
    disk.failWrites = true;
    disk.failClose = true;
    const std::string large = sample(kBuffer);
    EXPECT_EQ(failureNumber([&] { file.write(large.data(), large.size()); }), errors::kDiskFull);
    EXPECT_EQ(disk.closes, 1);
}

TEST(BufferedBinaryFileTest, AClosingThatLosesDataIsNeverTakenForSuccessLater) {
    Disk disk;
    MemoryFile file(disk);
    disk.failClose = true;
    file.write("datos", 5);
    EXPECT_EQ(failureNumber([&] { file.close(); }), errors::kDeviceIo);
    EXPECT_EQ(failureNumber([&] { file.close(); }), errors::kDeviceIo);
    EXPECT_EQ(disk.closes, 1);
    EXPECT_EQ(disk.bytes, "datos");
}

}  // namespace
}  // namespace quibrant::test
