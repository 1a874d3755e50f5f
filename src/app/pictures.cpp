#include "pictures.h"

#include <QBitmap>
#include <QImage>

namespace pictures {

namespace {
const char *baseName(Picture picture)
{
    switch (picture) {
    case Picture::NextNormal: return "next_normal";
    case Picture::NextPressed: return "next_pressed";
    case Picture::NextDisabled: return "next_disabled";
    case Picture::ExitSign: return "exit";
    case Picture::Stopwatch: return "stopwatch";
    }
    return "";
}

QIcon iconOf(const QString &prefix, std::initializer_list<int> sizes)
{
    QIcon result;
    for (int size : sizes)
        result.addFile(QStringLiteral("%1%2.png").arg(prefix).arg(size), QSize(size, size));
    return result;
}

// A bitmap whose 1 bits are the pixels that pass the test. The colour table
// is set by hand: QBitmap::fromImage inverts a mono image whose index 0 is
// black, which is what createMaskFromColor() gives.
QBitmap bitmapOf(const QImage &image, bool (*on)(QRgb))
{
    QImage mono(image.size(), QImage::Format_MonoLSB);
    mono.setColorTable({QColor(Qt::white).rgb(), QColor(Qt::black).rgb()});
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            mono.setPixel(x, y, on(image.pixel(x, y)) ? 1 : 0);
    return QBitmap::fromImage(mono);
}
} // namespace

QIcon icon(Picture picture)
{
    return iconOf(QStringLiteral(":/pictures/") + QLatin1String(baseName(picture)), {16, 32, 64});
}

QPixmap pixmap(Picture picture, qreal devicePixelRatio)
{
    // Above 2 the 64 px picture is scaled up, between 1 and 2 smoothly down.
    return icon(picture).pixmap(QSize(layoutSize, layoutSize), devicePixelRatio);
}

QIcon windowIcon()
{
    return iconOf(QStringLiteral(":/icons/icon"), {16, 22, 32, 48, 64, 128, 256});
}

QCursor handCursor(qreal devicePixelRatio)
{
    // The xcb platform shows a cursor at its pixel size whatever the ratio,
    // and ignores a pixmap's ratio for the hot spot; so a denser screen gets
    // the 64 px drawing with its hot spot in device pixels. A monochrome
    // hand cannot be scaled evenly: from 1.5 up the bigger one is nearer.
    const int scale = devicePixelRatio >= 1.5 ? 2 : 1;
    const QImage image = QImage(QStringLiteral(":/pictures/cursor%1.png").arg(layoutSize * scale))
                             .convertToFormat(QImage::Format_ARGB32);
    const QBitmap ink = bitmapOf(image, [](QRgb p) { return qAlpha(p) != 0 && qGray(p) < 128; });
    const QBitmap mask = bitmapOf(image, [](QRgb p) { return qAlpha(p) != 0; });
    return QCursor(ink, mask, 5 * scale, 0);
}

} // namespace pictures
