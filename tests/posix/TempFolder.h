#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>

namespace quibrant::test {

// A folder of its own for one test, removed with everything in it afterwards.
class TempFolder {
  public:
    TempFolder() {
        char pattern[] = "/tmp/quibrant-posix-XXXXXX";
        const char* made = mkdtemp(pattern);
        EXPECT_NE(made, nullptr);
        // Canonical, as the services answer with canonical paths.
        root_ = made != nullptr ? std::filesystem::canonical(made).string() : "";
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    // The absolute path of `relative` inside the folder.
    std::string operator/(const std::string& relative) const { return root_ + "/" + relative; }
    const std::string& root() const { return root_; }

    std::string makeFolder(const std::string& relative) const {
        std::filesystem::create_directories(*this / relative);
        return *this / relative;
    }

    std::string write(const std::string& relative, const std::string& bytes,
                      mode_t mode = 0644) const {
        const std::string path = *this / relative;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        chmod(path.c_str(), mode);
        return path;
    }

    void link(const std::string& target, const std::string& relative) const {
        std::filesystem::create_directories(std::filesystem::path(*this / relative).parent_path());
        std::filesystem::create_symlink(target, *this / relative);
    }

  private:
    std::string root_;
};

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Waits up to ten seconds for a file that another process writes.
inline bool waitForFile(const std::string& path) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        struct stat info {};
        if (stat(path.c_str(), &info) == 0 && info.st_size > 0) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// Sets and removes environment variables for one test and puts the old
// values back when it ends.
class ScopedEnvironment {
  public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment() {
        for (const auto& [name, value] : saved_) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
    }

    void set(const std::string& name, const std::string& value) {
        save(name);
        setenv(name.c_str(), value.c_str(), 1);
    }
    void unset(const std::string& name) {
        save(name);
        unsetenv(name.c_str());
    }

  private:
    void save(const std::string& name) {
        if (saved_.count(name) == 0) {
            const char* old = getenv(name.c_str());
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
    }

    std::map<std::string, std::optional<std::string>> saved_;
};

}  // namespace quibrant::test
