#pragma once

#include <QProxyStyle>

// The menu bar's style. Fusion highlights a title only while its list is
// open or the mouse presses it; one reached from the keyboard (Alt, then the
// arrows) showed nothing. Here a selected title is highlighted whenever the
// bar has the keyboard focus.
class MenuBarStyle : public QProxyStyle
{
    Q_OBJECT
public:
    explicit MenuBarStyle(QWidget *bar);

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override;
};
