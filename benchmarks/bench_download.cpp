// Measures one download through the program's real path: the libcurl
// component, the form's piece loop and the real widgets (run it under the
// offscreen platform), with the real Linux file system. Prints one line:
//   bytes=<n> seconds=<s> mbps=<MB/s> peak_rss_kib=<k>
// Usage: bench_download <server root URL> <CA PEM file> <code> <destination>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTimer>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/DownloadForm.h"
#include "curl/CurlConnection.h"
#include "curl/TrustedAuthorities.h"
#include "posix/PosixEnvironment.h"
#include "posix/PosixFileSystem.h"
#include "posix/PosixShell.h"
#include "posix/SteadyClock.h"
#include "qt/DownloadWindow.h"
#include "transfer/ResumingTransfer.h"

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point started;
std::string destination;

long peakResidentKib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The program's end is where the download is measured: the form ends the
// program right after a completed download.
class MeasuringProcess : public quibrant::platform::Process {
  public:
    void changeDrive(char) override {}
    void changeDirectory(const std::string&) override {}
    void startProgram(const std::string&) override {}
    void startChecked(const std::string&, const quibrant::platform::CheckedFile&) override {}
    std::string listName(const std::string& path, bool) override {
        return QFile::exists(QString::fromStdString(path)) ? "x" : "";
    }
    [[noreturn]] void end() override {
        const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
        const double bytes = static_cast<double>(QFile(QString::fromStdString(destination)).size());
        std::printf("bytes=%.0f seconds=%.3f mbps=%.2f peak_rss_kib=%ld\n", bytes, seconds,
                    bytes / seconds / 1e6, peakResidentKib());
        std::fflush(stdout);
        std::_Exit(bytes > 0 ? 0 : 1);
    }
};

// A failure reported by the form ends the measurement as failed.
class ReportingMessages : public quibrant::platform::MessageBoxes {
  public:
    void show(const std::string& text, const std::string&,
              quibrant::platform::MessageIcon icon) override {
        std::fprintf(stderr, "%s\n", text.c_str());
        if (icon == quibrant::platform::MessageIcon::Critical) {
            std::fflush(stderr);
            std::_Exit(2);
        }
    }
};

// The figures are the transfer's: the random bytes fetched carry no
// signature, which the real check would refuse.
class UncheckedSignatures : public quibrant::platform::SignatureCheck {
  public:
    quibrant::platform::SignatureReport check(const std::string&,
                                              const std::string& organisation) override {
        quibrant::platform::SignatureReport report;
        report.valid = report.trustedRoot = report.vendorSigner = true;
        report.signer = organisation;
        report.fault = quibrant::platform::SignatureFault::None;
        return report;
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    using namespace quibrant;
    if (argc != 5) {
        std::fprintf(stderr, "uso: %s URL_RAIZ CA.pem CODIGO DESTINO\n", argv[0]);
        return 64;
    }
    QApplication app(argc, argv);
    QFile authority(argv[2]);
    const std::string pem =
        authority.open(QIODevice::ReadOnly) ? authority.readAll().toStdString() : "";
    if (curl::CertificateAuthorities(pem).empty()) {
        std::fprintf(stderr, "no se pudo leer la autoridad %s\n", argv[2]);
        return 66;
    }
    destination = argv[4];
    const ServerConfig server{argv[1], "transferencias.example", "prueba", "secreto"};

    posix::SteadyClock clock;
    posix::PosixEnvironment environment;
    posix::PosixFileSystemFactory fileSystems;
    posix::PosixShellFactory shells;
    MeasuringProcess process;
    ReportingMessages messages;
    UncheckedSignatures signatures;
    const Services services{&environment, &fileSystems, &shells,    &process,
                            &clock,       &messages,    &signatures};

    // The mirror's authority, trusted as a build would trust its own.
    transfer::ResumingTransfer inet(
        std::make_unique<curl::CurlConnection>(server.MainServerBaseUrl,
                                               curl::TrustedAuthorities{"", pem}),
        server.MainServerBaseUrl);
    qt::DownloadWindow window(services, inet, server);
    window.show();
    const std::string code = argv[3];
    // Typed as the user would once the window is up: the code, then the
    // destination, then "Solo Descargar".
    QTimer::singleShot(0, &window, [&] {
        window.findChild<QLineEdit*>("Text4")->setText(QString::fromStdString(code));
        window.form().Text4_LostFocus();
        window.findChild<QLineEdit*>("Text2")->setText(QString::fromStdString(destination));
        started = Clock::now();
        window.form().Command2_Click();
    });
    return QApplication::exec();
}
