#include "win32/services/Win32Files.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <string_view>

#include "platform/BufferedBinaryFile.h"
#include "platform/BufferedTextStream.h"
#include "platform/ServiceFailures.h"
#include "win32/services/Utf16.h"
#include "win32/services/Win32Failure.h"

namespace quibrant::win32 {

using platform::failures::kCannotRead;
using platform::failures::kCannotWrite;

namespace {

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

// A text file in the system's ANSI code page, handed over as UTF-8.
class Win32TextStream : public platform::BufferedTextStream {
  public:
    Win32TextStream(UniqueHandle file, std::string path)
        : BufferedTextStream(std::move(path)), file_(std::move(file)) {}

  protected:
    std::size_t readSome(char* buffer, std::size_t size) override {
        DWORD got = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD));
        if (!ReadFile(file_.get(), buffer, wanted, &got, nullptr)) {
            throw systemFailure(GetLastError(), kCannotRead, path());
        }
        return got;
    }

    std::string decode(const std::string& bytes) override { return ansiToUtf8(bytes); }

    void closeFile() override { file_.reset(); }

  private:
    UniqueHandle file_;
};

class Win32BinaryFile : public platform::BufferedBinaryFile {
  public:
    Win32BinaryFile(UniqueHandle file, std::string path)
        : BufferedBinaryFile(std::move(path)), file_(std::move(file)) {}

  protected:
    void writeBytes(const char* data, std::size_t size) override {
        while (size > 0) {
            const DWORD piece = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!WriteFile(file_.get(), data, piece, &written, nullptr)) {
                throw systemFailure(GetLastError(), kCannotWrite, path());
            }
            if (written == 0) {
                throw systemFailure(ERROR_WRITE_FAULT, kCannotWrite, path());
            }
            data += written;
            size -= written;
        }
    }

    void closeFile() override {
        if (!file_.reset()) {
            throw systemFailure(GetLastError(), kCannotWrite, path());
        }
    }

  private:
    UniqueHandle file_;
};

}  // namespace

std::unique_ptr<platform::TextStream> makeTextStream(UniqueHandle file, std::string path) {
    return std::make_unique<Win32TextStream>(std::move(file), std::move(path));
}

std::unique_ptr<platform::BinaryFile> makeBinaryFile(UniqueHandle file, std::string path) {
    return std::make_unique<Win32BinaryFile>(std::move(file), std::move(path));
}

}  // namespace quibrant::win32
