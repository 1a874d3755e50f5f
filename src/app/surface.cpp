#include "surface.h"

#include "problem.h"

#include <QPaintEvent>
#include <QPainter>

Surface::Surface(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Surface::paintGradient(const Problem &problem)
{
    if (background_.size() != size())
        background_ = QImage(size(), QImage::Format_RGB32);
    QPainter painter(&background_);
    for (int band = 0; band < gradient::bands; ++band) {
        const auto [red, green, blue] = gradient::bandColour(problem, band);
        const auto [top, bottom] = gradient::bandRows(band, height());
        painter.fillRect(0, top, width(), bottom - top, QColor(red, green, blue));
    }
    update();
}

void Surface::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), background_, event->rect());
}

void Surface::resizeEvent(QResizeEvent *)
{
    // The surface has one fixed size, so this runs once, before any problem:
    // until the first one the background is plain black.
    if (background_.size() != size()) {
        background_ = QImage(size(), QImage::Format_RGB32);
        background_.fill(Qt::black);
    }
}
