#include "placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

QPoint placeWithin(QSize frameSize, const QRect &available)
{
    const QPoint centred = available.center() - QRect(QPoint(), frameSize).center();
    return {std::max(centred.x(), available.left()), std::max(centred.y(), available.top())};
}

void placeOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // Before the first showing the frame is not known yet: the client area stands for it.
    window->move(placeWithin(window->frameGeometry().size(), screen->availableGeometry()));
}
