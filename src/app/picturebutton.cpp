#include "picturebutton.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

PictureButton::PictureButton(const QString &caption, QColor face, QWidget *parent)
    : QPushButton(caption, parent)
    , face_(face)
{
}

void PictureButton::setPictures(const QPixmap &normalLook, const QPixmap &pressedLook, const QPixmap &disabledLook)
{
    normal = normalLook;
    pressed = pressedLook;
    disabled = disabledLook;
    update();
}

QPixmap PictureButton::currentPicture() const
{
    if (!isEnabled() && !disabled.isNull())
        return disabled;
    if (isDown() && !pressed.isNull())
        return pressed;
    return normal;
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
    const int pictureTop = 6;
    if (!picture.isNull())
        painter.drawPixmap((width() - picture.width()) / 2 + shift, pictureTop + shift, picture);

    const QRect textRect(shift, pictureTop + 32 + 2 + shift, width(), height() - pictureTop - 34);
    painter.setFont(font());
    painter.setPen(isEnabled() ? palette().color(QPalette::Active, QPalette::ButtonText)
                               : palette().color(QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic, text());

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = r.adjusted(4, 4, -4, -4);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}
