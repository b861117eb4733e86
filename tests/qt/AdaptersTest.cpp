#include <QAccessible>
#include <QAccessibleInterface>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "qt/ControlAdapters.h"
#include "qt/KeyPreview.h"
#include "qt/QtMessageBoxes.h"
#include "qt/Widgets.h"

using namespace quibrant;
using namespace quibrant::qt;

class AdaptersTest : public QObject {
    Q_OBJECT

  private slots:
    void textBoxColoursMaskAndText() {
        QLineEdit edit;
        QtTextBox box(edit, true);
        const QColor standard = edit.palette().color(QPalette::Base);
        QCOMPARE(box.backColor(), QtTextBox::kDefaultBackground);

        // 0x00BBGGRR: 0x0080FF is orange, not azure.
        box.setBackColor(0x0080FF);
        QCOMPARE(edit.palette().color(QPalette::Base), QColor(0xFF, 0x80, 0x00));
        QCOMPARE(box.backColor(), 0x0080FFu);
        box.setBackColor(QtTextBox::kDefaultBackground);
        QCOMPARE(edit.palette().color(QPalette::Base), standard);

        box.setPasswordChar("*");
        QCOMPARE(edit.echoMode(), QLineEdit::Password);
        QCOMPARE(box.passwordChar(), std::string("*"));
        box.setPasswordChar("");
        QCOMPARE(edit.echoMode(), QLineEdit::Normal);
        QCOMPARE(box.passwordChar(), std::string());

        box.setText("Contraseña ñ");
        QCOMPARE(edit.text(), QString::fromUtf8("Contraseña ñ"));
        QCOMPARE(box.text(), std::string("Contraseña ñ"));
    }

    void controlsReportTheirOwnVisibleAndEnabled() {
        QWidget frame;
        QLineEdit edit(&frame);
        QtTextBox box(edit, true);
        frame.setEnabled(false);
        // The container hides and disables it, yet the control's own
        // settings are unchanged, as the form expects when it reads them.
        QVERIFY(box.isVisible());
        QVERIFY(box.isEnabled());
        box.setVisible(false);
        box.setEnabled(false);
        QVERIFY(!box.isVisible());
        QVERIFY(!box.isEnabled());
        QVERIFY(edit.isHidden());
    }

    void picturesMoveInTwips() {
        QWidget frame;
        QWidget picture(&frame);
        picture.move(10, 20);
        QtPictureBox box(picture, true);
        QCOMPARE(box.left(), 150);
        QCOMPARE(box.top(), 300);
        box.move(2415, 1500);
        QCOMPARE(picture.pos(), QPoint(161, 100));
        QCOMPARE(box.left(), 2415);
    }

    void optionButtonsCanBeClearedByCode() {
        QWidget frame;
        QRadioButton first(&frame);
        QRadioButton second(&frame);
        QtOptionButton one(first, false);
        QtOptionButton two(second, false);
        two.setValue(true);
        QVERIFY(two.value());
        QVERIFY(!one.value());
        two.setValue(false);
        QVERIFY(!two.value());
        QVERIFY(second.autoExclusive());
    }

    void captionsShowAtOnceThenAtScreenRate() {
        QLabel label;
        QtCaptioned caption(label, true, "Pravelda",
                            [&label](const QString& text) { label.setText(text); });
        QCOMPARE(label.text(), QStringLiteral("Pravelda"));
        caption.setCaption("uno");
        QCOMPARE(label.text(), QStringLiteral("uno"));
        for (int i = 0; i < 5000; ++i) {
            caption.setCaption("Descargados " + std::to_string(i));
        }
        // The form reads back what it set, whatever is on the screen.
        QCOMPARE(caption.caption(), std::string("Descargados 4999"));
        QTRY_COMPARE(label.text(), QStringLiteral("Descargados 4999"));
    }

    void theProgressBarCountsInKilobytes() {
        QProgressBar widget;
        widget.setTextVisible(false);
        QtProgressBar bar(widget, true);

        // A length near the 32-bit limit still fits the bar's integer range.
        bar.setRange(0, 2147483647.0f);
        bar.setValue(1073741824.0f);
        bar.flush();
        QCOMPARE(widget.maximum(), 2097152);
        QCOMPARE(widget.value(), 1048576);

        bar.setRange(0, 10485760.0f);
        bar.setValue(524288.0f);
        bar.flush();
        QCOMPARE(widget.maximum(), 10240);
        QCOMPARE(widget.value(), 512);
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&widget);
        // Screen readers read the same figures as the bar shows.
        QCOMPARE(face->valueInterface()->currentValue().toInt(), 512);
        QCOMPARE(face->valueInterface()->maximumValue().toInt(), 10240);
        QCOMPARE(face->valueInterface()->minimumValue().toInt(), 0);

