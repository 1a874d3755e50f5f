#include "displayguard.h"

#include <QByteArray>
#include <QList>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

// Only the main thread builds QApplication, so one guard at a time.
QtMessageHandler previousHandler = nullptr;
QList<HeldMessage> held;
QString pendingFailureLine;

void holdOrFail(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg) {
        std::fputs(pendingFailureLine.toLocal8Bit().append('\n').constData(), stderr);
        std::fflush(stderr);
        // Nothing of the half-built application may run its destructors.
        std::_Exit(EXIT_FAILURE);
    }
    held.append({type, QByteArray(context.category), message});
}

QString firstPlatform(const QString &platform)
{
    // QT_QPA_PLATFORM may list fallbacks ("wayland;xcb") and carry options ("xcb:foo").
    return platform.section(u';', 0, 0).section(u':', 0, 0).trimmed();
}

} // namespace

DisplayGuard::DisplayGuard(const QString &platform, const QString &display)
{
    pendingFailureLine = failureLine(platform.isEmpty() ? qEnvironmentVariable("QT_QPA_PLATFORM") : platform,
                                     display.isEmpty() ? qEnvironmentVariable("DISPLAY") : display,
                                     qEnvironmentVariable("WAYLAND_DISPLAY"));
    held.clear();
    previousHandler = qInstallMessageHandler(holdOrFail);
    active = true;
}

DisplayGuard::~DisplayGuard()
{
    release();
}

void DisplayGuard::release()
{
    if (!active)
        return;
    active = false;
    qInstallMessageHandler(previousHandler);
    const QList<HeldMessage> messages = std::exchange(held, {});
    for (const HeldMessage &message : messages) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        previousHandler(message.type, context, message.text);
    }
}

QString DisplayGuard::failureLine(const QString &platform, const QString &display, const QString &waylandDisplay)
{
    const QString needs = QStringLiteral("; il gioco ha bisogno di una sessione grafica del desktop.");
    const QString name = firstPlatform(platform);
    if (!name.isEmpty() && name != u"xcb")
        return QStringLiteral("quozzolo: non riesco ad avviare la piattaforma grafica \"%1\"").arg(name) + needs;
    if (!display.isEmpty())
        return QStringLiteral("quozzolo: non riesco ad aprire lo schermo \"%1\"").arg(display) + needs;
    if (!waylandDisplay.isEmpty() && name.isEmpty())
        return QStringLiteral("quozzolo: non riesco ad aprire lo schermo Wayland \"%1\"").arg(waylandDisplay) + needs;
    return QStringLiteral("quozzolo: manca lo schermo (la variabile DISPLAY non è impostata)") + needs;
}
