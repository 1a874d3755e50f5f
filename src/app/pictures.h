#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>

// The game's pictures, compiled in as resources.
namespace pictures {

QIcon windowIcon();
QCursor handCursor(); // monochrome, hot spot at the fingertip (5, 0)
QPixmap nextNormal();
QPixmap nextPressed();
QPixmap nextDisabled();
QPixmap exitSign();
QPixmap stopwatch();

} // namespace pictures
