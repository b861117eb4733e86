// Prints what showing a download's progress costs per 1 KiB piece: the
// window's own setters and its taskbar button (the form's path) against
// updating the widgets directly every time.
#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <cstdio>
#include <string>

#include "QtWindowDriver.h"
#include "qt/Widgets.h"
#include "support/FormFixture.h"

namespace {

constexpr long kPieces = 200000;
constexpr long kDirectPieces = 5000;
constexpr float kLength = kPieces * 1024.0f;

std::string progressText(long piece) {
    return "Descargados " + std::to_string(piece) + " de " + std::to_string(kPieces) +
           " KBytes. (" + std::to_string(piece * 100 / kPieces) + "%)";
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The desktop file the taskbar button's signals name, as the program's.
    QGuiApplication::setDesktopFileName(QStringLiteral("quibrant-descarga"));
    quibrant::test::QtWindowDriver f;
    f.start();
    const quibrant::Controls& controls =
        quibrant::DownloadFormTestAccess::controls(f.window->form());
    controls.Frame1->setVisible(true);
    // The bar as the download drives it: through the taskbar button too.
    quibrant::TaskbarMirror progress(*controls.ProgressBar1, controls.taskbar);
    progress.setRange(0, kLength);
    progress.begin();

    QElapsedTimer clock;
    clock.start();
    for (long piece = 1; piece <= kPieces; ++piece) {
        controls.window->doEvents();
        progress.setValue(piece * 1024.0f);
        controls.Frame1->setCaption(progressText(piece));
    }
    progress.end();
    const double windowUs = clock.nsecsElapsed() / 1000.0 / kPieces;

    auto& bar = f.child<QProgressBar>("ProgressBar1");
    auto& frame = f.child<quibrant::qt::CaptionFrame>("Frame1");
    bar.setRange(0, static_cast<int>(kPieces));
    clock.restart();
    for (long piece = 1; piece <= kDirectPieces; ++piece) {
        QCoreApplication::processEvents();
        bar.setValue(static_cast<int>(piece));
        frame.setCaption(QString::fromStdString(progressText(piece)));
        frame.repaint();
        bar.repaint();
    }
    const double directUs = clock.nsecsElapsed() / 1000.0 / kDirectPieces;

    std::printf("pieces through the window's setters: %ld, %.2f us per piece\n", kPieces, windowUs);
    std::printf("pieces repainted directly:           %ld, %.2f us per piece\n", kDirectPieces,
                directUs);
    std::printf("a 100 MiB download spends %.2f s on progress (direct: %.2f s)\n",
                windowUs * 102400 / 1e6, directUs * 102400 / 1e6);
    return 0;
}
