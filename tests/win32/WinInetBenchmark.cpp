// Downloads one URL through the WinINet transfer component the way the
// window does (pieces of 1024 bytes, read from inside state 12, the thread's
// messages flowing) and prints "<bytes> <seconds>". For wininet-benchmark.sh.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "platform/Failure.h"
#include "win32/Utf16.h"
#include "win32/WinInetTransfer.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: wininet_benchmark URL\n");
        return 2;
    }
    using namespace quibrant;
    const std::string url = win32::narrow(argv[1]);
    win32::WinInetTransfer inet(url);
    std::int64_t bytes = 0;
    bool done = false;
    std::string failure;
    inet.onStateChanged([&](std::int16_t state) {
        if (state == platform::InternetTransfer::kError) {
            failure = inet.lastFailure();
            done = true;
        }
        if (state != platform::InternetTransfer::kResponseCompleted) {
            return;
        }
        try {
            for (std::string_view piece = inet.GetChunk(1024); !piece.empty();
                 piece = inet.GetChunk(1024)) {
                bytes += static_cast<std::int64_t>(piece.size());
            }
        } catch (const platform::Failure& error) {
            failure = error.description();
        }
        done = true;
    });
    const auto start = std::chrono::steady_clock::now();
    inet.setURL(url);
    inet.Execute("GET");
    MSG message;
    while (!done && GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    if (!failure.empty()) {
        std::fprintf(stderr, "%s\n", failure.c_str());
        return 1;
    }
    std::printf("%lld %.3f\n", static_cast<long long>(bytes), seconds.count());
    return 0;
}
