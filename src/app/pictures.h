#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>

// The game's pictures, compiled in as resources. Each is drawn at 16, 32 and
// 64 pixels; 32 is its size in the window's layout, 64 the same picture for
// a screen of twice the density.
namespace pictures {

enum class Picture { NextNormal, NextPressed, NextDisabled, ExitSign, Stopwatch };

constexpr int layoutSize = 32;

QIcon icon(Picture picture);
// The picture layoutSize wide in device-independent pixels, drawn for the
// device pixel ratio.
QPixmap pixmap(Picture picture, qreal devicePixelRatio = 1.0);

QIcon windowIcon(); // 16, 22, 32, 48, 64, 128 and 256 pixels

// Monochrome, white hand, black outline, hot spot at the fingertip: (5, 0)
// of a 32 px cursor, or (10, 0) of the 64 px one on a denser screen.
QCursor handCursor(qreal devicePixelRatio = 1.0);

} // namespace pictures
