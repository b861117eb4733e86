#pragma once

#include <QObject>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "curl/CurlMulti.h"
#include "curl/CurlRequest.h"
#include "curl/TrustedAuthorities.h"
#include "transfer/Connection.h"

QT_BEGIN_NAMESPACE
class QEventLoop;
QT_END_NAMESPACE

namespace quibrant::curl {

// The Linux connection under the transfer: one GET at a time on libcurl,
// driven by the window's own event loop (no thread of its own), its body
// kept in a bounded buffer that libcurl fills and the transfer empties, so
// that memory stays flat whatever the file's size.
class CurlConnection final : public transfer::Connection, private CurlRequest::Listener {
  public:
    // The authorities in `authorities.mainServerPem` are trusted for the host
    // of `mainServerBaseUrl` only.
    explicit CurlConnection(const std::string& mainServerBaseUrl,
                            const TrustedAuthorities& authorities = TrustedAuthorities::builtIn());
    ~CurlConnection() override;
    CurlConnection(const CurlConnection&) = delete;
    CurlConnection& operator=(const CurlConnection&) = delete;

    void setListener(transfer::Connection::Listener* listener) override { listener_ = listener; }
    void start(const transfer::ConnectionRequest& request) override;
    void stop() noexcept override;
    const transfer::Answer* answer() const override;
    std::optional<transfer::ConnectionFault> failure() const override { return failure_; }
    Step next(std::string_view& block) override;
    bool wait(std::chrono::milliseconds limit) override;
    void wake() override;
    std::int64_t bufferedBytes() const override { return static_cast<std::int64_t>(end_ - pos_); }

  private:
    // CurlRequest::Listener: called from inside libcurl.
    void onConnecting() override;
    void onConnected() override;
    void onAnswerStarted() override;
    void onHeadersComplete() override;
    std::size_t onBody(const char* data, std::size_t size) override;

    void issue(CurlRequest::Setup setup);
    void onDone(CURL* easy, CURLcode result);
    // Queues news of the current request for the listener: a state number,
    // or kNews for an answer or an end.
    void post(std::int16_t state);

    QObject context_;
    std::unique_ptr<CurlMulti> multi_;
    std::unique_ptr<CurlRequest> request_;
    transfer::Connection::Listener* listener_ = nullptr;
    std::string mainServerHost_;
    CertificateAuthorities everyHost_;
    CertificateAuthorities mainServerOnly_;
    // The waits running now, innermost last: news ends every one of them.
    std::vector<QEventLoop*> waiting_;

    // Per request. The generation tells queued news whether its request is
    // still the current one.
    std::uint64_t generation_ = 0;
    bool answered_ = false;
    bool ended_ = false;
    bool paused_ = false;
    std::optional<transfer::ConnectionFault> failure_;

    // The body between the network and the blocks handed out: filled at
    // `end_` by libcurl, handed out from `pos_`.
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
};

}  // namespace quibrant::curl
