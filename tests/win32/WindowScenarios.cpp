#include "WindowScenarios.h"

#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "WindowFixture.h"
#include "support/FormFixture.h"
#include "win32/services/Utf16.h"

namespace quibrant::test {

namespace {

// Ends the process for real, saying whether the program ended as the
// scenario expects.
class ExitingProcess : public FakeProcess {
  public:
    std::function<bool()> expected;
    [[noreturn]] void end() override {
        std::_Exit(expected && expected() ? kEndedAsExpected : kEndedOtherwise);
    }
};

struct Scenario : WindowFixture {
    ExitingProcess exiting;

    win32::DownloadWindow& begin() {
        window = std::make_unique<win32::DownloadWindow>(GetModuleHandleW(nullptr),
                                                         servicesEndingForReal(), inet);
        window->show(SW_SHOWNORMAL);
        SetForegroundWindow(window->handle());
        pump();
        return *window;
    }

    Services servicesEndingForReal() {
        Services s = services();
        s.process = &exiting;
        return s;
    }
};

// The window is closed while a download's loop lets events run: the partial
// download is discarded and the program ends there.
int closeInsideLoop() {
    Scenario s;
    s.exiting.expected = [&s] { return s.inet.cancels == 1; };
    win32::DownloadWindow& window = s.begin();
    PostMessageW(window.handle(), WM_CLOSE, 0, 0);
    Sleep(2);
    DownloadFormTestAccess::controls(window.form()).window->doEvents();
    return kDidNotEnd;
}

}  // namespace

int playScenario(const std::string& name) {
    if (name == "close-inside-loop") {
        return closeInsideLoop();
    }
    return kUnknownScenario;
}

int runScenario(const std::string& name) {
    std::wstring program(MAX_PATH, L'\0');
    program.resize(GetModuleFileNameW(nullptr, program.data(), MAX_PATH));
    std::wstring commandLine = L"\"" + program + L"\" --scenario=" + win32::widen(name);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &child)) {
        return -1;
    }
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return static_cast<int>(code);
}

}  // namespace quibrant::test
