#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace quibrant::test {

// The folder make-signed-installers.sh filled, named by the test's environment.
inline std::string signedFolder() {
    const char* folder = std::getenv("QUIBRANT_SIGNED_INSTALLERS");
    EXPECT_NE(folder, nullptr) << "QUIBRANT_SIGNED_INSTALLERS names no folder";
    return folder != nullptr ? folder : "/nonexistent";
}

// A file of that folder: a signed installer, or "firma/ca.pem" and the like.
inline std::string signedInstaller(const std::string& name) {
    return signedFolder() + "/" + name;
}

inline std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace quibrant::test
