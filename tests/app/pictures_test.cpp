#include "answerbox.h"
#include "controls.h"
#include "label.h"
#include "picturebutton.h"
#include "pictures.h"
#include "surface.h"

#include <QApplication>
#include <QBitmap>
#include <QFontMetrics>
#include <QTest>
#include <gtest/gtest.h>

using pictures::Picture;

namespace {

struct PictureRow
{
    Picture picture;
    const char *file; // resource name without size and extension
};

const PictureRow pictureRows[] = {
    {Picture::NextNormal, "next_normal"},
    {Picture::NextPressed, "next_pressed"},
    {Picture::NextDisabled, "next_disabled"},
    {Picture::ExitSign, "exit"},
    {Picture::Stopwatch, "stopwatch"},
};

QImage argb(const QImage &image) { return image.convertToFormat(QImage::Format_ARGB32_Premultiplied); }

QImage resource(const char *file, int size)
{
    return argb(QImage(QStringLiteral(":/pictures/%1%2.png").arg(QLatin1String(file)).arg(size)));
}

QList<int> widths(const QList<QSize> &sizes)
{
    QList<int> result;
    for (const QSize &s : sizes) {
        EXPECT_EQ(s.width(), s.height());
        result << s.width();
    }
    std::sort(result.begin(), result.end());
    return result;
}

bool black(const QImage &bitmapImage, int x, int y) { return bitmapImage.pixel(x, y) == qRgb(0, 0, 0); }

struct Window
{
    Window() { installFontSubstitutes(); }
    QWidget parent;
    Controls ui = Controls::create(&parent);
};

// Rows of the picture where it differs from the other; -1 if nowhere.
struct Difference
{
    QRect bounds;
    int count = 0;
};
Difference difference(const QImage &a, const QImage &b)
{
    Difference d;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) {
                d.bounds |= QRect(x, y, 1, 1);
                ++d.count;
            }
    return d;
}

} // namespace

// Each picture exists at 16, 32 and 64 px; the layout size stays 32 and a
// denser screen gets the 64 px drawing itself, not a 32 px one scaled up.
TEST(Pictures, EachIsDrawnAtOneAndTwoTimesTheLayoutSize)
{
    for (const PictureRow &row : pictureRows) {
        SCOPED_TRACE(row.file);
        const QIcon icon = pictures::icon(row.picture);
        EXPECT_EQ(widths(icon.availableSizes()), (QList<int>{16, 32, 64}));

        const QPixmap one = pictures::pixmap(row.picture, 1.0);
        EXPECT_EQ(one.size(), QSize(32, 32));
        EXPECT_EQ(one.devicePixelRatio(), 1.0);
        EXPECT_EQ(argb(one.toImage()), resource(row.file, 32));

        const QPixmap two = pictures::pixmap(row.picture, 2.0);
        EXPECT_EQ(two.size(), QSize(64, 64));
        EXPECT_EQ(two.devicePixelRatio(), 2.0);
        EXPECT_EQ(argb(two.toImage()), resource(row.file, 64));
        EXPECT_EQ(argb(icon.pixmap(QSize(32, 32), 2.0).toImage()), resource(row.file, 64));

        // Between the two, exactly as many device pixels as the ratio asks.
        const QPixmap between = pictures::pixmap(row.picture, 1.5);
        EXPECT_EQ(between.size(), QSize(48, 48));
        EXPECT_EQ(between.devicePixelRatio(), 1.5);

        EXPECT_EQ(argb(icon.pixmap(QSize(16, 16)).toImage()), resource(row.file, 16));
    }
    // The shorthands the window uses give the same pictures.
    EXPECT_EQ(argb(pictures::pixmap(pictures::Picture::NextDisabled, 2.0).toImage()), resource("next_disabled", 64));
    EXPECT_EQ(argb(pictures::pixmap(pictures::Picture::Stopwatch).toImage()), resource("stopwatch", 32));
}

