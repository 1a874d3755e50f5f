#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Where a window whose frame measures frameSize goes in the available area
// of a screen (the screen less its panels): centred, but never past the
// area's top or left edge, so that the title bar can always be reached. A
// window larger than the area lies at its top-left corner.
QPoint placeWithin(QSize frameSize, const QRect &available);

// Moves window so, on the screen it is on.
void placeOnScreen(QWidget *window);
