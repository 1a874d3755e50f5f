#include "menubarstyle.h"

#include <QStyleOptionMenuItem>
#include <QWidget>

MenuBarStyle::MenuBarStyle(QWidget *bar)
{
    // A widget does not own its style: the bar's style goes with the bar.
    setParent(bar);
    bar->setStyle(this);
}

void MenuBarStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                               const QWidget *widget) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (element == CE_MenuBarItem && item && (item->state & State_Selected) && widget && widget->hasFocus()) {
        QStyleOptionMenuItem pressed = *item;
        pressed.state |= State_Sunken;
        QProxyStyle::drawControl(element, &pressed, painter, widget);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}
