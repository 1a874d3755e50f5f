#pragma once

#include <QImage>
#include <QWidget>

struct Problem;

// The window's client area. Its background lives in an image that each new
// problem repaints once; every repaint of the widget only copies it.
class Surface : public QWidget
{
    Q_OBJECT
public:
    explicit Surface(QWidget *parent);

    void paintGradient(const Problem &problem);
    const QImage &background() const { return background_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QImage background_;
};
