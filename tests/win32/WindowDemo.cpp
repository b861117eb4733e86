// Opens the program's window over fakes of every service, for looking at it
// (scripts/screenshot-windows) without a network or an installation. A
// download started in it gets its answer a moment later and runs slowly, so
// that a picture can show one under way.
#include <windows.h>

#include <string>

#include "win32/window/DownloadWindow.h"
#include "window/WindowDriver.h"

namespace {

class SlowTransfer : public quibrant::test::FakeInternetTransfer {
  public:
    // 64 MiB at about a millisecond per kilobyte: over a minute.
    static constexpr std::size_t kBodySize = 64 * 1024 * 1024;
    static constexpr UINT kAnswerDelayMs = 500;

    void Execute(const std::string& operation) override {
        FakeInternetTransfer::Execute(operation);
        respond(std::string(kBodySize, 'x'));
        answering_ = this;
        SetTimer(nullptr, 0, kAnswerDelayMs, &SlowTransfer::answer);
    }
    std::string_view GetChunk(std::int16_t size) override {
        Sleep(1);
        return FakeInternetTransfer::GetChunk(size);
    }

  private:
    static void CALLBACK answer(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        constexpr std::int16_t kResponseCompleted = 12;
        answering_->raise(kResponseCompleted);
    }
    static inline SlowTransfer* answering_ = nullptr;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    quibrant::test::WindowFakes fakes("C:\\users\\usuario\\Temp", "C:\\users\\usuario", "C:\\");
    SlowTransfer inet;
    quibrant::win32::DownloadWindow window(instance, fakes.services(), inet);
    window.show(showCommand);
    return quibrant::win32::DownloadWindow::runMessageLoop(window);
}
