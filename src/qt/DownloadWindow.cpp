#include "qt/DownloadWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QFont>
#include <QIcon>
#include <QPalette>
#include <utility>

#include "app/FormLayout.h"
#include "qt/ControlAdapters.h"
#include "qt/KeyPreview.h"
#include "qt/LauncherEntry.h"
#include "qt/Units.h"
#include "qt/WindowLayout.h"

namespace quibrant::qt {

namespace {

// A disabled box's text: the classic grey, on the box's own white.
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

// The form's view of the widgets, each in the state the layout built.
struct WindowControls {
    WindowControls(QWidget& widget, WindowLayout& w, std::function<void()> tick)
        : window(widget),
          Text1(w.Text1),
          Text2(w.Text2),
          Text3(w.Text3),
          Text4(w.Text4),
          Frame1(w.Frame1, showOnFrame(w.Frame1)),
          Frame2(w.Frame2, showOnFrame(w.Frame2)),
          Label2(w.Label2, showOnLabel(w.Label2)),
          ProgressBar1(w.ProgressBar1),
          Picture1_0(w.Picture1_0),
          Picture1_1(w.Picture1_1),
          Picture2(w.Picture2),
          Option1_0(w.Option1_0),
          Option1_1(w.Option1_1),
          Timer1(kTimer1IntervalMs, std::move(tick)) {}

    QtWindow window;
    QtTextBox Text1, Text2, Text3, Text4;
    QtCaptioned Frame1, Frame2, Label2;
    QtProgressBar ProgressBar1;
    QtPictureBox Picture1_0, Picture1_1, Picture2;
    QtOptionButton Option1_0, Option1_1;
    QtTimer Timer1;
    LauncherEntry taskbar;
};

DownloadWindow::DownloadWindow(const Services& services, platform::InternetTransfer& inet,
                               ServerConfig server, QWidget* parent)
    : QWidget(parent) {
    QFont windowFont = font();
    windowFont.setPixelSize(kFontPixelSize);
    setFont(windowFont);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, toQColor(kWindowColor));
    // The toolkit's own disabled grey vanishes on the grey frame while a
    // download runs: disabled captions take the grey that still reads on
    // what they stand on, as the coloured buttons' captions do.
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, toQColor(disabledTextColor(kFrameColor)));
    }
    palette.setColor(QPalette::Disabled, QPalette::Text, toQColor(kDisabledTextColor));
    setPalette(palette);
    setAutoFillBackground(true);
    setFixedSize(pixels(kClientWidth), pixels(kClientHeight));
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    setWindowIcon(QIcon(QString::fromLatin1(kWindowIcon)));
    setObjectName(QStringLiteral("DownloadForm"));

    layout_ = std::make_unique<WindowLayout>(*this);
    controls_ = std::make_unique<WindowControls>(*this, *layout_, [this] { host_->tick(); });
    // The code box is first in the focus order: it has the focus once the
    // window is active.
    layout_->Text4.setFocus(Qt::OtherFocusReason);
    Controls controls = controlsOf(*controls_, inet);
    controls.taskbar = &controls_->taskbar;
    host_ = std::make_unique<WindowHost>(controls, services, std::move(server));

    keyPreview_ = std::make_unique<KeyPreview>(
        *this, [this](std::uint32_t character) { return host_->keyPress(character); });
    for (QLineEdit* box : {&layout_->Text1, &layout_->Text2, &layout_->Text3, &layout_->Text4}) {
        box->installEventFilter(this);
    }
    connectClicks();
}

DownloadWindow::~DownloadWindow() {
    // Widgets that go away may pass the focus around; the form is gone first.
    for (QLineEdit* box : {&layout_->Text1, &layout_->Text2, &layout_->Text3, &layout_->Text4}) {
        box->removeEventFilter(this);
    }
}

void DownloadWindow::connectClicks() {
    // Only a click by the user: the form runs the option's handler itself
    // when it selects a server by code.
    for (const ControlDef& def : formControls()) {
        const auto* button = findChild<QAbstractButton*>(QString::fromLatin1(def.name));
        if (button != nullptr) {
            connect(button, &QAbstractButton::clicked, this,
                    [this, name = def.name] { host_->click(name); });
        }
    }
}

void DownloadWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    host_->activate();
}

void DownloadWindow::closeEvent(QCloseEvent* event) {
    host_->close();
    event->accept();
    QCoreApplication::quit();
}

bool DownloadWindow::eventFilter(QObject* watched, QEvent* event) {
    const std::string name = watched->objectName().toStdString();
    if (event->type() == QEvent::FocusIn) {
        host_->focusGained(name);
    } else if (event->type() == QEvent::FocusOut) {
        // Focus that leaves for a message box or another program comes back.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        host_->focusLost(name,
                         reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason);
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace quibrant::qt
