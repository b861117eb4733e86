#include "WindowScenarios.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "WindowFixture.h"
#include "source/AccessCodeTable.h"
#include "support/FormFixture.h"
#include "win32/Utf16.h"

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

    void clickButton(const char* name) { SendMessageW(control(name), BM_CLICK, 0, 0); }
};

std::string acceptedCode() {
    for (const auto& entry : builtInAccessCodeTable()) {
        if (entry.category != 0) {
            return std::string(entry.code);
        }
    }
    return "";
}

bool contains(const std::vector<std::string>& calls, const std::string& call) {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

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

// A request that gets no answer: the watchdog's ticks end the program with
// the time-out message once ten seconds have passed.
int timeOut() {
    Scenario s;
    s.exiting.expected = [&s] {
        return s.messages.shown.size() == 1 && s.messages.shown[0].title == "ERROR TIME OUT" &&
               s.inet.cancels >= 1;
    };
    s.begin();
    SetWindowTextW(s.control("Text4"), win32::widen(acceptedCode()).c_str());
    SetFocus(s.control("Text4"));
    s.pump();
    s.clickButton("Command2");
    s.clock.now += 11;
    WindowFixture::waitFor([] { return false; });
    return kDidNotEnd;
}

// "  Solo   Instalar" starts the file named in the destination box from its
// own folder, and the program ends.
int installOnly() {
    Scenario s;
    s.exiting.startable.insert("Quibrant_Setup.exe");
    s.exiting.enterable.insert("C:\\");
    s.exiting.expected = [&s] {
        return contains(s.exiting.calls, "changeDirectory C:\\") &&
               contains(s.exiting.calls, "startProgram Quibrant_Setup.exe") &&
               s.messages.shown.empty();
    };
    s.begin();
    s.clickButton("Command3");
    return kDidNotEnd;
}

}  // namespace

int playScenario(const std::string& name) {
    if (name == "close-inside-loop") {
        return closeInsideLoop();
    }
    if (name == "time-out") {
        return timeOut();
    }
    if (name == "install-only") {
        return installOnly();
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
