#include "announcer.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLineEdit>

namespace {
class AnnouncerInterface : public QAccessibleWidget
{
public:
    explicit AnnouncerInterface(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::Notification)
    {
    }
};

QAccessibleInterface *announcerInterface(const QString &className, QObject *object)
{
    if (className == QLatin1String("Announcer") && object->isWidgetType())
        return new AnnouncerInterface(static_cast<QWidget *>(object));
    return nullptr;
}

QObject *quietObject = nullptr;
QAccessible::UpdateHandler outerHandler = nullptr;

// Forwards every event but those of quietObject to whoever listened before.
void dropQuietEvents(QAccessibleEvent *event)
{
    if (event->object() == quietObject)
        return;
    QAccessible::installUpdateHandler(outerHandler);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(dropQuietEvents);
}
} // namespace

Announcer::Announcer(QWidget *window)
    : QWidget(window)
{
    [[maybe_unused]] static const bool installed = [] {
        QAccessible::installFactory(announcerInterface);
        return true;
    }();
    setObjectName(QStringLiteral("announcer"));
    hide();
}

void Announcer::announce(const QString &message)
{
    setAccessibleName(message);
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

void Announcer::clearUnheard(QLineEdit *box)
{
    quietObject = box;
    outerHandler = QAccessible::installUpdateHandler(dropQuietEvents);
    box->clear();
    QAccessible::installUpdateHandler(outerHandler);
    quietObject = nullptr;
}
