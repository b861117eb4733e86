#include "qt/QtInternetTransfer.h"

#include <QAuthenticator>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <algorithm>

namespace quibrant::qt {

namespace {

constexpr const char* kGet = "GET";
// Large enough to keep the connection busy, small enough to keep memory flat.
constexpr qint64 kReplyBufferSize = 1024 * 1024;
constexpr qsizetype kLocalReadSize = 64 * 1024;

transfer::TransferFault faultOf(QNetworkReply::NetworkError error) {
    using transfer::TransferFault;
    switch (error) {
        case QNetworkReply::HostNotFoundError:
            return TransferFault::kHostNotFound;
        case QNetworkReply::ConnectionRefusedError:
            return TransferFault::kConnectionRefused;
        case QNetworkReply::RemoteHostClosedError:
            return TransferFault::kConnectionClosed;
        case QNetworkReply::TimeoutError:
        case QNetworkReply::TemporaryNetworkFailureError:
        case QNetworkReply::NetworkSessionFailedError:
            return TransferFault::kCannotConnect;
        case QNetworkReply::SslHandshakeFailedError:
            return TransferFault::kSecureChannelFailed;
        case QNetworkReply::InsecureRedirectError:
            return TransferFault::kInsecureRedirect;
        case QNetworkReply::TooManyRedirectsError:
            return TransferFault::kTooManyRedirects;
        case QNetworkReply::ProxyConnectionRefusedError:
        case QNetworkReply::ProxyConnectionClosedError:
        case QNetworkReply::ProxyNotFoundError:
        case QNetworkReply::ProxyTimeoutError:
        case QNetworkReply::ProxyAuthenticationRequiredError:
            return TransferFault::kProxyFailed;
        case QNetworkReply::ProtocolFailure:
        case QNetworkReply::ProtocolInvalidOperationError:
        case QNetworkReply::ProtocolUnknownError:
            return TransferFault::kInvalidResponse;
        case QNetworkReply::UnknownNetworkError:
            return TransferFault::kConnectionReset;
        default:
            return TransferFault::kNetworkFailed;
    }
}

// An answer whose status Qt reports as an error still has a readable body;
// only failures of the connection itself make the body unreadable.
bool isHttpStatusError(QNetworkReply::NetworkError error) {
    const int code = static_cast<int>(error);
    return (code >= 201 && code <= 299) || (code >= 401 && code <= 499);
}

}  // namespace

void QtInternetTransfer::DeleteLater::operator()(QObject* object) const {
    object->deleteLater();
}

QtInternetTransfer::QtInternetTransfer(const std::string& mainServerBaseUrl)
    : manager_(std::make_unique<QNetworkAccessManager>()),
      mainServer_(QUrl(QString::fromStdString(mainServerBaseUrl))) {
    // Users behind a company proxy expect the program to use the one their
    // system is set up with.
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    QObject::connect(manager_.get(), &QNetworkAccessManager::authenticationRequired, manager_.get(),
                     [this](QNetworkReply* reply, QAuthenticator* authenticator) {
                         onAuthentication(reply, authenticator);
                     });
}

QtInternetTransfer::~QtInternetTransfer() {
    if (waiting_ != nullptr) {
        waiting_->quit();
    }
    dropReply();
}

void QtInternetTransfer::onStateChanged(StateChangedHandler handler) {
    handler_ = std::move(handler);
}

void QtInternetTransfer::Execute(const std::string& operation) {
    if (operation != kGet) {
        throw transfer::transferFailure(transfer::TransferFault::kUnsupportedOperation, operation);
    }
    const QUrl url = QUrl::fromUserInput(QString::fromStdString(URL()));
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != "https" && scheme != "http")) {
        throw transfer::transferFailure(transfer::TransferFault::kInvalidAddress, URL());
    }

    dropReply();
    ++generation_;
    headersSeen_ = false;
    completedRaised_ = false;
    errorRaised_ = false;
    credentialsGiven_ = false;
    cancelled_ = false;
    failure_.reset();
    received_ = 0;
    bufferEnd_ = 0;
    bufferPos_ = 0;

    QNetworkRequest request(url);
    // Following a redirect from HTTPS down to plain HTTP would hand the file
    // (and what the user trusts it to be) to anyone on the way.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    // The installer is saved byte for byte as the server holds it, and its
    // "Content-Length" must count the bytes that we are handed.
    request.setRawHeader("Accept-Encoding", "identity");
    // One plain HTTP/1.1 stream keeps the bounded read buffer simple and
    // predictable; a single file gains nothing from multiplexing.
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    reply_.reset(manager_->get(request));
    // Left unbounded, a reader slower than the network lets the reply hold
    // the whole body in memory.
    reply_->setReadBufferSize(kReplyBufferSize);
    connectReply();
}

