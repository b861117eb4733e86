#pragma once

#include <array>
#include <cstdint>
#include <string>

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

// The window's controls, owned by the toolkit adapter.
struct Controls {
    platform::Window* window = nullptr;
    platform::TextBox* Text1 = nullptr;  // "Fichero Origen"
    platform::TextBox* Text2 = nullptr;  // "Fichero Destino"
    platform::TextBox* Text3 = nullptr;  // "Carpeta Origen", hidden
    platform::TextBox* Text4 = nullptr;  // "Contraseña"
    platform::Captioned* Frame1 = nullptr;
    platform::Captioned* Frame2 = nullptr;
    platform::Captioned* Label2 = nullptr;
    platform::ProgressBarView* ProgressBar1 = nullptr;
    std::array<platform::PictureBox*, 2> Picture1{};
    platform::PictureBox* Picture2 = nullptr;
    std::array<platform::OptionButton*, 2> Option1{};
    platform::Timer* Timer1 = nullptr;
    platform::InternetTransfer* Inet1 = nullptr;
    // The window's button on the taskbar, which the window sets itself; null
    // when it has none.
    platform::TaskbarButton* taskbar = nullptr;
};

// The controls of a set of adapters whose members carry the controls' names
// (Text1 ... Option1_1), as every toolkit's window and the tests' fakes do.
template <typename Adapters>
Controls controlsOf(Adapters& a, platform::InternetTransfer& inet) {
    Controls c;
    c.window = &a.window;
    c.Text1 = &a.Text1;
    c.Text2 = &a.Text2;
    c.Text3 = &a.Text3;
    c.Text4 = &a.Text4;
    c.Frame1 = &a.Frame1;
    c.Frame2 = &a.Frame2;
    c.Label2 = &a.Label2;
    c.ProgressBar1 = &a.ProgressBar1;
    c.Picture1 = {&a.Picture1_0, &a.Picture1_1};
    c.Picture2 = &a.Picture2;
    c.Option1 = {&a.Option1_0, &a.Option1_1};
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
