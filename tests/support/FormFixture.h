#pragma once

#include <memory>

#include "app/DownloadForm.h"
#include "support/FakeControls.h"
#include "support/FakeInternetTransfer.h"
#include "support/FakeServices.h"

namespace quibrant {

// Reaches the form's private operations from tests.
class DownloadFormTestAccess {
  public:
    static void EvaluateAccessCode(DownloadForm& form) { form.EvaluateAccessCode(); }
    static void StartDownload(DownloadForm& form) { form.StartDownload(); }
    static void FindExistingInstallation(DownloadForm& form) { form.FindExistingInstallation(); }
    static void RunInstaller(DownloadForm& form) { form.RunInstaller(); }
    static void CreateDesktopShortcut(DownloadForm& form, const std::string& path) {
        form.CreateDesktopShortcut(path);
    }
    static FormState& state(DownloadForm& form) { return form.state_; }
    static transfer::ProgressBar& progressBar(DownloadForm& form) { return form.download_.bar(); }
    static const Controls& controls(const DownloadForm& form) { return form.controls_; }
};

namespace test {

// Every fake control and service, wired to one DownloadForm. The form is made
// by create() so that a test can arrange services, configuration or a table
// first.
struct FormFixture : FakeServiceSet {
    FakeWindow window;
    QUIBRANT_FORM_CONTROLS(QUIBRANT_FAKE_CONTROL_MEMBER)
    FakeTimer Timer1;
    FakeInternetTransfer Inet1;
    FakeTaskbarButton taskbar;

    std::unique_ptr<DownloadForm> form;

    FormFixture();

    Controls controls();
    DownloadForm& create(ServerConfig server = ServerConfig::builtIn(),
                         const AccessCodeTable& table = builtInAccessCodeTable());
    // Creates the form and runs load and activation, as the program's start does.
    DownloadForm& start(ServerConfig server = ServerConfig::builtIn(),
                        const AccessCodeTable& table = builtInAccessCodeTable());

    FakeFileSystem& fs() { return fileSystems.fs(); }
    FormState& state() { return DownloadFormTestAccess::state(*form); }
};

}  // namespace test
}  // namespace quibrant
