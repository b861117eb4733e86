#include "qt/LauncherEntry.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QVariantMap>

namespace quibrant::qt {

namespace {

constexpr const char* kInterface = "com.canonical.Unity.LauncherEntry";
constexpr const char* kObjectPathPrefix = "/com/canonical/unity/launcherentry/";
// How long clearing the entry may wait for the bus to have it.
constexpr int kFlushTimeoutMs = 500;

// An object path element takes letters, digits and underscores only.
QString pathElement(const QString& name) {
    QString element = name;
    for (QChar& c : element) {
        const bool allowed = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                             (c >= u'0' && c <= u'9') || c == u'_';
        if (!allowed) {
            c = u'_';
        }
    }
    return element;
}

}  // namespace

LauncherEntry::LauncherEntry()
    : timer_([this] { rated_.update().onTimer(); }),
      rated_([this](const platform::TaskbarProgress& progress) { send(progress); },
             timer_.runner()) {
    const QString desktopFile = QGuiApplication::desktopFileName();
    if (!desktopFile.isEmpty()) {
        appUri_ = QStringLiteral("application://%1.desktop").arg(desktopFile);
        path_ = QString::fromLatin1(kObjectPathPrefix) + pathElement(desktopFile);
    }
}

LauncherEntry::~LauncherEntry() {
    if (sent_.state != platform::TaskbarState::None) {
        send({});
    }
}

void LauncherEntry::send(const platform::TaskbarProgress& progress) {
    sent_ = progress;
    if (appUri_.isEmpty()) {
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    QDBusMessage update = QDBusMessage::createSignal(path_, QString::fromLatin1(kInterface),
                                                     QStringLiteral("Update"));
    // Docks show no progress of their own for an error: the entry asks for
    // attention instead.
    const QVariantMap properties = {
        {QStringLiteral("progress"),
         static_cast<double>(progress.done) / platform::TaskbarProgress::kSteps},
        {QStringLiteral("progress-visible"), progress.state == platform::TaskbarState::Normal},
        {QStringLiteral("urgent"), progress.state == platform::TaskbarState::Error}};
    update << appUri_ << properties;
    bus.send(update);
    if (progress.state == platform::TaskbarState::None) {
        // The bus sends from a thread of its own, and the program may end
        // right after the entry is cleared: a reply to a call sent behind the
        // signal means the bus has the signal.
        bus.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                QStringLiteral("/org/freedesktop/DBus"),
                                                QStringLiteral("org.freedesktop.DBus.Peer"),
                                                QStringLiteral("Ping")),
                 QDBus::Block, kFlushTimeoutMs);
    }
}

}  // namespace quibrant::qt
