#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Failure.h"
#include "platform/InternetTransfer.h"
#include "transfer/TransferFailures.h"

namespace quibrant::test {

// A transfer component whose response the test scripts: status, headers and a
// body handed out in pieces, optionally failing after a given number of bytes.
class FakeInternetTransfer : public platform::InternetTransfer {
  public:
    void onStateChanged(StateChangedHandler handler) override { handler_ = std::move(handler); }

    std::string RemoteHost() const override { return remoteHost_; }
    void setRemoteHost(const std::string& host) override {
        calls.push_back("RemoteHost=" + host);
        remoteHost_ = host;
    }
    std::string UserName() const override { return userName_; }
    void setUserName(const std::string& user) override {
        calls.push_back("UserName=" + user);
        userName_ = user;
    }
    std::string Password() const override { return password_; }
    void setPassword(const std::string& password) override {
        calls.push_back("Password=" + password);
        password_ = password;
    }
    void setSetting14(std::int32_t value) override {
        calls.push_back("Setting14=" + std::to_string(value));
    }
    std::string URL() const override { return url_; }
    void setURL(const std::string& url) override {
        calls.push_back("URL=" + url);
        url_ = url;
    }
    void Execute(const std::string& operation) override {
        calls.push_back("Execute " + operation);
        if (failExecute) {
            throw notSent();
        }
    }
    std::string GetHeader(const std::string& name) override {
        for (const auto& [key, value] : headers) {
            if (lower(key) == lower(name)) {
                return value;
            }
        }
        return "";
    }
    int responseCode() const override { return status; }
    platform::Failure requestFailure() const override {
        return platform::Failure(platform::errors::kTransferFailed, requestFailureText);
    }

    std::string_view GetChunk(std::int16_t size) override {
        ++chunkCalls;
        if (failAfter && delivered_ >= *failAfter) {
            throw transfer::brokenBody(
                transfer::TransferFault::kConnectionReset,
                {static_cast<std::int64_t>(delivered_), GetHeader("Content-Length")}, "");
        }
        std::size_t piece = std::min<std::size_t>(static_cast<std::size_t>(size), pieceSize);
        piece = std::min(piece, body.size() - delivered_);
        if (failAfter) {
            piece = std::min(piece, *failAfter - delivered_);
        }
        const std::string_view chunk(body.data() + delivered_, piece);
        delivered_ += piece;
        return chunk;
    }
    void Cancel() override {
        calls.push_back("Cancel");
        ++cancels;
    }

    // Raises StateChanged as the component would.
    void raise(std::int16_t state) {
        if (handler_) {
            handler_(state);
        }
    }

    // Sets a complete response: 200, "Content-length" and the body.
    void respond(std::string bytes) {
        status = 200;
        headers["Content-Length"] = std::to_string(bytes.size());
        body = std::move(bytes);
        delivered_ = 0;
    }

    std::size_t delivered() const { return delivered_; }

    // What Execute reports when failExecute is set.
    static platform::Failure notSent() {
        return transfer::transferFailure(transfer::TransferFault::kCannotConnect,
                                         "descargas.quibrant.es");
    }

    // What requestFailure reports once state 11 was raised.
    std::string requestFailureText =
        transfer::transferFailure(transfer::TransferFault::kHostNotFound).description();

    std::vector<std::string> calls;
    std::map<std::string, std::string> headers;
    std::string body;
    int status = 0;
    std::size_t pieceSize = 1024;
    std::optional<std::size_t> failAfter;
    bool failExecute = false;
    int chunkCalls = 0;
    int cancels = 0;

  private:
    static std::string lower(std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    }

    StateChangedHandler handler_;
    std::string remoteHost_;
    std::string userName_;
    std::string password_;
    std::string url_;
    std::size_t delivered_ = 0;
};

}  // namespace quibrant::test
