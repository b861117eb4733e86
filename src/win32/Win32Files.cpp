#include "win32/Win32Files.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <string_view>
#include <vector>

#include "platform/BufferedTextStream.h"
#include "platform/Failure.h"
#include "win32/Utf16.h"
#include "win32/Win32Failure.h"

namespace quibrant::win32 {

namespace {

constexpr const char* kCannotRead = "No se pudo leer el archivo";
constexpr const char* kCannotWrite = "No se pudo escribir el archivo";
constexpr const char* kStreamClosed = "El archivo ya está cerrado";

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

// A text file in the system's ANSI code page, handed over as UTF-8.
class Win32TextStream : public platform::BufferedTextStream {
  public:
    Win32TextStream(UniqueHandle file, std::string path)
        : file_(std::move(file)), path_(std::move(path)) {}

    void Close() override { file_.reset(); }

  protected:
    std::size_t readSome(char* buffer, std::size_t size) override {
        if (!file_.valid()) {
            throw closedFailure(path_);
        }
        DWORD got = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD));
        if (!ReadFile(file_.get(), buffer, wanted, &got, nullptr)) {
            throw systemFailure(GetLastError(), kCannotRead, path_);
        }
        return got;
    }

    std::string decode(const std::string& bytes) override { return ansiToUtf8(bytes); }

  private:
    UniqueHandle file_;
    std::string path_;
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