TEST(Pictures, WindowIconCarriesEveryDesktopSize)
{
    const QIcon icon = pictures::windowIcon();
    EXPECT_EQ(widths(icon.availableSizes()), (QList<int>{16, 22, 32, 48, 64, 128, 256}));
    for (int size : {16, 22, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        const QImage image = icon.pixmap(QSize(size, size)).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        // Blue frame round the edge, the text in pure blue inside.
        EXPECT_EQ(image.pixel(0, 0), qRgb(0x00, 0x20, 0xC0));
        int blue = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                blue += image.pixel(x, y) == qRgb(0, 0, 0xFF);
        EXPECT_GE(blue, 20);
    }
    EXPECT_EQ(icon.pixmap(QSize(32, 32), 2.0).toImage(), icon.pixmap(QSize(64, 64)).toImage());
}

// The hand keeps its size on a denser screen: a 64 px cursor whose hot spot,
// in device pixels, is still the fingertip; the hand is white, its outline
// black.
TEST(Pictures, HandCursorPointsWithItsFingertipAtEveryDensity)
{
    struct Row
    {
        qreal ratio;
        int size;
        QPoint hotSpot;
        QPoint palm;
    };
    const Row rows[] = {
        {1.0, 32, {5, 0}, {12, 20}},
        {1.25, 32, {5, 0}, {12, 20}},
        {1.5, 64, {10, 0}, {24, 40}},
        {2.0, 64, {10, 0}, {24, 40}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.ratio);
        const QCursor hand = pictures::handCursor(row.ratio);
        EXPECT_EQ(hand.shape(), Qt::BitmapCursor);
        EXPECT_EQ(hand.hotSpot(), row.hotSpot);
        ASSERT_EQ(hand.bitmap().size(), QSize(row.size, row.size));
        ASSERT_EQ(hand.mask().size(), QSize(row.size, row.size));
        const QImage ink = hand.bitmap().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage mask = hand.mask().toImage().convertToFormat(QImage::Format_RGB32);

        // The fingertip alone on the top row, starting at the hot spot.
        const int tip = row.size / 32;
        for (int x = 0; x < row.size; ++x) {
            const bool inTip = x >= row.hotSpot.x() && x < row.hotSpot.x() + tip;
            EXPECT_EQ(black(mask, x, 0), inTip) << "x " << x;
        }
        EXPECT_TRUE(black(ink, row.hotSpot.x(), 0)) << "the outline is black";
        EXPECT_TRUE(black(mask, row.palm.x(), row.palm.y()));
        EXPECT_FALSE(black(ink, row.palm.x(), row.palm.y())) << "the palm is white";
    }
}

// Whenever a picture button has the keyboard focus a frame shows inside its
// bevel, in black and white, on the cyan and on the purple face alike.
TEST(Pictures, FocusFrameShowsOnBothButtonFaces)
{
    Window w;
    w.parent.resize(w.ui.surface->size());
    w.parent.show();
    QApplication::setActiveWindow(&w.parent);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.parent));
    w.ui.cmdNext->setEnabled(true);

    for (PictureButton *button : {w.ui.cmdNext, w.ui.cmdExit}) {
        SCOPED_TRACE(button->objectName().toStdString());
        w.ui.txtAnswer->setFocus();
        ASSERT_FALSE(button->hasFocus());
        const QImage plain = button->grab().toImage();
        button->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(button->hasFocus());
        const QImage focused = button->grab().toImage();

        const Difference d = difference(plain, focused);
        // A frame all round, inside the one-pixel bevel.
        EXPECT_EQ(d.bounds, QRect(4, 4, button->width() - 9 + 1, button->height() - 9 + 1));
        EXPECT_GT(d.count, button->width() + button->height()) << "the frame is drawn along its whole length";
        int dark = 0, light = 0;
        for (int x = d.bounds.left(); x <= d.bounds.right(); ++x) {
            const QColor c = focused.pixelColor(x, d.bounds.top());
            dark += c.lightness() < 64;
            light += c.lightness() > 192;
        }
        EXPECT_GT(dark, 10);
        EXPECT_GT(light, 10);
    }
}

