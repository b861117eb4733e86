#pragma once

#include <cstdint>
#include <string>

#include "app/ControlTable.h"
#include "app/FormState.h"
#include "app/TaskbarMirror.h"
#include "platform/Clock.h"
#include "platform/Controls.h"
#include "platform/Environment.h"
#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "platform/InternetTransfer.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"
#include "platform/Shell.h"
#include "platform/SignatureCheck.h"
#include "platform/Taskbar.h"
#include "source/AccessCodeTable.h"
#include "source/ServerConfig.h"
#include "transfer/Download.h"

namespace quibrant {

// The program's name, shown by every message box that has no title of its own.
inline constexpr const char* kAppTitle = "Quibrant Descarga";

// The window's controls, owned by the toolkit adapter: one member per row of
// the control table, named as the row ("Text4", "Picture1_0"), and the
// controls that are not in the window's layout.
struct Controls {
    platform::Window* window = nullptr;
    QUIBRANT_FORM_CONTROLS(QUIBRANT_CONTROL_VIEW_MEMBER)
    platform::Timer* Timer1 = nullptr;
    platform::InternetTransfer* Inet1 = nullptr;
    // The window's button on the taskbar, which the window sets itself; null
    // when it has none.
    platform::TaskbarButton* taskbar = nullptr;

    // The server option of that index (0 or 1).
    platform::OptionButton* Option1(std::int16_t Index) const {
        return Index == 0 ? Option1_0 : Option1_1;
    }
};

// The controls of a set of adapters whose members carry the controls' names
// (Text1 ... Option1_1) and the timer's, as every toolkit's window and the
// tests' fakes do.
template <typename Adapters>
Controls controlsOf(Adapters& a, platform::InternetTransfer& inet) {
    Controls c;
    c.window = &a.window;
#define QUIBRANT_CONTROL_OF(name, ...) c.name = &a.name;
    QUIBRANT_FORM_CONTROLS(QUIBRANT_CONTROL_OF)
#undef QUIBRANT_CONTROL_OF
    c.Timer1 = &a.Timer1;
    c.Inet1 = &inet;
    return c;
}

// The services of the system the window works with.
struct Services {
    platform::Environment* environment = nullptr;
    platform::FileSystemFactory* fileSystems = nullptr;
    platform::ShellFactory* shells = nullptr;
    platform::Process* process = nullptr;
    platform::Clock* clock = nullptr;
    platform::MessageBoxes* messages = nullptr;
    platform::SignatureCheck* signatures = nullptr;
};

// The program's single window: its state, its event handlers and the
// operations they call. The toolkit adapter owns the widgets and forwards
// their events to the handlers below.
class DownloadForm {
  public:
    DownloadForm(const Controls& controls, const Services& services,
                 ServerConfig server = ServerConfig::builtIn(),
                 const AccessCodeTable& accessCodes = builtInAccessCodeTable());
    DownloadForm(const DownloadForm&) = delete;
    DownloadForm& operator=(const DownloadForm&) = delete;

    // Event handlers.
    void Form_Load();
    void Form_Activate();
    void Form_KeyPress(std::int16_t& KeyAscii);
    void Text1_GotFocus();
    void Text2_GotFocus();
    void Text3_GotFocus();
    void Text4_GotFocus();
    void Text1_LostFocus();
    void Text2_LostFocus();
    void Text3_LostFocus();
    void Text4_LostFocus();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Picture1_Click(std::int16_t Index);
    void Picture2_Click(std::int16_t Index);
    void Option1_Click(std::int16_t Index);
    void Inet1_StateChanged(std::int16_t State);
    void Timer1_Timer();

    // Public operations.
    std::string GetDirTemp(const std::string& Dire);
    std::int32_t CreateShortCut(const std::string& NameLnk, const std::string& FileName,
                                const std::string& Destination, const std::string& Args = "");

    // Abandons a download in progress and removes its partial file, for a
    // window that closes mid-transfer. Never throws.
    void discardPartialDownload();

    const FormState& state() const { return state_; }
    const transfer::ProgressBar& progressBar() const { return download_.bar(); }
    const ServerConfig& server() const { return server_; }

  private:
    friend class DownloadFormTestAccess;

    // Operations.
    void EvaluateAccessCode();
    std::string NormalizeCode(const std::string& code) const;
    void StartDownload();
    void FindExistingInstallation();
    void RunInstaller();
    void CreateDesktopShortcut(const std::string& installerPath);

    // The ends of a download: the file handed over, or the failure reported
    // and the window given back.
    void CompleteDownload();
    void FailDownload(const platform::Failure& failure);
    // Gives the window back after a download that did not start or failed.
    void releaseWindow();

    // Selecting an option button by code runs its click handler.
    void selectOption1(std::int16_t index);
    // The file-system service, created on first use.
    platform::FileSystem& fileSystem();

    Controls controls_;
    Services services_;
    ServerConfig server_;
    const AccessCodeTable& accessCodes_;
    FormState state_;
    // The view the download's bar drives; declared before the download.
    TaskbarMirror taskbar_;
    transfer::Download download_;
};

}  // namespace quibrant
