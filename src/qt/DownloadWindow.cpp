#include "qt/DownloadWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QFont>
#include <QIcon>
#include <QPalette>
#include <utility>

#include "platform/Failure.h"
#include "qt/ControlAdapters.h"
#include "qt/KeyPreview.h"
#include "qt/Units.h"
#include "qt/WindowLayout.h"

namespace quibrant::qt {

namespace {

constexpr platform::Color kDisabledTextColor = 0x808080;
// About the size of the classic 8-point dialog font, in logical pixels.
constexpr int kFontPixelSize = 11;
constexpr const char* kWindowIcon = ":/artwork/quibrant-descarga.xpm";

QtCaptioned::Show showOnFrame(CaptionFrame& frame) {
    return [&frame](const QString& caption) { frame.setCaption(caption); };
}

QtCaptioned::Show showOnLabel(QLabel& label) {
    return [&label](const QString& caption) { label.setText(caption); };
}

}  // namespace

// The form's view of the widgets. Visibility at start is the window's
// design: the server choice, the "Carpeta Origen" box, the open padlock, the
// status line and the progress frame start hidden.
struct WindowControls {
    WindowControls(QWidget& widget, WindowLayout& w, std::function<void()> tick)
        : window(widget),
          Text1(w.Text1, true),
          Text2(w.Text2, true),
          Text3(w.Text3, false),
          Text4(w.Text4, true),
          Frame1(w.Frame1, false, kFrame1Caption, showOnFrame(w.Frame1)),
          Frame2(w.Frame2, true, "", showOnFrame(w.Frame2)),
          Label2(w.Label2, false, kLabel2Caption, showOnLabel(w.Label2)),
          ProgressBar1(w.ProgressBar1, true),
          Picture1_0(w.Picture1_0, true),
          Picture1_1(w.Picture1_1, false),
          Picture2(w.Picture2, true),
          Option1_0(w.Option1_0, false),
          Option1_1(w.Option1_1, false),
          Timer1(kTimer1IntervalMs, std::move(tick)) {}

    QtWindow window;
    QtTextBox Text1, Text2, Text3, Text4;
    QtCaptioned Frame1, Frame2, Label2;
    QtProgressBar ProgressBar1;
    QtPictureBox Picture1_0, Picture1_1, Picture2;
    QtOptionButton Option1_0, Option1_1;
    QtTimer Timer1;
};

DownloadWindow::DownloadWindow(const Services& services, platform::InternetTransfer& inet,
                               ServerConfig server, QWidget* parent)
    : QWidget(parent), services_(services), inet_(inet) {
    QFont windowFont = font();
    windowFont.setPixelSize(kFontPixelSize);
    setFont(windowFont);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, toQColor(kWindowColor));
    // The toolkit's own disabled grey vanishes on the grey frame while a
    // download runs; the classic darker grey keeps the captions readable.
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, toQColor(kDisabledTextColor));
    }
    setPalette(palette);
    setAutoFillBackground(true);
    setFixedSize(pixels(kClientWidth), pixels(kClientHeight));
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    setWindowIcon(QIcon(QString::fromLatin1(kWindowIcon)));
    setObjectName(QStringLiteral("DownloadForm"));

    layout_ = std::make_unique<WindowLayout>(*this);
    controls_ = std::make_unique<WindowControls>(
        *this, *layout_, [this] { run([this] { form_->Timer1_Timer(); }); });
    form_ =
        std::make_unique<DownloadForm>(controlsOf(*controls_, inet_), services_, std::move(server));

    inet_.onStateChanged(
        [this](std::int16_t state) { run([this, state] { form_->Inet1_StateChanged(state); }); });
    keyPreview_ = std::make_unique<KeyPreview>(
        *this, [this](std::int16_t& key) { run([this, &key] { form_->Form_KeyPress(key); }); });
    for (QLineEdit* box : {&layout_->Text1, &layout_->Text2, &layout_->Text3, &layout_->Text4}) {
        box->installEventFilter(this);
    }
    connectClicks();

    // The code box is first in the focus order: it has the focus once the
    // window is active.
    layout_->Text4.setFocus(Qt::OtherFocusReason);
    form_->Form_Load();
}

DownloadWindow::~DownloadWindow() {
    // Widgets that go away may pass the focus around; the form is gone first.
    for (QLineEdit* box : {&layout_->Text1, &layout_->Text2, &layout_->Text3, &layout_->Text4}) {
        box->removeEventFilter(this);
    }
    inet_.onStateChanged({});
}

void DownloadWindow::connectClicks() {
    WindowLayout& w = *layout_;
    connect(&w.Command1, &QAbstractButton::clicked, this,
            [this] { run([this] { form_->Command1_Click(); }); });
    connect(&w.Command2, &QAbstractButton::clicked, this,
            [this] { run([this] { form_->Command2_Click(); }); });
    connect(&w.Command3, &QAbstractButton::clicked, this,
            [this] { run([this] { form_->Command3_Click(); }); });
    connect(&w.Picture1_0, &QAbstractButton::clicked, this,
            [this] { run([this] { form_->Picture1_Click(0); }); });
    connect(&w.Picture1_1, &QAbstractButton::clicked, this,
            [this] { run([this] { form_->Picture1_Click(1); }); });
    connect(&w.Picture2, &QAbstractButton::clicked, this,
            [this] { run([this] { form_->Picture2_Click(0); }); });
    // Only a click by the user: the form runs the handler itself when it
    // selects a server by code.
    connect(&w.Option1_0, &QAbstractButton::clicked, this,
            [this] { run([this] { form_->Option1_Click(0); }); });
    connect(&w.Option1_1, &QAbstractButton::clicked, this,
            [this] { run([this] { form_->Option1_Click(1); }); });
}

template <typename Handler>
void DownloadWindow::run(Handler&& handler) {
    try {
        handler();
    } catch (const platform::Failure& failure) {
        services_.messages->show(failure.description(), "", platform::MessageIcon::Critical);
    }
}

void DownloadWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (activated_) {
        return;
    }
    activated_ = true;
    run([this] { form_->Form_Activate(); });
}

void DownloadWindow::closeEvent(QCloseEvent* event) {
    form_->discardPartialDownload();
    if (controls_->window.processingEvents()) {
        // Closed from inside a download's piece loop: returning would resume
        // that loop over a cancelled transfer. End here, the way the
        // program's other ends do.
        services_.process->end();
    }
    event->accept();
    QCoreApplication::quit();
}

bool DownloadWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::FocusIn && event->type() != QEvent::FocusOut) {
        return QWidget::eventFilter(watched, event);
    }
    const WindowLayout& w = *layout_;
    const int box = watched == &w.Text1   ? 1
                    : watched == &w.Text2 ? 2
                    : watched == &w.Text3 ? 3
                    : watched == &w.Text4 ? 4
                                          : 0;
    if (box != 0) {
        onTextFocus(box, event);
    }
    return QWidget::eventFilter(watched, event);
}

void DownloadWindow::onTextFocus(int box, QEvent* event) {
    const auto call = [this](TextBoxFocus::Handler handler) {
        run([this, handler] { (form_.get()->*handler)(); });
    };
    if (event->type() == QEvent::FocusIn) {
        focus_.gained(box, call);
        return;
    }
    // Only a focus change within the window counts; focus that leaves for
    // a message box or another program comes back to the same box.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) {
        return;
    }
    focus_.lost(box, call);
}

}  // namespace quibrant::qt
