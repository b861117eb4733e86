// Downloads one URL and prints "<bytes> <seconds>", for wininet-benchmark.sh.
// "component" goes through the transfer component over the WinINet connection
// the way the window does (pieces of 1024 bytes, read from inside state 12, the
// thread's messages flowing); "bare" is the plainest WinINet loop on this
// thread, to tell what the component costs from what WinINet costs.

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/Failure.h"
#include "transfer/ResumingTransfer.h"
#include "win32/services/Utf16.h"
#include "win32/wininet/WinInetConnection.h"
#include "win32/wininet/WinInetHandle.h"

namespace {

using namespace quibrant;

using Clock = std::chrono::steady_clock;

// Each returns the bytes of the body, or -1 with the reason on stderr, and
// sets `start` when the request begins.
std::int64_t throughComponent(const std::string& url, Clock::time_point& start) {
    // Made first, as the program makes it with its window: creating the
    // first window of a process is no part of a download.
    transfer::ResumingTransfer inet(std::make_unique<win32::WinInetConnection>(), url);
    std::int64_t bytes = 0;
    bool done = false;
    std::string failure;
    inet.onStateChanged([&](std::int16_t state) {
        if (state == platform::InternetTransfer::kError) {
            failure = inet.requestFailure().description();
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
    inet.setURL(url);
    start = Clock::now();
    inet.Execute("GET");
    MSG message;
    while (!done && GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (!failure.empty()) {
        std::fprintf(stderr, "%s\n", failure.c_str());
        return -1;
    }
    return bytes;
}

std::int64_t bare(const std::string& url, Clock::time_point& start) {
    start = Clock::now();
    // The component's own flags, so that both ask WinINet for the same work.
    constexpr DWORD kFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                             INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_UI |
                             INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_SECURE;
    win32::InternetHandle session(
        InternetOpenW(L"Quibrant Descarga", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    win32::InternetHandle request(
        session ? InternetOpenUrlW(session.get(), win32::widen(url).c_str(), nullptr, 0, kFlags, 0)
                : nullptr);
    if (!request) {
        std::fprintf(stderr, "WinINet error %lu\n", GetLastError());
        return -1;
    }
    // Asking what is there before each read, as the component does: under
    // wine that is faster than reads of a whole block, which wait to fill it.
    constexpr DWORD kBlock = 64 * 1024;
    const auto buffer = std::make_unique<char[]>(kBlock);
    std::int64_t bytes = 0;
    DWORD available = 0;
    DWORD got = 0;
    while (InternetQueryDataAvailable(request.get(), &available, 0, 0) && available > 0 &&
           InternetReadFile(request.get(), buffer.get(), std::min(available, kBlock), &got) &&
           got > 0) {
        bytes += got;
    }
    return bytes;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc == 3 ? argv[1] : L"";
    if (mode != L"component" && mode != L"bare") {
        std::fprintf(stderr, "usage: wininet_benchmark component|bare URL\n");
        return 2;
    }
    const std::string url = win32::narrow(argv[2]);
    Clock::time_point start;
    const std::int64_t bytes = mode == L"bare" ? bare(url, start) : throughComponent(url, start);
    const std::chrono::duration<double> seconds = Clock::now() - start;
    if (bytes < 0) {
        return 1;
    }
    std::printf("%lld %.3f\n", static_cast<long long>(bytes), seconds.count());
    return 0;
}
