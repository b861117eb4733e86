#include "support/FakeServices.h"

#include <algorithm>
#include <cctype>

#include "platform/BufferedTextStream.h"
#include "platform/Failure.h"
#include "platform/PartialFileName.h"
#include "platform/ServiceFailures.h"

namespace quibrant::test {

namespace {

using platform::failures::SystemReason;

// A failure worded as the systems' services word theirs, with the number the
// reason stands for.
platform::Failure systemFailure(const char* what, const std::string& subject, SystemReason reason) {
    const platform::failures::ReasonText& text = platform::failures::textOf(reason);
    return platform::failures::describedFailure(text.number, what, subject, text.text);
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The real streams' line logic over bytes held in memory.
class FakeTextStream : public platform::BufferedTextStream {
  public:
    FakeTextStream(std::string path, std::string text)
        : BufferedTextStream(std::move(path)), text_(std::move(text)) {}

  protected:
    std::size_t readSome(char* buffer, std::size_t size) override {
        const std::size_t got = text_.copy(buffer, size, std::min(pos_, text_.size()));
        pos_ += got;
        return got;
    }
    std::string decode(const std::string& bytes) override { return bytes; }
    void closeFile() override {}

  private:
    std::string text_;
    std::size_t pos_ = 0;
};

class FakeBinaryFile : public platform::BinaryFile {
  public:
    FakeBinaryFile(FakeFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
    void write(const char* data, std::size_t size) override {
        if (closed_) {
            throw platform::failures::fileClosed(path_);
        }
        if (fs_.diskSpace) {
            if (size > *fs_.diskSpace) {
                throw FakeFileSystem::diskFull(path_);
            }
            *fs_.diskSpace -= size;
        }
        fs_.files[path_].bytes.append(data, size);
    }
    void close() override {
        fs_.calls.push_back("close " + path_);
        closed_ = true;
        if (fs_.failingClose.count(path_) != 0) {
            throw FakeFileSystem::diskFull(path_);
        }
    }

  private:
    FakeFileSystem& fs_;
    std::string path_;
    bool closed_ = false;
};

class FakeShortcut : public platform::ShortcutObject {
  public:
    FakeShortcut(FakeShellFactory& shell, std::string path)
        : shell_(shell), saved_{std::move(path), {}} {}
    ~FakeShortcut() override { ++shell_.released; }
    void setProperty(const std::string& name, const std::string& value) override {
        saved_.properties.emplace_back(name, value);
    }
    void Save() override {
        if (shell_.failSave) {
            throw systemFailure(platform::failures::kCannotCreateFile, saved_.path,
                                SystemReason::kPermissionDenied);
        }
        shell_.saved.push_back(saved_);
    }

  private:
    FakeShellFactory& shell_;
    FakeShellFactory::SavedShortcut saved_;
};

class FakeShell : public platform::ShellObject {
  public:
    explicit FakeShell(FakeShellFactory& shell) : shell_(shell) {}
    ~FakeShell() override { ++shell_.released; }
    std::string SpecialFolders(const std::string& name) override {
        for (const auto& [folder, path] : shell_.specialFolders) {
            if (lower(folder) == lower(name)) {
                return path;
            }
        }
        return "";
    }
    std::unique_ptr<platform::ShortcutObject> CreateShortCut(const std::string& path) override {
        return std::make_unique<FakeShortcut>(shell_, path);
    }

  private:
    FakeShellFactory& shell_;
};

}  // namespace

std::string FakeEnvironment::variable(const std::string& name) {
    for (const auto& [key, value] : variables) {
        if (lower(key) == lower(name)) {
            return value;
        }
    }
    return "";
}

std::string FakeEnvironment::longPathName(const std::string& path, std::size_t bufferSize) {
    const auto found = longForms.find(path);
    if (found == longForms.end() || found->second.size() + 1 > bufferSize) {
        return std::string(bufferSize, '\0');
    }
    std::string buffer = found->second;
    buffer.resize(bufferSize, '\0');
    return buffer;
}

platform::Failure FakeFileSystem::denied(const std::string& path) {
    return systemFailure(platform::failures::kCannotOpen, path, SystemReason::kPermissionDenied);
}

platform::Failure FakeFileSystem::diskFull(const std::string& path) {
    return systemFailure(platform::failures::kCannotWrite, path, SystemReason::kDiskFull);
}

void FakeFileSystem::failIfListed(const std::string& path) {
    if (failing.count(path) != 0) {
        throw denied(path);
    }
}

bool FakeFileSystem::FolderExists(const std::string& path) {
    calls.push_back("FolderExists " + path);
    failIfListed(path);
    return folders.count(path) != 0;
}

bool FakeFileSystem::FileExists(const std::string& path) {
    calls.push_back("FileExists " + path);
    failIfListed(path);
    return files.count(path) != 0;
}

std::unique_ptr<platform::TextStream> FakeFileSystem::OpenTextFile(const std::string& path) {
    calls.push_back("OpenTextFile " + path);
    failIfListed(path);
    const auto found = files.find(path);
    if (found == files.end()) {
        throw systemFailure(platform::failures::kCannotOpen, path, SystemReason::kFileNotFound);
    }
    return std::make_unique<FakeTextStream>(path, found->second.bytes);
}

void FakeFileSystem::CreateFolder(const std::string& path) {
    calls.push_back("CreateFolder " + path);
    failIfListed(path);
    folders.insert(path);
}

void FakeFileSystem::DeleteFile(const std::string& path, bool force) {
    calls.push_back("DeleteFile " + path);
    failIfListed(path);
    const auto found = files.find(path);
    if (found == files.end()) {
        throw systemFailure(platform::failures::kCannotDelete, path, SystemReason::kFileNotFound);
    }
    if (found->second.readOnly && !force) {
        throw platform::failures::readOnlyFile(path);
    }
    files.erase(found);
}

platform::PartialFile FakeFileSystem::createPartialFile(const std::string& destination) {
    calls.push_back("createPartialFile " + destination);
    if (folders.count(destination) != 0) {
        throw platform::failures::destinationIsFolder(destination);
    }
    // A folder listed as failing is one nobody may write in.
    failIfListed(destination.substr(0, destination.find_last_of("/\\")));
    std::string path;
    do {
        path = platform::partialFileName(destination, ++partialFiles);
    } while (files.count(path) != 0);
    files[path] = File{};
    return {std::make_unique<FakeBinaryFile>(*this, path), path, ""};
}

void FakeFileSystem::replaceFile(const std::string& from, const std::string& to) {
    calls.push_back("replaceFile " + from + " " + to);
    failIfListed(to);
    const auto found = files.find(from);
    if (found == files.end()) {
        throw systemFailure(platform::failures::kCannotReplace, from, SystemReason::kFileNotFound);
    }
    File moved = found->second;
    files.erase(found);
    files[to] = moved;
}

std::unique_ptr<platform::FileSystem> FakeFileSystemFactory::createFileSystem() {
    ++creations;
    created = next.get();
    return std::move(next);
}

void FakeProcess::changeDrive(char letter) {
    calls.push_back(std::string("changeDrive ") + letter);
    if (!std::isalpha(static_cast<unsigned char>(letter))) {
        throw platform::failures::noDrive(std::string(1, letter) + ":");
    }
}

void FakeProcess::changeDirectory(const std::string& folder) {
    calls.push_back("changeDirectory " + folder);
    if (enterable.count(folder) == 0) {
        throw systemFailure(platform::failures::kCannotEnterFolder, folder,
                            SystemReason::kPathNotFound);
    }
}

void FakeProcess::startProgram(const std::string& commandLine) {
    calls.push_back("startProgram " + commandLine);
    if (startable.count(commandLine) == 0) {
        throw systemFailure(platform::failures::kCannotStart, commandLine,
                            SystemReason::kFileNotFound);
    }
}

void FakeProcess::startChecked(const std::string& commandLine,
                               const platform::CheckedFile& checked) {
    const auto& file = dynamic_cast<const FakeCheckedFile&>(checked);
    calls.push_back("startChecked " + commandLine + " holding " + file.path);
    if (*file.replacedBeforeStart > 0) {
        --*file.replacedBeforeStart;
        throw platform::Failure(platform::errors::kFileChangedSinceCheck, "Otro archivo.");
    }
    if (startable.count(commandLine) == 0) {
        throw systemFailure(platform::failures::kCannotStart, commandLine,
                            SystemReason::kFileNotFound);
    }
}

std::string FakeProcess::listName(const std::string& path, bool includeFolders) {
    calls.push_back(std::string("listName ") + (includeFolders ? "all " : "files ") + path);
    const auto found = listings.find(path);
    return found == listings.end() ? "" : found->second;
}

void FakeProcess::end() {
    calls.push_back("end");
    ended = true;
    if (whenEnded) {
        whenEnded();
    }
    throw ProgramEnded{};
}

std::unique_ptr<platform::ShellObject> FakeShellFactory::createObject(const std::string& progId) {
    if (failCreate || lower(progId) != "wscript.shell") {
        throw platform::Failure(
            platform::errors::kCannotCreateObject,
            std::string(platform::failures::kCannotCreateObject) + ": " + progId);
    }
    ++created;
    return std::make_unique<FakeShell>(*this);
}

platform::SignatureReport FakeSignatureCheck::check(const std::string& path,
                                                    const std::string& organisation) {
    checked.push_back(path);
    const auto found = byPath.find(path);
    platform::SignatureReport answer = found != byPath.end() ? found->second
                                       : always
                                           ? *always
                                           : report(platform::SignatureFault::None, organisation);
    if (holdFiles && answer.trusted()) {
        answer.held = std::make_shared<FakeCheckedFile>(
            path, fileSystems != nullptr ? &fileSystems->fs() : nullptr, replacedBeforeStart);
        held.push_back(answer.held);
    }
    return answer;
}

platform::SignatureReport FakeSignatureCheck::report(platform::SignatureFault fault,
                                                     const std::string& signer) {
    using platform::SignatureFault;
    platform::SignatureReport report;
    report.fault = fault;
    report.signer = signer;
    report.valid = fault == SignatureFault::None || fault == SignatureFault::ForeignSigner ||
                   fault == SignatureFault::Untrusted || fault == SignatureFault::Expired;
    report.trustedRoot = fault == SignatureFault::None || fault == SignatureFault::ForeignSigner;
    report.vendorSigner = fault == SignatureFault::None;
    return report;
}

}  // namespace quibrant::test
