#pragma once

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "WinInetTestSupport.h"
#include "platform/Failure.h"
#include "source/ServerConfig.h"
#include "win32/WinInetTransfer.h"

namespace quibrant::test {

using State = platform::InternetTransfer::State;
using win32::WinInetTransfer;

inline constexpr int kWaitMs = 15000;
inline constexpr std::chrono::milliseconds kShortStall{1500};

inline long countOf(const std::vector<std::int16_t>& states, std::int16_t state) {
    return std::count(states.begin(), states.end(), state);
}

inline std::string mainServer(const std::string& baseUrl) {
    return baseUrl;
}

inline std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Drives one request the way the window does: every state is recorded, and
// on state 12 the whole body is read from inside the notification.
struct Download {
    explicit Download(WinInetTransfer& transfer) : inet(transfer) {
        inet.onStateChanged([this](std::int16_t state) {
            states.push_back(state);
            onWindowThread = onWindowThread && GetCurrentThreadId() == windowThread;
            if (state == State::kResponseCompleted) {
                readBody();
            }
        });
    }

    void start(const std::string& url) {
        inet.setUserName(inet.UserName().empty() ? "prueba" : inet.UserName());
        inet.setPassword(inet.Password().empty() ? "secreto" : inet.Password());
        inet.setSetting14(0);
        inet.setURL(url);
        inet.Execute("GET");
    }

    void readBody() {
        try {
            for (;;) {
                const std::string_view piece = inet.GetChunk(pieceSize);
                if (piece.empty()) {
                    break;
                }
                sizes.push_back(piece.size());
                body.append(piece);
                if (afterPiece) {
                    afterPiece();
                }
            }
            ended = true;
        } catch (const platform::Failure& failure) {
            this->failure = failure.description();
        }
    }

    bool finished() const { return ended || failure.has_value() || countOf(states, 11) > 0; }
    bool run(int timeoutMs = kWaitMs) {
        return runUntil([this] { return finished(); }, timeoutMs);
    }
    bool piecesWithin(std::size_t most) const {
        return std::all_of(sizes.begin(), sizes.end(),
                           [most](std::size_t size) { return size >= 1 && size <= most; });
    }

    WinInetTransfer& inet;
    const DWORD windowThread = GetCurrentThreadId();
    std::vector<std::int16_t> states;
    std::vector<std::size_t> sizes;
    std::string body;
    bool ended = false;
    bool onWindowThread = true;
    std::optional<std::string> failure;
    std::int16_t pieceSize = 1024;
    std::function<void()> afterPiece;
};

class WinInetTest : public ::testing::Test {
  protected:
    const WinInetServers& servers = WinInetServers::get();
    std::string mainUrl() const { return servers.scripted("/"); }
};

}  // namespace quibrant::test
