#pragma once

#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <string>

#include "posix/PosixFileSystem.h"
#include "support/FormFixture.h"
#include "transfer/ResumingTransfer.h"

namespace quibrant::test {

// Process services that record the installer launch instead of running
// anything; the end of the program throws ProgramEnded as the fakes do.
class RecordingProcess : public platform::Process {
  public:
    std::vector<std::string> calls;
    void changeDrive(char letter) override { calls.push_back(std::string("drive ") + letter); }
    void changeDirectory(const std::string& folder) override { calls.push_back("cd " + folder); }
    void startProgram(const std::string& commandLine) override {
        calls.push_back("start " + commandLine);
    }
    void startChecked(const std::string& commandLine, const platform::CheckedFile&) override {
        calls.push_back("start " + commandLine);
    }
    // As a listing of the real disk shows the entry: its name, "" when absent.
    std::string listName(const std::string& path, bool) override;
    [[noreturn]] void end() override {
        calls.push_back("end");
        throw ProgramEnded{};
    }
};

// A real download: the form with the real transfer component and the real
// Linux file system, fakes for the widgets, message boxes and process. The
// window's events run through Qt's event loop, and Timer1 ticks every 500 ms
// while the form keeps it enabled.
class DownloadFixture : public FormFixture {
  public:
    explicit DownloadFixture(const std::string& serverBaseUrl);
    ~DownloadFixture();

    // Builds the form, as activated, with a valid code accepted: the file
    // name and folder boxes hold what a test puts there next.
    DownloadForm& open();
    // The file system the form uses; a test may replace it before open().
    void useFileSystems(platform::FileSystemFactory& factory) { files_ = &factory; }
    // The signature check; the fake one by default.
    void useSignatures(platform::SignatureCheck& check) { signatures_ = &check; }
    // The clock the watchdog reads; the fake one by default.
    void useClock(platform::Clock& clock) { clock_ = &clock; }

    // Clicks "Descargar e Instalar" (install) or "Solo Descargar".
    void download(const std::string& folder, const std::string& file, bool install = false);
    // Runs events until the program ends or the input frame is back.
    bool runToOutcome(int timeoutMs = 20000);

    std::string folder() const { return dir_.path().toStdString() + "/"; }
    std::string destination() const { return folder() + "Quibrant6_Setup.exe"; }
    bool ended() const { return ended_; }
    // What the last message box said, "" when none was shown.
    std::string lastMessage() const;

    std::unique_ptr<transfer::ResumingTransfer> transfer_;
    transfer::ResumingTransfer& inet;
    RecordingProcess realProcess;

  private:
    std::string serverBaseUrl_;
    QTemporaryDir dir_;
    posix::PosixFileSystemFactory posixFiles_;
    platform::FileSystemFactory* files_ = &posixFiles_;
    platform::Clock* clock_ = &clock;
    platform::SignatureCheck* signatures_ = &signatures;
    QTimer ticks_;
    bool ended_ = false;
};

// Reads a whole file; "<none>" when it does not exist.
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
bool exists(const std::string& path);
// Whether a download's partial file is in the folder, whatever its name.
bool partialFileIn(const std::string& folder);

}  // namespace quibrant::test
