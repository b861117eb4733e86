#pragma once

#include <QByteArray>
#include <QUrl>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Failure.h"
#include "platform/InternetTransfer.h"
#include "transfer/TransferFailures.h"
#include "transfer/TransferSettings.h"

QT_BEGIN_NAMESPACE
class QAuthenticator;
class QEventLoop;
class QNetworkAccessManager;
class QNetworkReply;
class QObject;
QT_END_NAMESPACE

namespace quibrant::qt {

// The Internet transfer component over Qt Network: one HTTP(S) GET at a time,
// its progress raised as the component's state numbers on the thread that
// created it (the window's), its body handed out in small pieces from a
// bounded buffer so that memory stays flat whatever the file's size.
class QtInternetTransfer final : public transfer::TransferSettings {
  public:
    // `mainServerBaseUrl` is the only origin that may receive the user name
    // and password, over HTTPS and only when it asks for them.
    explicit QtInternetTransfer(const std::string& mainServerBaseUrl);
    ~QtInternetTransfer() override;
    QtInternetTransfer(const QtInternetTransfer&) = delete;
    QtInternetTransfer& operator=(const QtInternetTransfer&) = delete;

    void onStateChanged(StateChangedHandler handler) override;

    void Execute(const std::string& operation) override;
    std::string GetHeader(const std::string& name) override;
    int responseCode() const override;
    std::string responseReason() const override;
    platform::Failure requestFailure() const override;
    std::string_view GetChunk(std::int16_t size) override;
    void Cancel() override;

    // Bytes of the body received from the network and not yet handed out:
    // what the component holds in memory, bounded whatever the file's size.
    std::int64_t bufferedBytes() const;

    void setStallTimeout(std::chrono::milliseconds timeout) { stallTimeout_ = timeout; }

  private:
    struct DeleteLater {
        void operator()(QObject* object) const;
    };
    using ReplyPtr = std::unique_ptr<QNetworkReply, DeleteLater>;

    void connectReply();
    void onMetaData();
    void onFinished();
    // The final answer's headers are in: state 12, once per request.
    void announceResponse();
    void onAuthentication(QNetworkReply* reply, QAuthenticator* authenticator);
    bool isMainServer(const QUrl& url) const;
    // Queues a state notification for the current request.
    void raise(std::int16_t state);
    void dropReply();
    // Blocks, with events flowing, until the reply has bytes, has finished,
    // is cancelled or has delivered nothing for the stall timeout.
    void waitForData();
    // The end of the body: nothing when the connection ended cleanly (the
    // caller checks the length), else the failure.
    void checkEnd();
    [[noreturn]] void fail(platform::Failure failure);
    transfer::BodyProgress bodyProgress() const;

    std::unique_ptr<QNetworkAccessManager> manager_;
    ReplyPtr reply_;
    StateChangedHandler handler_;
    QUrl mainServer_;

    std::chrono::milliseconds stallTimeout_ = transfer::kStallLimit;

    // Per request. The generation tells a queued notification whether its
    // request is still the current one.
    std::uint64_t generation_ = 0;
    bool headersSeen_ = false;
    bool completedRaised_ = false;
    bool errorRaised_ = false;
    bool credentialsGiven_ = false;
    bool cancelled_ = false;
    std::optional<platform::Failure> failure_;
    std::int64_t received_ = 0;
    QEventLoop* waiting_ = nullptr;

    // The pieces are cut from this buffer, refilled from the reply in large
    // reads: asking the reply for 1 KiB at a time costs far more.
    QByteArray buffer_;
    qsizetype bufferEnd_ = 0;
    qsizetype bufferPos_ = 0;
};

}  // namespace quibrant::qt
