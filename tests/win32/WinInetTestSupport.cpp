#include "WinInetTestSupport.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>

#include "win32/services/Win32FileSystem.h"

namespace quibrant::test {
namespace {

int portFrom(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || std::atoi(value) <= 0) {
        throw std::runtime_error(std::string("missing ") + name +
                                 ": run the tests through run-wininet-tests.sh");
    }
    return std::atoi(value);
}

std::map<UINT_PTR, std::function<void()>>& pending() {
    static std::map<UINT_PTR, std::function<void()>> actions;
    return actions;
}

void CALLBACK fire(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    const auto found = pending().find(timer);
    if (found == pending().end()) {
        return;
    }
    const std::function<void()> action = std::move(found->second);
    pending().erase(found);
    action();
}

}  // namespace

const WinInetServers& WinInetServers::get() {
    static const WinInetServers servers = [] {
        WinInetServers found;
        const int base = portFrom("WININET_TEST_PORT_BASE");
        found.https = base;
        found.otherHost = base + 1;
        found.untrusted = base + 2;
        found.http = base + 3;
        found.closed = base + 4;
        found.expired = base + 6;
        found.nginx = portFrom("WININET_TEST_NGINX_PORT");
        const char* www = std::getenv("WININET_TEST_WWW");
        if (www == nullptr) {
            throw std::runtime_error("missing WININET_TEST_WWW");
        }
        found.www = www;
        return found;
    }();
    return servers;
}

std::string servedFile(const std::string& name) {
    std::ifstream in(WinInetServers::get().www + "\\" + name, std::ios::binary);
    if (!in) {
        throw std::runtime_error("missing served file " + name);
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i % 251);
    }
    return bytes;
}

platform::FileSystemFactory& realFileSystems() {
    static win32::Win32FileSystemFactory files;
    return files;
}

bool runUntil(const std::function<bool()>& done, int timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    while (!done()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            break;
        }
        MsgWaitForMultipleObjectsEx(0, nullptr,
                                    static_cast<DWORD>(std::min<ULONGLONG>(10, deadline - now)),
                                    QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // Left for `done` to see.
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return done();
}

void runFor(int ms) {
    runUntil([] { return false; }, ms);
}

Later::Later(unsigned ms, std::function<void()> action) {
    timer_ = SetTimer(nullptr, 0, ms, &fire);
    if (timer_ == 0) {
        throw std::runtime_error("SetTimer failed");
    }
    pending()[timer_] = std::move(action);
}

Later::~Later() {
    KillTimer(nullptr, timer_);
    pending().erase(timer_);
}

}  // namespace quibrant::test
