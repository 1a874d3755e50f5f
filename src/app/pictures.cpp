#include "pictures.h"

#include <QBitmap>
#include <QImage>

namespace pictures {

namespace {
QPixmap picture(const char *name)
{
    return QPixmap(QStringLiteral(":/pictures/") + QLatin1String(name) + QStringLiteral("32.xpm"));
}

QIcon icon(const char *name)
{
    QIcon result;
    for (int size : {32, 16})
        result.addFile(QStringLiteral(":/pictures/%1%2.xpm").arg(QLatin1String(name), QString::number(size)), QSize(size, size));
    return result;
}
} // namespace

QIcon windowIcon() { return icon("icon"); }

QCursor handCursor()
{
    const QImage image = QImage(QStringLiteral(":/pictures/cursor32.xpm")).convertToFormat(QImage::Format_ARGB32);
    // Black pixels ink the cursor, white ones only fill the mask.
    const QBitmap ink = QBitmap::fromImage(image.createMaskFromColor(qRgb(0, 0, 0), Qt::MaskInColor));
    const QBitmap mask = QBitmap::fromImage(image.createAlphaMask());
    return QCursor(ink, mask, 5, 0);
}

QPixmap nextNormal() { return picture("next_normal"); }
QPixmap nextPressed() { return picture("next_pressed"); }
QPixmap nextDisabled() { return picture("next_disabled"); }
QPixmap exitSign() { return picture("exit"); }
QPixmap stopwatch() { return picture("stopwatch"); }

} // namespace pictures
