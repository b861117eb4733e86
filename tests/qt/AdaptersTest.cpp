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
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "app/FormLayout.h"
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
        QtTextBox box(edit);
        const QColor standard = edit.palette().color(QPalette::Base);
        QCOMPARE(box.backColor(), kSystemWindowColor);

        // 0x00BBGGRR: 0x0080FF is orange, not azure.
        box.setBackColor(0x0080FF);
        QCOMPARE(edit.palette().color(QPalette::Base), QColor(0xFF, 0x80, 0x00));
        QCOMPARE(box.backColor(), 0x0080FFu);
        box.setBackColor(kSystemWindowColor);
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
        QtTextBox box(edit);
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
        QtPictureBox box(picture);
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
        QtOptionButton one(first);
        QtOptionButton two(second);
        two.setValue(true);
        QVERIFY(two.value());
        QVERIFY(!one.value());
        two.setValue(false);
        QVERIFY(!two.value());
        QVERIFY(second.autoExclusive());
    }

    void captionsAndTheBarReachTheScreenAtScreenRate() {
        QLabel label;
        QtCaptioned caption(label, [&label](const QString& text) { label.setText(text); });
        caption.setCaption("uno");
        QCOMPARE(label.text(), QStringLiteral("uno"));
        caption.setCaption("Contraseña ñ");
        QTRY_COMPARE(label.text(), QString::fromUtf8("Contraseña ñ"));

        QProgressBar widget;
        widget.setTextVisible(false);
        QtProgressBar bar(widget);
        bar.setRange(0, 10485760.0f);
        bar.setValue(524288.0f);
        QTRY_COMPARE(widget.value(), 512);
        QCOMPARE(widget.maximum(), 10240);
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&widget);
        // Screen readers read the same figures as the bar shows.
        QCOMPARE(face->valueInterface()->currentValue().toInt(), 512);
        QCOMPARE(face->valueInterface()->maximumValue().toInt(), 10240);
        QCOMPARE(face->valueInterface()->minimumValue().toInt(), 0);
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
    }

    void keyPreviewSeesEveryCharacterOnce() {
        QWidget window;
        QLineEdit edit(&window);
        QPushButton button(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        std::vector<int> seen;
        KeyPreview preview(window, [&seen](std::uint32_t key) -> std::uint32_t {
            seen.push_back(static_cast<int>(key));
            return key == 13 ? 0 : key == 'a' ? 'b' : key;
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
