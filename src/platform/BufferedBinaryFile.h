#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/ServiceFailures.h"

namespace quibrant::platform {

// The writing logic every file service's binary file shares. A download hands
// over 1 KiB pieces; they are gathered and written in large ones, which is
// what makes a fast download cheap. A service supplies two things: write all
// of these bytes, and close the file.
//
// A write that fails ends the file for good: the file is closed at once, so
// that whoever abandons it can delete it; the bytes still buffered are dropped,
// so nothing is ever written twice; and every later write or close throws the
// same failure, so a file that lost data can never be taken for complete.
// A file destroyed without close is abandoned: the service closes it quietly
// and its buffered bytes are dropped.
class BufferedBinaryFile : public BinaryFile {
  public:
    static constexpr std::size_t kBufferSize = 64 * 1024;

    explicit BufferedBinaryFile(std::string path) : path_(std::move(path)) {
        buffer_.reserve(kBufferSize);
    }

    void write(const char* data, std::size_t size) final {
        throwIfEnded();
        if (buffer_.size() + size > kBufferSize) {
            flush();
        }
        if (size >= kBufferSize) {
            pass(data, size);
        } else {
            buffer_.insert(buffer_.end(), data, data + size);
        }
    }

    void close() final {
        if (closed_ && !failure_) {
            return;
        }
        throwIfEnded();
        flush();
        closed_ = true;
        try {
            closeFile();
        } catch (const Failure& failure) {
            failure_ = failure;
            throw;
        }
    }

  protected:
    // Writes every byte or throws Failure.
    virtual void writeBytes(const char* data, std::size_t size) = 0;
    // Closes the file; throws Failure when the system says data may be lost.
    // Called once at most.
    virtual void closeFile() = 0;

    const std::string& path() const { return path_; }

  private:
    void throwIfEnded() const {
        if (failure_) {
            throw *failure_;
        }
        if (closed_) {
            throw failures::fileClosed(path_);
        }
    }

    void flush() {
        pass(buffer_.data(), buffer_.size());
        buffer_.clear();
    }

    void pass(const char* data, std::size_t size) {
        if (size == 0) {
            return;
        }
        try {
            writeBytes(data, size);
        } catch (const Failure& failure) {
            fail(failure);
            throw;
        }
    }

    void fail(const Failure& failure) {
        failure_ = failure;
        buffer_.clear();
        closed_ = true;
        try {
            closeFile();
        } catch (const Failure&) {
            // The write's failure is the one to report; the file is closed
            // either way.
        }
    }

    std::string path_;
    std::vector<char> buffer_;
    bool closed_ = false;
    std::optional<Failure> failure_;
};

}  // namespace quibrant::platform
