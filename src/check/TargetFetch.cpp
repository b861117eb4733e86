#include "check/TargetFetch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <optional>
#include <utility>

#include "install/Signature.h"
#include "platform/Controls.h"
#include "platform/Failure.h"
#include "transfer/Download.h"
#include "transfer/Response.h"
#include "transfer/Watchdog.h"

namespace quibrant::check {

namespace {

constexpr const char* kInstallerName = "instalador.exe";
constexpr const char* kContentLength = "Content-length";
constexpr const char* kMissing = "el archivo no está en el servidor.";
constexpr const char* kTimedOut = "el servidor no envió nada en 10 segundos.";
constexpr const char* kStopped = "la comprobación se interrumpió.";
constexpr int kWatchdogTickMs = 500;

// The window the download lets run its events after every piece: here only
// the event loop, since nothing is shown.
class EventLoopWindow final : public platform::Window {
  public:
    std::string caption() const override { return ""; }
    void setCaption(const std::string& /*caption*/) override {}
    void sendTab() override {}
    void doEvents() override { QCoreApplication::processEvents(); }
};

// The parts of a control nobody sees.
template <class Base>
class Unseen : public Base {
  public:
    void setVisible(bool /*visible*/) override {}
    bool isVisible() const override { return false; }
    void setEnabled(bool /*enabled*/) override {}
    bool isEnabled() const override { return true; }
};

class UnseenBar final : public Unseen<platform::ProgressBarView> {
  public:
    void setRange(float /*minimum*/, float /*maximum*/) override {}
    void setValue(float /*value*/) override {}
};

// The progress frame's caption, handed on as the check's progress.
class ProgressCaption final : public Unseen<platform::Captioned> {
  public:
    explicit ProgressCaption(const TargetFetch::Progress& progress) : progress_(progress) {}
    std::string caption() const override { return caption_; }
    void setCaption(const std::string& caption) override {
        caption_ = caption;
        if (progress_) {
            progress_(caption_);
        }
    }

  private:
    const TargetFetch::Progress& progress_;
    std::string caption_;
};

Cause causeOf(platform::SignatureFault fault) {
    using platform::SignatureFault;
    switch (fault) {
        case SignatureFault::None:
        case SignatureFault::Unsigned:
            return Cause::Unsigned;
        case SignatureFault::Missing:
        case SignatureFault::Unreadable:
            return Cause::Unreadable;
        case SignatureFault::Malformed:
            return Cause::Malformed;
        case SignatureFault::Tampered:
            return Cause::Tampered;
        case SignatureFault::Untrusted:
            return Cause::Untrusted;
        case SignatureFault::Expired:
            return Cause::Expired;
        case SignatureFault::ForeignSigner:
            return Cause::ForeignSigner;
        case SignatureFault::WeakDigest:
            return Cause::WeakDigest;
    }
    return Cause::Unsigned;
}

bool successful(int status) {
    return status >= 200 && status < 300;
}

bool refused(const platform::SignatureReport& report) {
    return !report.trusted() || report.fault != platform::SignatureFault::None;
}

// The length a successful answer announces, -1 when it announces none that
// the program takes (the download then says why).
std::int64_t announcedSize(platform::InternetTransfer& inet) {
    try {
        return transfer::parseContentLength(inet.GetHeader(kContentLength));
    } catch (const platform::Failure&) {
        return -1;
    }
}

}  // namespace

TargetFetch::TargetFetch(platform::InternetTransfer& inet, platform::SignatureCheck& signatures,
                         platform::FileSystem& files, std::string folder, std::string signer)
    : inet_(inet),
      signatures_(signatures),
      files_(files),
      destination_(std::move(folder) + kInstallerName),
      signer_(std::move(signer)) {}

void TargetFetch::stop() {
    if (stop_) {
        stop_();
    }
}

TargetOutcome TargetFetch::fetch(const MirrorTarget& target, const Progress& progress) {
    TargetOutcome outcome;
    outcome.target = target;

    EventLoopWindow window;
    UnseenBar bar;
    ProgressCaption caption(progress);
    transfer::Download download(inet_, window, bar, caption);
    std::optional<platform::SignatureReport> report;
    std::optional<platform::Failure> failure;
    bool finished = false;
    QEventLoop loop;

    const auto finish = [&](std::optional<platform::Failure> why) {
        if (finished) {
            return;
        }
        finished = true;
        if (why) {
            failure = std::move(why);
            download.discard();
        }
        loop.quit();
    };
    const transfer::Download::FileCheck vet = [&](const std::string& path,
                                                  const platform::WrittenDigest* written) {
        report = written != nullptr ? signatures_.checkWritten(path, signer_, *written)
                                    : signatures_.check(path, signer_);
        if (refused(*report)) {
            throw platform::Failure(platform::errors::kPermissionDenied,
                                    install::refusalReason(*report));
        }
        return report->held;
    };

    inet_.onStateChanged([&](std::int16_t state) {
        if (finished) {
            return;
        }
        try {
            if (state == platform::InternetTransfer::kResponseCompleted) {
                outcome.status = inet_.responseCode();
                if (successful(outcome.status)) {
                    outcome.size = announcedSize(inet_);
                }
                // False only when the watchdog gave up meanwhile, and said so.
                if (download.receive(vet)) {
                    finish(std::nullopt);
                }
            } else if (state == platform::InternetTransfer::kError && download.awaitingAnswer()) {
                finish(inet_.requestFailure());
            }
        } catch (const platform::Failure& thrown) {
            finish(thrown);
        }
    });

    // The program's own patience: nothing at all within 10 seconds of the
    // request is a server that does not answer.
    QElapsedTimer elapsed;
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        const float seconds = static_cast<float>(elapsed.elapsed()) / 1000;
        switch (transfer::watchdogVerdict(download.progress(), seconds)) {
            case transfer::WatchdogVerdict::Wait:
                return;
            case transfer::WatchdogVerdict::Stop:
                watchdog.stop();
                return;
            case transfer::WatchdogVerdict::TimeOut:
                watchdog.stop();
                finish(platform::Failure(platform::errors::kTransferFailed, kTimedOut));
                return;
        }
    });

    stop_ = [&] { finish(platform::Failure(platform::errors::kTransferFailed, kStopped)); };
    try {
        elapsed.start();
        watchdog.start(kWatchdogTickMs);
        download.request(target.url, destination_, files_, &signatures_);
        if (!finished) {
            loop.exec();
        }
    } catch (const platform::Failure& thrown) {
        finish(thrown);
    }
    watchdog.stop();
    stop_ = nullptr;
    inet_.onStateChanged(nullptr);

    // Only the verdict is wanted: the installer goes as soon as it is judged.
    download.takeCheckedInstaller().reset();
    try {
        if (files_.FileExists(destination_)) {
            files_.DeleteFile(destination_, true);
        }
    } catch (const platform::Failure&) {
        // The check's folder goes as a whole at the end.
    }

    if (report) {
        outcome.signer = report->signer;
    }
    if (!failure) {
        return outcome;
    }
    outcome.reason = failure->description();
    if (report && refused(*report)) {
        outcome.cause = causeOf(report->fault);
    } else if (outcome.status == 404 || outcome.status == 410) {
        outcome.cause = Cause::Missing;
        outcome.reason = kMissing;
    } else if (outcome.status != 0 && !successful(outcome.status)) {
        outcome.cause = Cause::Status;
    } else {
        outcome.cause = Cause::Transfer;
    }
    if (!successful(outcome.status)) {
        outcome.size = -1;
    }
    return outcome;
}

}  // namespace quibrant::check
