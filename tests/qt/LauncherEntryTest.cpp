// The window's downloads as the desktop's task manager hears them: each runs
// in a child process that really ends where the program ends, while this
// process records the launcher-entry signals on the session bus. Run once on
// a bus of its own (dbus-run-session, QUIBRANT_EXPECT_BUS=1) and once with
// none, where the downloads must end exactly as well.
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QTest>
#include <cstdlib>
#include <vector>

#include "QtWindowDriver.h"
#include "support/FormFixture.h"

using quibrant::test::QtWindowDriver;

namespace {

constexpr int kEnded = 40;
constexpr int kUnexpected = 41;
constexpr const char* kScenario = "QUIBRANT_LAUNCHER_SCENARIO";

// Downloads through the window, for the parent to hear, until the program
// ends: "completed" after a 3 MiB body, "timed-out" when the watchdog gives up
// on a request that got no answer, which ends it right after the message.
int downloadInChild(const QByteArray& scenario) {
    QtWindowDriver f;
    // The process ends for real, as the program does.
    f.process.whenEnded = [] { std::_Exit(kEnded); };
    f.start();
    quibrant::DownloadForm& form = f.form();
    quibrant::DownloadFormTestAccess::state(form).CodeAccepted = quibrant::kTrue;
    f.setText("Text1", "Setup.exe");
    f.setText("Text2", "/home/u/S.exe");
    form.Command2_Click();
    if (scenario == "completed") {
        f.inet.respond(std::string(3 << 20, 'x'));
        f.inet.raise(quibrant::platform::InternetTransfer::kResponseCompleted);
    } else {
        f.clock.now += 11;
        form.Timer1_Timer();
    }
    return kUnexpected;
}

// What one Update signal said.
struct Update {
    QString path;
    QString appUri;
    QVariantMap properties;
    bool visible() const { return properties.value(QStringLiteral("progress-visible")).toBool(); }
    bool urgent() const { return properties.value(QStringLiteral("urgent")).toBool(); }
    double progress() const { return properties.value(QStringLiteral("progress")).toDouble(); }
};

}  // namespace

class LauncherEntryTest : public QObject {
    Q_OBJECT

  public slots:
    void record(const QDBusMessage& message) {
        const QList<QVariant> arguments = message.arguments();
        updates.push_back({message.path(), arguments.value(0).toString(),
                           qdbus_cast<QVariantMap>(arguments.value(1))});
    }

  private:
    std::vector<Update> updates;
    bool onBus = false;

    // Runs the scenario in a child and answers its exit code, once every
    // signal it sent has arrived here.
    int runChild(const char* scenario) {
        updates.clear();
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kScenario), QString::fromLatin1(scenario));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        if (!child.waitForFinished(60000) || child.exitStatus() != QProcess::NormalExit) {
            return -1;
        }
        // The last word of every ending clears the entry.
        if (onBus && !QTest::qWaitFor([this] {
                return !updates.empty() && !updates.back().visible() && !updates.back().urgent();
            })) {
            return -2;
        }
        return child.exitCode();
    }

  private slots:
    void initTestCase() {
        onBus = qEnvironmentVariableIsSet("QUIBRANT_EXPECT_BUS");
        QDBusConnection recorder =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("recorder"));
        QCOMPARE(recorder.isConnected(), onBus);
        if (onBus) {
            QVERIFY(recorder.connect(QString(), QString(),
                                     QStringLiteral("com.canonical.Unity.LauncherEntry"),
                                     QStringLiteral("Update"), this, SLOT(record(QDBusMessage))));
            // A reply behind the subscription means the bus has it.
            recorder.call(QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")));
        }
    }

    // Progress from the request on, and nothing left shown once the program
    // has ended.
    void aCompletedDownloadEndsWithTheEntryCleared() {
        QCOMPARE(runChild("completed"), kEnded);
        if (!onBus) {
            return;
        }
        QVERIFY(updates.size() >= 2);
        QVERIFY(updates.front().visible());
        QCOMPARE(updates.front().progress(), 0.0);
        double before = 0;
        for (const Update& update : updates) {
            QCOMPARE(update.path,
                     QStringLiteral("/com/canonical/unity/launcherentry/quibrant_descarga"));
            QCOMPARE(update.appUri, QStringLiteral("application://quibrant-descarga.desktop"));
            QCOMPARE(update.properties.value(QStringLiteral("progress")).typeId(),
                     QMetaType::Double);
            QVERIFY(!update.urgent());
            if (update.visible()) {
                QVERIFY(update.progress() >= before && update.progress() <= 1.0);
                before = update.progress();
            }
        }
    }

    // The program ends right after the message, while the bus still sends
    // from a thread of its own: the entry is cleared all the same.
    void aTimeOutAsksForAttentionWhileItIsTold() {
        QCOMPARE(runChild("timed-out"), kEnded);
        if (!onBus) {
            return;
        }
        std::vector<std::pair<bool, bool>> shown;
        for (const Update& update : updates) {
            shown.emplace_back(update.visible(), update.urgent());
        }
        QCOMPARE(shown, (std::vector<std::pair<bool, bool>>{
                            {true, false}, {false, true}, {false, false}}));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("quibrant-descarga"));
    if (qEnvironmentVariableIsSet(kScenario)) {
        return downloadInChild(qgetenv(kScenario));
    }
    LauncherEntryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "LauncherEntryTest.moc"
