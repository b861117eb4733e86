#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/FormFixture.h"

namespace quibrant::test {

// A started window with an accepted code, whose destination box names
// kDestination, ready to request a download.
class DownloadFixture : public ::testing::Test {
  protected:
    static constexpr const char* kDestination = "/home/user/Quibrant_Setup.exe";

    FormFixture f;

    void SetUp() override {
        f.start();
        f.state().CodeAccepted = kTrue;
        f.Text1.setText("Quibrant_Setup.exe");
        f.Text2.setText(kDestination);
    }

    // Bytes whose order matters, so a lost or repeated piece shows.
    static std::string body(std::size_t size) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<char>((i * 131 + i / 1024) & 0xFF);
        }
        return bytes;
    }

    // Raises "response completed"; true when the program ended inside it.
    bool raiseCompleted() {
        try {
            f.Inet1.raise(platform::InternetTransfer::kResponseCompleted);
        } catch (const ProgramEnded&) {
            return true;
        }
        return false;
    }

    bool hasFile(const std::string& path) { return f.fs().files.count(path) != 0; }
    // Whether a partial file of the destination's is still there.
    bool partialFileLeft() {
        const std::string prefix = std::string(kDestination) + ".";
        for (const auto& entry : f.fs().files) {
            if (entry.first.rfind(prefix, 0) == 0) {
                return true;
            }
        }
        return false;
    }
    const transfer::ProgressBar& bar() { return f.form->progressBar(); }
};

}  // namespace quibrant::test
