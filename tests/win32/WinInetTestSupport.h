#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace quibrant::platform {
class FileSystemFactory;
}

namespace quibrant::test {

// The Windows file-system service, for the resume contract's form.
platform::FileSystemFactory& realFileSystems();

// The HTTPS servers that run-wininet-tests.sh started for these tests, all
// on 127.0.0.1. Addresses use the name "localhost": the test certificate is
// for it, and wine checks a certificate's names but not its IP addresses.
struct WinInetServers {
    int https = 0;
    int otherHost = 0;
    int untrusted = 0;
    int http = 0;
    int closed = 0;
    // A certificate from the trusted authority that has expired.
    int expired = 0;
    int nginx = 0;
    // The folder nginx serves, as a Windows path.
    std::string www;

    // Throws std::runtime_error when the tests were not started by the script.
    static const WinInetServers& get();

    std::string scripted(const std::string& path) const { return at(https, path); }
    std::string plain(const std::string& path) const {
        return "http://localhost:" + std::to_string(http) + path;
    }
    std::string nginxFile(const std::string& name) const { return at(nginx, "/" + name); }
    static std::string at(int port, const std::string& path) {
        return "https://localhost:" + std::to_string(port) + path;
    }
};

// The bytes of a file that nginx serves, e.g. "f1024.bin".
std::string servedFile(const std::string& name);
// The bytes the scriptable server sends for its first `size` body bytes.
std::string pattern(std::size_t size);

// Lets this thread's window messages run until `done` holds or `timeoutMs`
// have passed; answers whether `done` held.
bool runUntil(const std::function<bool()>& done, int timeoutMs);
void runFor(int ms);

// Runs `action` once, `ms` from now, from whichever message loop of this
// thread runs then (the transfer's own wait included). Destroying the object
// first cancels it.
class Later {
  public:
    Later(unsigned ms, std::function<void()> action);
    ~Later();
    Later(const Later&) = delete;
    Later& operator=(const Later&) = delete;

  private:
    std::uintptr_t timer_ = 0;
};

}  // namespace quibrant::test
