#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QPushButton>

// A button with a coloured face showing its picture above its caption, with
// an own picture for its pressed and its disabled look where it has them.
// Pictures are drawn at the screen's pixel density, 32 pixels square in the
// layout.
class PictureButton : public QPushButton
{
    Q_OBJECT
public:
    PictureButton(const QString &caption, QColor face, QWidget *parent);

    void setPictures(const QIcon &normal, const QIcon &pressed = {}, const QIcon &disabled = {});

    // The picture of the look the button is in now, at its pixel density.
    QPixmap currentPicture() const;
    QColor face() const { return face_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor face_;
    QIcon normal, pressed, disabled;
};
