#pragma once

#include <cstddef>
#include <string>
#include <utility>

#include "platform/FileSystem.h"
#include "platform/ServiceFailures.h"

namespace quibrant::platform {

// The line logic every file service's text stream shares: the file is read a
// piece at a time, so that a line is available without the whole file in
// memory, and line breaks are CR LF, LF or a lone CR. A service supplies the
// bytes, turns a line's bytes into UTF-8 and closes the file. Once closed,
// the stream reads nothing more, not even what it had buffered.
//
// The files read this way are small settings files. A line or a file far
// beyond any such file is refused with a failure rather than read: it is
// not one of them, and reading it whole would take the memory and time that
// its size asks for.
class BufferedTextStream : public TextStream {
  public:
    static constexpr std::size_t kMaxLineBytes = 64 * 1024;
    static constexpr std::size_t kMaxFileBytes = 1024 * 1024;

    explicit BufferedTextStream(std::string path) : path_(std::move(path)) {}

    bool AtEndOfLine() override {
        const int c = peek();
        return c < 0 || c == '\r' || c == '\n';
    }

    bool AtEndOfStream() override { return peek() < 0; }

    std::string ReadLine() override {
        std::string bytes;
        for (int c = peek(); c >= 0 && c != '\r' && c != '\n'; c = peek()) {
            if (bytes.size() == kMaxLineBytes) {
                throw Failure(errors::kOverflow,
                              std::string(failures::kLineTooLong) + ": " + path_);
            }
            bytes += static_cast<char>(c);
            ++pos_;
        }
        if (peek() == '\r') {
            ++pos_;
        }
        if (peek() == '\n') {
            ++pos_;
        }
        return decode(bytes);
    }

    void Close() final {
        if (closed_) {
            return;
        }
        closed_ = true;
        buffer_.clear();
        pos_ = 0;
        closeFile();
    }

  protected:
    // Reads up to `size` bytes; 0 at the end of the file. Throws Failure when
    // the file cannot be read.
    virtual std::size_t readSome(char* buffer, std::size_t size) = 0;
    // One line's bytes as UTF-8.
    virtual std::string decode(const std::string& bytes) = 0;
    // Lets go of the file; called once at most.
    virtual void closeFile() = 0;

    const std::string& path() const { return path_; }

  private:
    static constexpr std::size_t kReadChunk = 4096;

    // The next byte without consuming it; -1 at the end of the file.
    int peek() {
        if (closed_) {
            throw failures::fileClosed(path_);
        }
        if (pos_ == buffer_.size()) {
            buffer_.resize(kReadChunk);
            pos_ = 0;
            std::size_t got = 0;
            try {
                got = readSome(buffer_.data(), buffer_.size());
            } catch (...) {
                buffer_.clear();
                throw;
            }
            buffer_.resize(got);
            read_ += got;
            if (read_ > kMaxFileBytes) {
                buffer_.clear();
                throw Failure(errors::kOverflow,
                              std::string(failures::kFileTooLarge) + ": " + path_);
            }
        }
        return pos_ < buffer_.size() ? static_cast<unsigned char>(buffer_[pos_]) : -1;
    }

    std::string path_;
    std::string buffer_;
    std::size_t pos_ = 0;
    std::size_t read_ = 0;
    bool closed_ = false;
};

}  // namespace quibrant::platform
