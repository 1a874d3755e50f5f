#pragma once

#include <QIcon>
#include <QLabel>

// An image control: shows its picture at the pixel density of the screen it
// is on, drawn again when the window moves to a screen of another density.
class PictureLabel : public QLabel
{
    Q_OBJECT
public:
    explicit PictureLabel(QWidget *parent);

    void setPicture(const QIcon &picture);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void choosePixmap();

    QIcon picture_;
};
