#include <QAccessible>
#include <QAccessibleInterface>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QRadioButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "WindowFixture.h"
#include "app/FormLayout.h"
#include "platform/Failure.h"
#include "qt/Widgets.h"
#include "source/AccessCodeTable.h"
#include "support/FormFixture.h"

using quibrant::DownloadFormTestAccess;
using quibrant::qt::PictureButton;
using quibrant::test::WindowFixture;

namespace {

// Counts the Enter keys that reach the watched widgets.
class EnterCounter : public QObject {
  public:
    int count = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                ++count;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

QColor baseOf(const QLineEdit& box) {
    return box.palette().color(QPalette::Base);
}

const QColor kYellow(255, 255, 0);
const QColor kWhite(255, 255, 255);

std::string acceptedCode() {
    for (const auto& entry : quibrant::builtInAccessCodeTable()) {
        if (entry.category != 0) {
            return std::string(entry.code);
        }
    }
    qFatal("the access-code table accepts no code");
}

}  // namespace

class DownloadWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<WindowFixture> f;

    QLineEdit& box(const char* name) { return f->child<QLineEdit>(name); }
    QWidget& widget(const char* name) { return f->child<QWidget>(name); }
    QString focusName() const {
        QWidget* focus = QApplication::focusWidget();
        return focus ? focus->objectName() : QString();
    }

  private slots:
    void init() {
        f = std::make_unique<WindowFixture>();
        f->start();
    }
    void cleanup() { f.reset(); }

    void startUpPutsTheDefaultsInPlace() {
        QCOMPARE(f->window->windowTitle(),
                 QString::fromUtf8(" Descargar Instalación / Actualización Quibrant Visual"));
        QCOMPARE(f->window->size(), QSize(651, 176));
        QCOMPARE(f->window->minimumSize(), f->window->maximumSize());
        QVERIFY(!f->window->windowIcon().isNull());

        QCOMPARE(focusName(), QStringLiteral("Text4"));
        QCOMPARE(baseOf(box("Text4")), kYellow);
        const QColor standard = QApplication::palette().color(QPalette::Base);
        QCOMPARE(baseOf(box("Text1")), standard);
        QCOMPARE(baseOf(box("Text2")), standard);
        QCOMPARE(box("Text4").echoMode(), QLineEdit::Password);

        for (const char* hidden :
             {"Text3", "Label1_2", "Option1_0", "Option1_1", "Picture1_1", "Frame1", "Label2"}) {
            QVERIFY2(!widget(hidden).isVisible(), hidden);
        }
        for (const char* shown : {"Text1", "Text2", "Text4", "Picture1_0", "Picture2_0", "Command1",
                                  "Command2", "Command3", "Label1_0", "Label1_1", "Label1_3"}) {
            QVERIFY2(widget(shown).isVisible(), shown);
        }
        // Each label ends before the box it names, whatever the font.
        for (auto [label, input] : {std::pair{"Label1_0", "Text1"}, std::pair{"Label1_1", "Text2"},
                                    std::pair{"Label1_3", "Text4"}}) {
            const auto& caption = f->child<QLabel>(label);
            QVERIFY2(caption.x() + caption.fontMetrics().horizontalAdvance(caption.text()) <
                         widget(input).x(),
                     label);
        }
        QVERIFY(f->child<QRadioButton>("Option1_1").isChecked());
        // The open padlock waits exactly under the closed one.
        QCOMPARE(widget("Picture1_1").geometry(), widget("Picture1_0").geometry());
    }

