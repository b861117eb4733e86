#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/DownloadForm.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Shell.h"
#include "platform/SignatureCheck.h"

namespace quibrant::test {

// Thrown by FakeProcess::end so that nothing after the program's end runs.
struct ProgramEnded {};

class FakeEnvironment : public platform::Environment {
  public:
    // Variables by exact name; lookups ignore case, as the real one does.
    std::map<std::string, std::string> variables;
    // Paths that exist, mapped to their long form.
    std::map<std::string, std::string> longForms;

    std::string variable(const std::string& name) override;
    std::string longPathName(const std::string& path, std::size_t bufferSize) override;
    std::string desktopFolderOf(const std::string& profile) override {
        return profile + platform::kSep + "Desktop";
    }

    // Declares an existing folder whose long form is itself.
    void addFolder(const std::string& path) { longForms[path] = path; }
};

// A file system kept in memory: folders, and files with their bytes.
class FakeFileSystem : public platform::FileSystem {
  public:
    struct File {
        std::string bytes;
        bool readOnly = false;
        bool hidden = false;
    };

    std::set<std::string> folders;
    std::map<std::string, File> files;
    // Paths whose operations fail, as a locked or unreachable path would.
    std::set<std::string> failing;
    std::string driveRoot = "/home/user/";
    std::vector<std::string> calls;
    // Bytes that raw-byte files may still take; a write beyond fails as on a
    // full disk. Unlimited when unset.
    std::optional<std::size_t> diskSpace;
    // Raw-byte files whose closing fails, as a last flush to a full disk would.
    std::set<std::string> failingClose;
    // Partial files made so far; the next one's name follows from it.
    std::uint64_t partialFiles = 0;

    bool FolderExists(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    std::unique_ptr<platform::TextStream> OpenTextFile(const std::string& path) override;
    void CreateFolder(const std::string& path) override;
    void DeleteFile(const std::string& path, bool force) override;
    platform::PartialFile createPartialFile(const std::string& destination) override;
    void replaceFile(const std::string& from, const std::string& to) override;
    std::string mapPath(const std::string& path) override { return path; }
    std::string systemDriveRoot() override { return driveRoot; }

    // What a path listed as failing reports, and a write to a full disk.
    static platform::Failure denied(const std::string& path);
    static platform::Failure diskFull(const std::string& path);

  private:
    void failIfListed(const std::string& path);
};

class FakeFileSystemFactory : public platform::FileSystemFactory {
  public:
    // The form takes ownership of the object it creates; tests keep a pointer.
    FakeFileSystem* created = nullptr;
    int creations = 0;
    std::unique_ptr<FakeFileSystem> next = std::make_unique<FakeFileSystem>();

    std::unique_ptr<platform::FileSystem> createFileSystem() override;
    // The file system the form uses, or will use once it asks for one.
    FakeFileSystem& fs() { return created ? *created : *next; }
};

class FakeProcess : public platform::Process {
  public:
    std::vector<std::string> calls;
    std::set<std::string> startable;
    std::set<std::string> enterable;
    // Answers of listName by path.
    std::map<std::string, std::string> listings;
    bool ended = false;
    // Runs where the program ends, before end() throws: a test whose window
    // must really end there (inside the toolkit's event loop, where nothing
    // may be thrown through) exits the process in it.
    std::function<void()> whenEnded;

    void changeDrive(char letter) override;
    void changeDirectory(const std::string& folder) override;
    void startProgram(const std::string& commandLine) override;
    // Recorded as "startChecked <name> holding <path>"; throws as the
    // checked file says.
    void startChecked(const std::string& commandLine,
                      const platform::CheckedFile& checked) override;
    std::string listName(const std::string& path, bool includeFolders) override;
    [[noreturn]] void end() override;
};

class FakeClock : public platform::Clock {
  public:
    double now = 100.0;
    double seconds() override { return now; }
};

class FakeMessageBoxes : public platform::MessageBoxes {
  public:
    struct Shown {
        std::string text;
        std::string title;
        platform::MessageIcon icon;
    };
    std::vector<Shown> shown;
    // Runs while a box is open, as events would run under a modal box.
    std::function<void()> whileOpen;

    void show(const std::string& text, const std::string& title,
              platform::MessageIcon icon) override {
        shown.push_back({text, title, icon});
        if (whileOpen) {
            whileOpen();
        }
    }
};

// A shell whose special folders and saved shortcuts live in memory.
class FakeShellFactory : public platform::ShellFactory {
  public:
    struct SavedShortcut {
        std::string path;
        std::vector<std::pair<std::string, std::string>> properties;
    };
    std::map<std::string, std::string> specialFolders;
    std::vector<SavedShortcut> saved;
    int created = 0;
    int released = 0;
    bool failCreate = false;
    bool failSave = false;

    std::unique_ptr<platform::ShellObject> createObject(const std::string& progId) override;
};

// Answers, for each path, what a check of its signature found: the vendor's
// sound signature unless told otherwise. Remembers every path it was asked.
// A file a fake check holds: the path it goes by, moved on the fake file
// system, and the check's count of the starts still to find another file
// under its name.
class FakeCheckedFile : public platform::CheckedFile {
  public:
    FakeCheckedFile(std::string path, FakeFileSystem* fs, int& replacedBeforeStart)
        : path(std::move(path)), fs(fs), replacedBeforeStart(&replacedBeforeStart) {}
    void moveTo(const std::string& destination) override {
        if (fs != nullptr) {
            fs->replaceFile(path, destination);
        }
        path = destination;
    }
    std::string path;
    FakeFileSystem* fs;
    int* replacedBeforeStart;
};

class FakeSignatureCheck : public platform::SignatureCheck {
  public:
    std::map<std::string, platform::SignatureReport> byPath;
    // Answers every path not in byPath when set.
    std::optional<platform::SignatureReport> always;
    std::vector<std::string> checked;
    // Holds every file it accepts, as a real system does; the next this many
    // starts of a held file find another file under its name.
    bool holdFiles = false;
    int replacedBeforeStart = 0;
    // Where held files are moved.
    FakeFileSystemFactory* fileSystems = nullptr;
    // Every file it has held, so a test can see which are still held.
    std::vector<std::weak_ptr<platform::CheckedFile>> held;

    platform::SignatureReport check(const std::string& path,
                                    const std::string& organisation) override;
    // A report of `fault` for a file signed by `signer`.
    static platform::SignatureReport report(platform::SignatureFault fault,
                                            const std::string& signer = "");
};

// One fake of every service, and the bundle the form takes. Fixtures that
// build a form or a window derive from it.
struct FakeServiceSet {
    FakeEnvironment environment;
    FakeFileSystemFactory fileSystems;
    FakeShellFactory shells;
    FakeProcess process;
    FakeClock clock;
    FakeMessageBoxes messages;
    FakeSignatureCheck signatures;

    FakeServiceSet() { signatures.fileSystems = &fileSystems; }
    FakeServiceSet(const FakeServiceSet&) = delete;
    FakeServiceSet& operator=(const FakeServiceSet&) = delete;

    Services services() {
        return Services{&environment, &fileSystems, &shells,    &process,
                        &clock,       &messages,    &signatures};
    }
};

}  // namespace quibrant::test