// Framed captions start at the top of their box, aligned as designed, and
// leave the bottom border clear: "Risposte esatte" shows its "p" whole.
TEST(Pictures, FramedCaptionsRunFromTheTopOfTheirBox)
{
    Window w;
    struct Row
    {
        const char *name;
        bool centred;
    };
    const Row rows[] = {
        {"Label6", true}, {"Label1", false}, {"Label3", false}, {"lblconto", false},
        {"Label14", true}, {"lblScore", true}, {"lblScore1", true}, {"lblScore2", true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto *label = w.ui.surface->findChild<Label *>(QLatin1String(row.name));
        ASSERT_NE(label, nullptr);
        ASSERT_EQ(label->frameWidth(), 1);
        QImage image(label->size(), QImage::Format_RGB32);
        image.fill(Qt::black);
        label->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);

        // Ink inside the frame (a transparent auto-size label has a spare pixel beyond it).
        const QRect frame = label->frameRect();
        QRect ink;
        for (int y = frame.top() + 1; y < frame.bottom(); ++y)
            for (int x = frame.left() + 1; x < frame.right(); ++x)
                if (image.pixel(x, y) != qRgb(0, 0, 0))
                    ink |= QRect(x, y, 1, 1);
        ASSERT_FALSE(ink.isEmpty());

        const QFontMetrics metrics(label->font());
        // The tallest letter or digit starts where the font puts it below
        // the top of its line, the line being the first inside the frame.
        EXPECT_LE(ink.top(), 1 + metrics.ascent() - metrics.capHeight() + 2);
        EXPECT_LE(ink.bottom(), frame.bottom() - 2) << "a clear row above the bottom border";
        if (row.centred) {
            EXPECT_LE(std::abs(ink.left() - (frame.right() - ink.right())), 3);
        } else {
            EXPECT_LE(ink.left(), 1 + 3);
        }
    }
}

// On a screen of twice the density (QT_SCALE_FACTOR=2) the window draws the
// 64 px pictures pixel for pixel and sets the 64 px cursor.
TEST(DenseScreen, WindowDrawsTheTwoTimesPictures)
{
    if (qApp->devicePixelRatio() != 2.0)
        GTEST_SKIP() << "needs QT_SCALE_FACTOR=2";
    Window w;
    w.parent.resize(w.ui.surface->size());
    w.parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.parent));
    w.ui.cmdNext->setEnabled(true);

    struct Row
    {
        PictureButton *button;
        const char *file;
    };
    for (const Row &row : {Row{w.ui.cmdNext, "next_normal"}, Row{w.ui.cmdExit, "exit"}}) {
        SCOPED_TRACE(row.file);
        EXPECT_EQ(row.button->currentPicture().size(), QSize(64, 64));
        const QImage face = row.button->grab().toImage();
        ASSERT_EQ(face.devicePixelRatio(), 2.0);
        // The picture lies centred, 6 px from the top of the layout.
        const QPoint at(((row.button->width() - 32) / 2) * 2, 6 * 2);
        const QImage drawn = face.copy(QRect(at, QSize(64, 64)));
        // Transparent pixels show the face; every drawn one is the file's own.
        const QImage file = resource(row.file, 64);
        int same = 0, opaque = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                if (qAlpha(file.pixel(x, y)) == 255) {
                    ++opaque;
                    same += (drawn.pixel(x, y) & 0xFFFFFF) == (file.pixel(x, y) & 0xFFFFFF);
                }
        EXPECT_EQ(same, opaque);
    }

    EXPECT_EQ(w.ui.Image1->pixmap().size(), QSize(64, 64));
    EXPECT_EQ(w.ui.Image1->pixmap().devicePixelRatio(), 2.0);
    EXPECT_EQ(w.ui.surface->cursor().hotSpot(), QPoint(10, 0));
    EXPECT_EQ(w.ui.surface->cursor().bitmap().size(), QSize(64, 64));
}
