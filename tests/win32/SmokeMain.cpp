// The program as it ships, plus a way for the smoke test to drive it: the
// command line names the server, the access code to type and the button to
// press, and messages are written to a file instead of being shown, since no
// one is there to close them.
//
//   quibrant-descarga-smoke.exe --server https://127.0.0.1:8443/ --code GKKA5
//       --press Command2 --log C:\smoke\messages.txt
//
// After a message with the critical icon it ends with exit code 3. Each message
// is logged with the name of the program's text it is, so that the smoke test
// checks the outcome without copying the words.

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "app/DownloadForm.h"
#include "app/FormTexts.h"
#include "install/Signature.h"
#include "platform/MessageBox.h"
#include "win32/Program.h"
#include "win32/services/Utf16.h"
#include "win32/window/DownloadWindow.h"

namespace {

using namespace quibrant;

constexpr UINT kEndedAfterFailure = 3;

// The first line of `text`.
std::string firstLine(const std::string& text) {
    return text.substr(0, text.find('\r'));
}

// Which of the program's texts a message is: "downloaded", "download-refused"
// (a download without the vendor's signature), "installer-refused" (a file at
// the destination without it), or "-" for any other.
std::string nameOf(const std::string& text) {
    if (text == texts::kDownloaded) {
        return "downloaded";
    }
    const std::string line = firstLine(text);
    if (line == firstLine(install::refusalMessage(install::Vetted::Downloaded, "", {}))) {
        return "download-refused";
    }
    // The refusal of a file at the destination names the file.
    const std::string marker = "\x01";
    const std::string refusal =
        firstLine(install::refusalMessage(install::Vetted::AtDestination, marker, {}));
    const std::string before = refusal.substr(0, refusal.find(marker));
    const std::string after = refusal.substr(refusal.find(marker) + marker.size());
    if (line.size() > before.size() + after.size() && line.rfind(before, 0) == 0 &&
        line.compare(line.size() - after.size(), after.size(), after) == 0) {
        return "installer-refused";
    }
    return "-";
}

// Appends each message as "name|title|text", in UTF-8.
class LoggedMessages : public platform::MessageBoxes {
  public:
    explicit LoggedMessages(const std::wstring& path) : file_(_wfopen(path.c_str(), L"ab")) {}
    ~LoggedMessages() override {
        if (file_) {
            std::fclose(file_);
        }
    }
    LoggedMessages(const LoggedMessages&) = delete;
    LoggedMessages& operator=(const LoggedMessages&) = delete;

    void show(const std::string& text, const std::string& title,
              platform::MessageIcon icon) override {
        if (file_) {
            const std::string line =
                nameOf(text) + "|" + (title.empty() ? kAppTitle : title) + "|" + text + "\n";
            std::fwrite(line.data(), 1, line.size(), file_);
            // The program may end right after a message: keep nothing in a buffer.
            std::fflush(file_);
        }
        // After a refusal or failure the window waits for a user who is not
        // there: end, and say so with the exit code.
        if (icon == platform::MessageIcon::Critical) {
            ExitProcess(kEndedAfterFailure);
        }
    }

  private:
    std::FILE* file_;
};

std::map<std::wstring, std::wstring> parseArguments() {
    std::map<std::wstring, std::wstring> options;
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; arguments && i + 1 < count; i += 2) {
        options[arguments[i]] = arguments[i + 1];
    }
    LocalFree(arguments);
    return options;
}

// What the smoke test asked for, kept for the timer callback.
struct Script {
    win32::DownloadWindow* window = nullptr;
    std::wstring code;
    std::string button;
};
Script script;

// Types the code into its box key by key, as a user would, then presses the
// button. Runs from the message loop, once the window has settled.
void CALLBACK typeAndPress(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND codeBox = script.window->control("Text4");
    HWND button = script.window->control(script.button);
    if (!codeBox || !button) {
        std::fputs("smoke: the window has no such control\n", stderr);
        ExitProcess(2);
    }
    SetFocus(codeBox);
    for (wchar_t key : script.code) {
        SendMessageW(codeBox, WM_CHAR, key, 0);
    }
    // Leaving the box evaluates the code; the click moves the focus, as a
    // mouse click on the button would.
    SendMessageW(button, BM_CLICK, 0, 0);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    std::map<std::wstring, std::wstring> arguments = parseArguments();
    std::unique_ptr<LoggedMessages> messages;
    win32::ProgramOptions options;
    if (arguments.count(L"--server")) {
        ServerConfig server = ServerConfig::builtIn();
        server.MainServerBaseUrl = win32::narrow(arguments[L"--server"]);
        options.server = server;
    }
    if (arguments.count(L"--log")) {
        messages = std::make_unique<LoggedMessages>(arguments[L"--log"]);
        options.messages = messages.get();
    }
    if (arguments.count(L"--press")) {
        script.code = arguments[L"--code"];
        script.button = win32::narrow(arguments[L"--press"]);
        options.afterShow = [](win32::DownloadWindow& window) {
            script.window = &window;
            SetTimer(nullptr, 0, 300, typeAndPress);
        };
    }
    return win32::runProgram(instance, showCommand, options);
}
