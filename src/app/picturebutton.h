#pragma once

#include <QColor>
#include <QPixmap>
#include <QPushButton>

// A button with a coloured face showing its picture above its caption, with
// an own picture for its pressed and its disabled look where it has them.
class PictureButton : public QPushButton
{
    Q_OBJECT
public:
    PictureButton(const QString &caption, QColor face, QWidget *parent);

    void setPictures(const QPixmap &normal, const QPixmap &pressed = {}, const QPixmap &disabled = {});

    // The picture of the look the button is in now.
    QPixmap currentPicture() const;
    QColor face() const { return face_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor face_;
    QPixmap normal, pressed, disabled;
};