void QtInternetTransfer::connectReply() {
    QNetworkReply* reply = reply_.get();
    QObject::connect(reply, &QNetworkReply::socketStartedConnecting, reply,
                     [this] { raise(kConnecting); });
    QObject::connect(reply, &QNetworkReply::encrypted, reply, [this] { raise(kConnected); });
    QObject::connect(reply, &QNetworkReply::requestSent, reply, [this] { raise(kRequestSent); });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [this] { onMetaData(); });
    QObject::connect(reply, &QNetworkReply::finished, reply, [this] { onFinished(); });
}

void QtInternetTransfer::onMetaData() {
    if (completedRaised_) {
        return;
    }
    raise(kResponseReceived);
    // Qt follows a redirect by itself: the answer that counts is the next one.
    // A redirect it refuses ends the reply, and onFinished announces it then.
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 300 && status < 400 && reply_->hasRawHeader("Location")) {
        return;
    }
    announceResponse();
}

void QtInternetTransfer::announceResponse() {
    headersSeen_ = true;
    completedRaised_ = true;
    // The caller reads the whole body from inside this notification, with
    // events flowing; it must not run inside the signal that announced the
    // headers, so it goes through the queue like every other state.
    raise(kResponseCompleted);
}

void QtInternetTransfer::onFinished() {
    if (waiting_ != nullptr) {
        waiting_->quit();
    }
    if (cancelled_ || completedRaised_) {
        return;
    }
    // An answer that came but was not followed (a redirect refused) is still
    // an answer, with a status the caller can report.
    if (reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) {
        announceResponse();
        return;
    }
    // A request that failed before its answer arrived (no connection, a
    // refused certificate, an unknown host) only ever learns of state 11.
    if (!errorRaised_) {
        errorRaised_ = true;
        raise(kError);
    }
}

void QtInternetTransfer::onAuthentication(QNetworkReply* reply, QAuthenticator* authenticator) {
    // Asked again after the credentials were given once: they were refused,
    // and the answer the server sends next says so.
    if (reply != reply_.get() || credentialsGiven_ || !isMainServer(reply->url())) {
        return;
    }
    credentialsGiven_ = true;
    authenticator->setUser(QString::fromStdString(UserName()));
    authenticator->setPassword(QString::fromStdString(Password()));
}

bool QtInternetTransfer::isMainServer(const QUrl& url) const {
    return url.scheme().compare("https", Qt::CaseInsensitive) == 0 &&
           mainServer_.scheme().compare("https", Qt::CaseInsensitive) == 0 &&
           url.host().compare(mainServer_.host(), Qt::CaseInsensitive) == 0 &&
           url.port(443) == mainServer_.port(443);
}

void QtInternetTransfer::raise(std::int16_t state) {
    const std::uint64_t generation = generation_;
    QMetaObject::invokeMethod(
        manager_.get(),
        [this, generation, state] {
            if (generation == generation_ && handler_) {
                handler_(state);
            }
        },
        Qt::QueuedConnection);
}

void QtInternetTransfer::dropReply() {
    if (!reply_) {
        return;
    }
    QObject::disconnect(reply_.get(), nullptr, nullptr, nullptr);
    if (!reply_->isFinished()) {
        reply_->abort();
    }
    reply_.reset();
}

std::string QtInternetTransfer::GetHeader(const std::string& name) {
    if (!reply_ || !headersSeen_) {
        return "";
    }
    return reply_->rawHeader(QByteArray::fromStdString(name)).toStdString();
}

