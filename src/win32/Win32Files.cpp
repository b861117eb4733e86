#include "win32/Win32Files.h"

#include <windows.h>

#include <climits>
#include <string_view>
#include <vector>

#include "platform/Failure.h"
#include "win32/Utf16.h"
#include "win32/Win32Failure.h"

namespace quibrant::win32 {

namespace {

constexpr const char* kCannotRead = "No se pudo leer el archivo";
constexpr const char* kCannotWrite = "No se pudo escribir el archivo";
constexpr const char* kStreamClosed = "El archivo ya está cerrado";

constexpr DWORD kReadChunk = 4096;
constexpr std::size_t kWriteBuffer = 64 * 1024;

// Single-byte (or, in East Asian code pages, double-byte) text of the
// system's ANSI code page to UTF-8. Line breaks never occur inside a
// double-byte character, so a line can be converted on its own.
std::string ansiToUtf8(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > INT_MAX) {
        return "";
    }
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), length);
    return narrow(wide);
}

platform::Failure closedFailure(const std::string& path) {
    return platform::Failure(platform::errors::kBadFileNameOrNumber,
                             std::string(kStreamClosed) + ": " + path);
}

class Win32TextStream : public platform::TextStream {
  public:
    Win32TextStream(UniqueHandle file, std::string path)
        : file_(std::move(file)), path_(std::move(path)) {}

    bool AtEndOfLine() override {
        const int c = peek();
        return c < 0 || c == '\r' || c == '\n';
    }

    bool AtEndOfStream() override { return peek() < 0; }

    std::string ReadLine() override {
        std::string bytes;
        for (int c = peek(); c >= 0 && c != '\r' && c != '\n'; c = peek()) {
            bytes += static_cast<char>(c);
            ++pos_;
        }
        if (peek() == '\r') {
            ++pos_;
        }
        if (peek() == '\n') {
            ++pos_;
        }
        return ansiToUtf8(bytes);
    }

    void Close() override { file_.reset(); }

  private:
    // The next byte without consuming it; -1 at the end of the file.
    int peek() {
        if (pos_ == buffer_.size()) {
            fill();
        }
        return pos_ < buffer_.size() ? static_cast<unsigned char>(buffer_[pos_]) : -1;
    }

    void fill() {
        if (!file_.valid()) {
            throw closedFailure(path_);
        }
        buffer_.resize(kReadChunk);
        pos_ = 0;
        DWORD got = 0;
        if (!ReadFile(file_.get(), buffer_.data(), kReadChunk, &got, nullptr)) {
            const DWORD error = GetLastError();
            buffer_.clear();
            throw systemFailure(error, kCannotRead, path_);
        }
        buffer_.resize(got);
    }

    UniqueHandle file_;
    std::string path_;
    std::string buffer_;
    std::size_t pos_ = 0;
};

// A file destroyed without close (its download abandoned) is closed quietly:
// whoever abandoned it throws its content away.
class Win32BinaryFile : public platform::BinaryFile {
  public:
    Win32BinaryFile(UniqueHandle file, std::string path)
        : file_(std::move(file)), path_(std::move(path)) {
        buffer_.reserve(kWriteBuffer);
    }

    void write(const char* data, std::size_t size) override {
        if (!file_.valid()) {
            throw closedFailure(path_);
        }
        if (buffer_.size() + size > kWriteBuffer) {
            flush();
        }
        if (size >= kWriteBuffer) {
            writeAll(data, size);
        } else {
            buffer_.insert(buffer_.end(), data, data + size);
        }
    }

    void close() override {
        if (!file_.valid()) {
            return;
        }
        // The handle is closed whatever happens to the last bytes, so that a
        // failed file can still be deleted.
        try {
            flush();
        } catch (const platform::Failure&) {
            file_.reset();
            throw;
        }
        if (!file_.reset()) {
            throw systemFailure(GetLastError(), kCannotWrite, path_);
        }
    }

  private:
    // The buffer is emptied even when writing fails, so a later close never
    // writes the same bytes a second time.
    void flush() {
        struct Emptied {
            std::vector<char>& buffer;
            ~Emptied() { buffer.clear(); }
        } emptied{buffer_};
        writeAll(buffer_.data(), buffer_.size());
    }

    void writeAll(const char* data, std::size_t size) {
        while (size > 0) {
            const DWORD piece = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!WriteFile(file_.get(), data, piece, &written, nullptr)) {
                throw systemFailure(GetLastError(), kCannotWrite, path_);
            }
            if (written == 0) {
                throw systemFailure(ERROR_WRITE_FAULT, kCannotWrite, path_);
            }
            data += written;
            size -= written;
        }
    }

    UniqueHandle file_;
    std::string path_;
    std::vector<char> buffer_;
};

}  // namespace

std::unique_ptr<platform::TextStream> makeTextStream(UniqueHandle file, std::string path) {
    return std::make_unique<Win32TextStream>(std::move(file), std::move(path));
}

std::unique_ptr<platform::BinaryFile> makeBinaryFile(UniqueHandle file, std::string path) {
    return std::make_unique<Win32BinaryFile>(std::move(file), std::move(path));
}

}  // namespace quibrant::win32
