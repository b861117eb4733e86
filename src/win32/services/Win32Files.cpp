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
using platform::failures::kCannotReplace;
using platform::failures::kCannotWrite;

namespace {

constexpr const char* kFileInUse =
    "Otro programa tiene abierto el archivo %s (quizá el instalador anterior, que aún se está "
    "ejecutando). Ciérrelo y vuelva a intentarlo.";

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

std::wstring fullPathOf(const std::wstring& path) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()),
                                              buffer.data(), nullptr);
        if (length == 0) {
            return L"";
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(length);
    }
}

bool openElsewhere(const std::wstring& path) {
    // Opened for writing and deleting with nothing shared, a file is refused
    // while anyone else has it open, and while it runs as a program (whose
    // image Windows lets nobody write). A read-only file is tried for
    // deleting alone. Nothing is written, and the entry itself is looked at,
    // never what a link leads to.
    for (const DWORD access : {static_cast<DWORD>(DELETE | FILE_WRITE_DATA), DWORD{DELETE}}) {
        QuietDriveErrors quiet;
        const UniqueHandle probe(CreateFileW(path.c_str(), access, 0, nullptr, OPEN_EXISTING,
                                             FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (probe.valid()) {
            return false;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION) {
            return true;
        }
        if (error != ERROR_ACCESS_DENIED) {
            return false;
        }
    }
    return false;
}

platform::Failure fileInUse(const std::string& path) {
    const std::string text = kFileInUse;
    const std::size_t at = text.find("%s");
    return platform::Failure(platform::errors::kPermissionDenied,
                             text.substr(0, at) + path + text.substr(at + 2));
}

platform::Failure replaceFailure(std::uint32_t error, const std::string& path) {
    if ((error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) &&
        openElsewhere(widen(path))) {
        return fileInUse(path);
    }
    return systemFailure(error, kCannotReplace, path);
}

WritableForNow::~WritableForNow() {
    if (cleared_ && !kept_) {
        const DWORD error = GetLastError();
        SetFileAttributesW(path_.c_str(), attributes_);
        SetLastError(error);
    }
}

bool WritableForNow::clear() {
    if (attributes_ == INVALID_FILE_ATTRIBUTES || (attributes_ & FILE_ATTRIBUTE_READONLY) == 0) {
        return true;
    }
    DWORD writable = attributes_ & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    if (writable == 0) {
        writable = FILE_ATTRIBUTE_NORMAL;
    }
    cleared_ = SetFileAttributesW(path_.c_str(), writable) != FALSE;
    return cleared_;
}

}  // namespace quibrant::win32