int QtInternetTransfer::responseCode() const {
    if (!reply_ || !headersSeen_) {
        return 0;
    }
    return reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

std::string QtInternetTransfer::responseReason() const {
    if (!reply_ || !headersSeen_) {
        return "";
    }
    return reply_->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().toStdString();
}

platform::Failure QtInternetTransfer::requestFailure() const {
    if (cancelled_ || !reply_) {
        return transfer::transferFailure(transfer::TransferFault::kCancelled);
    }
    return transfer::transferFailure(faultOf(reply_->error()), reply_->url().host().toStdString());
}

std::int64_t QtInternetTransfer::bufferedBytes() const {
    const qint64 inReply = reply_ ? reply_->bytesAvailable() : 0;
    return static_cast<std::int64_t>(inReply + (bufferEnd_ - bufferPos_));
}

std::string_view QtInternetTransfer::GetChunk(std::int16_t size) {
    if (size <= 0) {
        return {};
    }
    if (failure_) {
        throw *failure_;
    }
    if (!reply_) {
        throw transfer::transferFailure(transfer::TransferFault::kNoRequest);
    }
    for (;;) {
        if (bufferPos_ < bufferEnd_) {
            const qsizetype piece = std::min<qsizetype>(size, bufferEnd_ - bufferPos_);
            const std::string_view chunk(buffer_.constData() + bufferPos_,
                                         static_cast<std::size_t>(piece));
            bufferPos_ += piece;
            return chunk;
        }
        if (cancelled_) {
            fail(transfer::transferFailure(transfer::TransferFault::kCancelled));
        }
        // One buffer, allocated once: a fresh block for every read costs more
        // in page faults than the copy itself.
        if (buffer_.size() < kLocalReadSize) {
            buffer_.resize(kLocalReadSize);
        }
        const qint64 got = reply_->read(buffer_.data(), kLocalReadSize);
        if (got > 0) {
            bufferEnd_ = static_cast<qsizetype>(got);
            bufferPos_ = 0;
            received_ += got;
            continue;
        }
        if (reply_->isFinished()) {
            checkEnd();
            return {};
        }
        waitForData();
    }
}

void QtInternetTransfer::waitForData() {
    const std::uint64_t generation = generation_;
    QNetworkReply* reply = reply_.get();
    QEventLoop loop;
    QTimer stall;
    stall.setSingleShot(true);
    bool stalled = false;
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, &QEventLoop::quit);
    QObject::connect(&stall, &QTimer::timeout, &loop, [&] {
        stalled = true;
        loop.quit();
    });
    stall.start(stallTimeout_);
    waiting_ = &loop;
    loop.exec();
    waiting_ = nullptr;

    // The window may have cancelled or replaced the request while its events ran.
    if (cancelled_ || generation != generation_ || !reply_) {
        fail(transfer::transferFailure(transfer::TransferFault::kCancelled));
    }
    if (stalled && reply_->bytesAvailable() == 0 && !reply_->isFinished()) {
        platform::Failure failure = transfer::stalledBody(stallTimeout_, bodyProgress());
        reply_->abort();
        fail(std::move(failure));
    }
}

void QtInternetTransfer::checkEnd() {
    const QNetworkReply::NetworkError error = reply_->error();
    if (error == QNetworkReply::OperationCanceledError || cancelled_) {
        fail(transfer::transferFailure(transfer::TransferFault::kCancelled));
    }
    if (error != QNetworkReply::NoError && !isHttpStatusError(error)) {
        fail(transfer::brokenBody(faultOf(error), bodyProgress(), ""));
    }
}

void QtInternetTransfer::fail(platform::Failure failure) {
    failure_.emplace(std::move(failure));
    throw *failure_;
}

transfer::BodyProgress QtInternetTransfer::bodyProgress() const {
    return {received_, reply_ ? reply_->rawHeader("Content-Length").toStdString() : ""};
}

void QtInternetTransfer::Cancel() {
    try {
        cancelled_ = true;
        if (waiting_ != nullptr) {
            waiting_->quit();
        }
        if (reply_ && !reply_->isFinished()) {
            reply_->abort();
        }
    } catch (...) {
        // Cancelling is best effort and never fails the caller.
    }
}

}  // namespace quibrant::qt
