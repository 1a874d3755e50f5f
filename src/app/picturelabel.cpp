#include "picturelabel.h"

#include "pictures.h"

PictureLabel::PictureLabel(QWidget *parent)
    : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void PictureLabel::setPicture(const QIcon &picture)
{
    picture_ = picture;
    choosePixmap();
}

void PictureLabel::choosePixmap()
{
    const int size = pictures::layoutSize;
    setPixmap(picture_.pixmap(QSize(size, size), devicePixelRatioF()));
}

void PictureLabel::paintEvent(QPaintEvent *event)
{
    if (!picture_.isNull() && !qFuzzyCompare(pixmap().devicePixelRatio(), devicePixelRatioF()))
        choosePixmap();
    QLabel::paintEvent(event);
}
