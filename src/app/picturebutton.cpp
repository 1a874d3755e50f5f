#include "picturebutton.h"

#include <QPainter>

namespace {
constexpr int pictureSize = 32;
constexpr int pictureTop = 6;
constexpr int focusInset = 4;
} // namespace

PictureButton::PictureButton(const QString &caption, QColor face, QWidget *parent)
    : QPushButton(caption, parent)
    , face_(face)
{
}

void PictureButton::setPictures(const QIcon &normalLook, const QIcon &pressedLook, const QIcon &disabledLook)
{
    normal = normalLook;
    pressed = pressedLook;
    disabled = disabledLook;
    update();
}

QPixmap PictureButton::currentPicture() const
{
    const QIcon *look = &normal;
    if (!isEnabled() && !disabled.isNull())
        look = &disabled;
    else if (isDown() && !pressed.isNull())
        look = &pressed;
    return look->pixmap(QSize(pictureSize, pictureSize), devicePixelRatioF());
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect r = rect();
    painter.fillRect(r, face_);

    // A raised bevel that sinks while the button is held down.
    const bool sunk = isDown();
    painter.setPen(sunk ? face_.darker(250) : face_.lighter(160));
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(sunk ? face_.lighter(160) : Qt::black);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());

    const int shift = sunk ? 1 : 0;
    const QPixmap picture = currentPicture();
    if (!picture.isNull()) {
        // Scaling between densities, as at 1.5, stays smooth.
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(QRect((width() - pictureSize) / 2 + shift, pictureTop + shift, pictureSize, pictureSize), picture);
    }

    const QRect textRect(shift, pictureTop + pictureSize + 2 + shift, width(), height() - pictureTop - pictureSize - 2);
    painter.setFont(font());
    painter.setPen(isEnabled() ? palette().color(QPalette::Active, QPalette::ButtonText)
                               : palette().color(QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic, text());

    if (hasFocus()) {
        // A dotted frame inside the bevel, black dots on white, which shows
        // on any face colour; the style's own focus frame hardly shows here.
        const QRect frame = r.adjusted(focusInset, focusInset, -focusInset - 1, -focusInset - 1);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::white, 1));
        painter.drawRect(frame);
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawRect(frame);
    }
}