        // Less than a kilobyte announced still shows a full bar when done.
        bar.setRange(0, 300.0f);
        bar.setValue(300.0f);
        QTRY_COMPARE(widget.value(), widget.maximum());
        QVERIFY(widget.maximum() >= 1);
    }

    void timerTicksWhileEnabled() {
        int ticks = 0;
        QtTimer timer(20, [&ticks] { ++ticks; });
        QVERIFY(!timer.isEnabled());
        QCOMPARE(timer.interval(), 20);
        timer.setEnabled(true);
        QVERIFY(timer.isEnabled());
        QTRY_VERIFY(ticks >= 2);
        timer.setEnabled(false);
        const int stopped = ticks;
        QTest::qWait(60);
        QCOMPARE(ticks, stopped);
    }

    void sendTabMovesTheFocusBeforeReturning() {
        QWidget window;
        QLineEdit first(&window);
        QLineEdit second(&window);
        second.move(0, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        first.setFocus();
        int focusEvents = 0;
        // Disconnected when this test ends: later focus changes must not
        // reach a counter that is gone.
        const QMetaObject::Connection counting =
            QObject::connect(qApp, &QApplication::focusChanged, [&] { ++focusEvents; });
        const auto stopCounting = qScopeGuard([&] { QObject::disconnect(counting); });

        QtWindow adapter(window);
        adapter.sendTab();
        QCOMPARE(QApplication::focusWidget(), &second);
        QVERIFY(focusEvents > 0);
        adapter.setCaption("Título");
        QCOMPARE(adapter.caption(), std::string("Título"));
        QVERIFY(!adapter.processingEvents());
    }

    void keyPreviewSeesEveryCharacterOnce() {
        QWidget window;
        QLineEdit edit(&window);
        QPushButton button(&window);
        PictureButton picture(QPixmap(4, 4), &window);
        picture.setProperty(KeyPreview::kOwnEnterProperty, true);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        std::vector<int> seen;
        KeyPreview preview(window, [&seen](std::int16_t& key) {
            seen.push_back(key);
            if (key == 13) {
                key = 0;
            } else if (key == 'a') {
                key = 'b';
            }
        });

        edit.setFocus();
        QTest::keyClicks(&edit, QStringLiteral("xa"));
        QCOMPARE(edit.text(), QStringLiteral("xb"));
        QTest::keyClick(&edit, Qt::Key_Return);
        QTest::keyClick(&edit, Qt::Key_Tab);
        QCOMPARE(seen, (std::vector<int>{'x', 'a', 13}));

        // A key the button leaves alone climbs to the window: still one offer.
        button.setFocus();
        seen.clear();
        QTest::keyClick(&button, Qt::Key_Z);
        QCOMPARE(seen, (std::vector<int>{'z'}));

        // The picture acts on Enter itself.
        picture.setFocus();
        QSignalSpy clicks(&picture, &QAbstractButton::clicked);
        seen.clear();
        QTest::keyClick(&picture, Qt::Key_Return);
        QCOMPARE(clicks.count(), 1);
        QVERIFY(seen.empty());
    }

    void messageBoxesUseTheApplicationTitleWhenGivenNone() {
        struct Seen {
            QString title, text;
            QMessageBox::Icon icon = QMessageBox::NoIcon;
            QMessageBox::StandardButtons buttons;
            Qt::TextFormat format = Qt::AutoText;
        };
        const auto showAndRead = [](const std::string& text, const std::string& title,
                                    platform::MessageIcon icon) {
            Seen seen;
            // Polls until the box is up, then reads and closes it. The timer
            // lives in this frame, so it can never fire into a later call.
            QTimer poll;
            poll.setInterval(1);
            QObject::connect(&poll, &QTimer::timeout, [&seen, &poll] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (box == nullptr || !box->isVisible()) {
                    return;
                }
                poll.stop();
                seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                        box->textFormat()};
                box->button(QMessageBox::Ok)->click();
            });
            poll.start();
            QtMessageBoxes().show(text, title, icon);
            poll.stop();
            return seen;
        };

        Seen seen =
            showAndRead("Archivo descargado correctamente", "", platform::MessageIcon::Information);
        QCOMPARE(seen.title, QStringLiteral("Quibrant Descarga"));
        QCOMPARE(seen.text, QStringLiteral("Archivo descargado correctamente"));
        QCOMPARE(seen.icon, QMessageBox::Information);
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

        seen = showAndRead("La conexión <b>no</b> responde", "ERROR TIME OUT",
                           platform::MessageIcon::Critical);
        QCOMPARE(seen.title, QStringLiteral("ERROR TIME OUT"));
        QCOMPARE(seen.icon, QMessageBox::Critical);
        // Shown as typed, never read as markup.
        QCOMPARE(seen.text, QString::fromUtf8("La conexión <b>no</b> responde"));
        QCOMPARE(seen.format, Qt::PlainText);

        seen = showAndRead("Sin icono", "", platform::MessageIcon::None);
        QCOMPARE(seen.icon, QMessageBox::NoIcon);
    }
};

QTEST_MAIN(AdaptersTest)
#include "AdaptersTest.moc"