    void enterMovesOnAndNeverReachesABox() {
        EnterCounter counter;
        for (const char* name : {"Text1", "Text2", "Text3", "Text4"}) {
            box(name).installEventFilter(&counter);
        }
        QTest::keyClicks(&box("Text4"), QStringLiteral("xq1"));
        QTest::keyClick(&box("Text4"), Qt::Key_Return);
        QCOMPARE(focusName(), QStringLiteral("Command1"));
        QCOMPARE(box("Text4").text(), QStringLiteral("xq1"));
        QCOMPARE(baseOf(box("Text4")), kWhite);
        // Leaving the code box evaluated the code, which names a file.
        QVERIFY(!box("Text1").text().isEmpty());

        box("Text1").setFocus();
        QTest::keyClick(&box("Text1"), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(focusName(), QStringLiteral("Text2"));
        QTest::keyClick(&box("Text2"), Qt::Key_Return);
        // Enter moves onto the padlock without clicking it.
        QCOMPARE(focusName(), QStringLiteral("Picture1_0"));
        QCOMPARE(box("Text4").echoMode(), QLineEdit::Password);
        QCOMPARE(counter.count, 0);
    }

    void focusFollowsTheTabOrder() {
        QStringList visited;
        for (int i = 0; i < 9; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << focusName();
        }
        QCOMPARE(visited, (QStringList{"Command1", "Command2", "Text1", "Text2", "Picture1_0",
                                       "Command3", "Picture2_0", "Text4", "Command1"}));
    }

    void boxesAreYellowWithTheFocusAndWhiteAfter() {
        QTest::mouseClick(&box("Text1"), Qt::LeftButton);
        QCOMPARE(baseOf(box("Text1")), kYellow);
        QCOMPARE(baseOf(box("Text4")), kWhite);
        QTest::keyClick(&box("Text1"), Qt::Key_Tab);
        QCOMPARE(baseOf(box("Text1")), kWhite);
        QCOMPARE(baseOf(box("Text2")), kYellow);

        // Another window taking over does not take the focus from the form.
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QCOMPARE(baseOf(box("Text2")), kYellow);
        f->window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f->window.get()));
        QCOMPARE(focusName(), QStringLiteral("Text2"));
        QCOMPARE(baseOf(box("Text2")), kYellow);
        QCOMPARE(baseOf(box("Text1")), kWhite);
    }

    void thePadlockFlipsTheMaskAndReturnsTheFocus() {
        QTest::keyClicks(&box("Text4"), QStringLiteral("abc"));
        QTest::mouseClick(&widget("Picture1_0"), Qt::LeftButton);
        QCOMPARE(box("Text4").echoMode(), QLineEdit::Normal);
        QVERIFY(widget("Picture1_1").isVisible());
        QVERIFY(!widget("Picture1_0").isVisible());
        QCOMPARE(focusName(), QStringLiteral("Text4"));
        QCOMPARE(baseOf(box("Text4")), kYellow);

        QTest::mouseClick(&widget("Picture1_1"), Qt::LeftButton);
        QCOMPARE(box("Text4").echoMode(), QLineEdit::Password);
        QCOMPARE(box("Text4").text(), QStringLiteral("abc"));
        // Masked with asterisks, not the desktop style's own dot.
        QCOMPARE(box("Text4").style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr,
                                                 &box("Text4")),
                 int('*'));
    }

    void picturesTakeSpaceAndLetEnterMoveOn() {
        QWidget& folder = widget("Picture2_0");
        folder.setFocus(Qt::TabFocusReason);
        QTest::keyClick(&folder, Qt::Key_Space);
        QCOMPARE(box("Text2").text(),
                 QStringLiteral("/tmp/quibrant-test-temp/Quibrant6_Setup.exe"));
        // A path the user edited survives an Enter on the arrows.
        box("Text2").setText(QStringLiteral("/home/user1/mio.exe"));
        folder.setFocus(Qt::TabFocusReason);
        QTest::keyClick(&folder, Qt::Key_Return);
        QCOMPARE(box("Text2").text(), QStringLiteral("/home/user1/mio.exe"));
        QCOMPARE(focusName(), QStringLiteral("Text4"));

        QWidget& padlock = widget("Picture1_0");
        padlock.setFocus(Qt::TabFocusReason);
        QTest::keyClick(&padlock, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(box("Text4").echoMode(), QLineEdit::Password);
        QCOMPARE(focusName(), QStringLiteral("Command3"));
        padlock.setFocus(Qt::TabFocusReason);
        QTest::keyClick(&padlock, Qt::Key_Space);
        QCOMPARE(box("Text4").echoMode(), QLineEdit::Normal);
        QCOMPARE(focusName(), QStringLiteral("Text4"));
    }

    void aButtonClickSeesTheCodeTypedLast() {
        QTest::keyClicks(&box("Text4"), QString::fromStdString(acceptedCode()));
        QTest::mouseClick(&widget("Command2"), Qt::LeftButton);
        // The code was evaluated before the download was asked for: no
        // refusal, and the request went out.
        QVERIFY(f->messages.shown.empty());
        QVERIFY(std::find(f->inet.calls.begin(), f->inet.calls.end(), "Execute GET") !=
                f->inet.calls.end());
        QVERIFY(widget("Frame1").isVisible());
        QVERIFY(!widget("Frame2").isEnabled());
        // Disabled, the coloured buttons' captions still read on their colours.
        const auto rgb = [](QColor c) {
            return static_cast<quibrant::platform::Color>(c.red() | c.green() << 8 |
                                                          c.blue() << 16);
        };
        for (const char* name : {"Command1", "Command2", "Command3"}) {
            const QImage image = widget(name).grab().toImage();
            const auto back = rgb(image.pixelColor(3, 3));
            // The caption's strongest pixel, inside the bevel.
            double best = 1;
            for (int y = 5; y < image.height() - 5; ++y) {
                for (int x = 5; x < image.width() - 5; ++x) {
                    best =
                        std::max(best, quibrant::contrastRatio(rgb(image.pixelColor(x, y)), back));
                }
            }
            QVERIFY2(best >= 4.5 && best < quibrant::contrastRatio(0, back), name);
        }
        // And the labels of the disabled inputs still read on the frame: their
        // colour has the contrast, and their text is drawn in it, not black
        // as when enabled.
        for (const char* name : {"Label1_0", "Label1_1", "Label1_3"}) {
            const QColor shown = widget(name).palette().color(QPalette::WindowText);
            QVERIFY2(!widget(name).isEnabled() &&
                         quibrant::contrastRatio(rgb(shown), quibrant::kFrameColor) >= 4.5,
                     name);
            // Drawn in that colour: smoothing lightens the edges of the
            // strokes, but not to the faint grey of the toolkit's own.
            const QImage image = widget(name).grab().toImage();
            double best = 1;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    best = std::max(best, quibrant::contrastRatio(rgb(image.pixelColor(x, y)),
                                                                  quibrant::kFrameColor));
                }
            }
            QVERIFY2(best >= 3 && best < quibrant::contrastRatio(0, quibrant::kFrameColor), name);
        }
    }

    void everyInputAndPictureHasAnAccessibleName() {
        const auto name = [this](const char* control) {
            return QAccessible::queryAccessibleInterface(&widget(control))->text(QAccessible::Name);
        };
        QCOMPARE(name("Text1"), QStringLiteral("Fichero Origen"));
        QCOMPARE(name("Text2"), QStringLiteral("Fichero Destino"));
        QCOMPARE(name("Text3"), QStringLiteral("Carpeta Origen"));
        QCOMPARE(name("Text4"), QString::fromUtf8("Contraseña"));
        QCOMPARE(name("Command1"), QStringLiteral("Descargar e Instalar"));
        QCOMPARE(name("Command3"), QStringLiteral("Solo Instalar"));
        QCOMPARE(name("ProgressBar1"), QStringLiteral("Progreso de la descarga"));
        for (const char* picture : {"Picture1_0", "Picture1_1", "Picture2_0"}) {
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&widget(picture));
            QVERIFY2(!face->text(QAccessible::Name).isEmpty(), picture);
            QCOMPARE(face->role(), QAccessible::Button);
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(&widget("ProgressBar1"))->role(),
                 QAccessible::ProgressBar);
        QCOMPARE(widget("Picture2_0").toolTip(), QStringLiteral("Carpeta fichero temporales."));
    }

    void buttonsAndFramesShowTheirColours() {
        const QImage image = f->window->grab().toImage();
        // For a look at the window: QUIBRANT_GRAB_TO=/tmp/window.png
        const QString grabPath = qEnvironmentVariable("QUIBRANT_GRAB_TO");
        if (!grabPath.isEmpty()) {
            QVERIFY(image.save(grabPath));
        }
        const auto colourAt = [&](const char* control, QPoint inside) {
            return image.pixelColor(widget(control).mapTo(f->window.get(), inside));
        };
        QCOMPARE(colourAt("Command1", {3, 3}), QColor(0x00, 0xFF, 0x00));
        QCOMPARE(colourAt("Command2", {3, 3}), QColor(0xC0, 0xFF, 0xC0));
        QCOMPARE(colourAt("Command3", {3, 3}), QColor(0xFF, 0xFF, 0xC0));
        QCOMPARE(colourAt("Frame2", {600, 120}), QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(image.pixelColor(300, 165), QColor(0xE0, 0xE0, 0xE0));
    }

    void closingWhileIdleEndsTheProgramQuietly() {
        f->window->close();
        QVERIFY(!f->window->isVisible());
        QCOMPARE(f->inet.cancels, 1);
        QVERIFY(!f->process.ended);
        QVERIFY(f->messages.shown.empty());
    }

    void closingInsideADownloadLoopEndsAtOnce() {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUIBRANT_CLOSE_INSIDE_LOOP"), QStringLiteral("1"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 42);
    }
};

namespace {

constexpr int kEndedAfterDiscarding = 42;
constexpr int kEndedWithoutDiscarding = 43;
constexpr int kDidNotEnd = 44;

// Ends the process for real, saying whether the transfer was cancelled first.
class ExitingProcess : public quibrant::test::FakeProcess {
  public:
    const quibrant::test::FakeInternetTransfer* inet = nullptr;
    [[noreturn]] void end() override {
        std::_Exit(inet->cancels == 1 ? kEndedAfterDiscarding : kEndedWithoutDiscarding);
    }
};

// Run in a child process: the window is closed while a download's loop lets
// events run.
int closeInsideLoop() {
    WindowFixture f;
    ExitingProcess process;
    process.inet = &f.inet;
    quibrant::Services services = f.services();
    services.process = &process;
    quibrant::qt::DownloadWindow window(services, f.inet, quibrant::ServerConfig::builtIn());
    window.show();
    QTimer::singleShot(0, &window, &QWidget::close);
    DownloadFormTestAccess::controls(window.form()).window->doEvents();
    return kDidNotEnd;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("QUIBRANT_CLOSE_INSIDE_LOOP")) {
        return closeInsideLoop();
    }
    DownloadWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "DownloadWindowTest.moc"
