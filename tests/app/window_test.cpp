#include "game.h"

#include "controls.h"
#include "pictures.h"

#include <QApplication>
#include <algorithm>
#include <QBitmap>
#include <QDir>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {
constexpr QRgb none = 0xFFFFFFFF;

struct LabelRow
{
    const char *name;
    const char16_t *text;
    int left, top, width, height; // twips
    const char *family;
    double points;
    bool bold;
    QRgb text_, back;
    bool border, centred, autoSize, visible;
    const char16_t *toolTip;
};

// The window's labels as the design gives them.
const LabelRow labelRows[] = {
    {"Label11", u"Tempo restante", 360, 2040, 1575, 375, "MS Sans Serif", 9.75, false, 0xFFFF00, none, false, false, false, true, u""},
    {"lblconto", u"00.00.00", 360, 2520, 1575, 495, "Arial Black", 12, true, 0xFFFF00, none, true, false, false, true, u""},
    {"Label14", u"Sfidante", 120, 6360, 1425, 420, "MS Sans Serif", 13.5, false, 0x008000, none, true, true, true, true, u""},
    {"Label13", u"con punti", 8520, 7440, 1455, 435, "MS Sans Serif", 18, false, 0xC000C0, none, false, false, true, true, u""},
    {"lblpunti", u"0", 10320, 7320, 270, 555, "MS Sans Serif", 24, false, 0xC000C0, none, false, false, true, true, u""},
    {"Label12", u"Il record  è di ", 1080, 7440, 2295, 375, "MS Sans Serif", 18, false, 0xC000C0, none, false, false, false, true, u""},
    {"lblnome1", u"", 240, 6960, 105, 360, "MS Sans Serif", 13.5, true, 0x008000, none, false, false, true, true, u""},
    {"lblnome", u"nome", 3480, 7440, 990, 435, "MS Sans Serif", 18, true, 0x0000FF, none, false, false, true, true, u""},
    {"lblnum5", u"", 9600, 1560, 330, 1185, "Arial", 48, true, none, 0x00FFFF, true, false, true, false, u""},
    {"Label7", u")", 6480, -120, 615, 1815, "Arial", 72, true, 0xFF0000, none, false, false, false, true, u""},
    {"Label5", u"(", 4440, -120, 495, 1695, "Arial", 72, true, 0xFF0000, none, false, false, false, true, u""},
    {"Label3", u"Risposte totali", 7440, 3360, 2340, 495, "MS Sans Serif", 18, false, 0x0000FF, none, true, false, true, true, u""},
    {"Label1", u"Risposte errate", 3840, 3360, 2520, 495, "MS Sans Serif", 18, false, 0xFF0000, none, true, false, true, true, u""},
    {"lblScore2", u"0", 8310, 4080, 555, 885, "Times New Roman", 36, true, 0x0000FF, none, true, true, true, true, u""},
    {"lblScore1", u"0", 4830, 4080, 540, 885, "Times New Roman", 36, true, 0xFF0000, none, true, true, true, true, u""},
    {"lblTime", u"", 8400, 1800, 90, 300, "MS Sans Serif", 12, true, none, none, false, false, true, true, u"Clicca sotto di me per attivare il Timer"},
    {"lblNum2", u"", 5520, 240, 345, 1305, "Arial", 48, true, none, 0x00FFFF, true, true, true, true, u""},
    {"Label4", u"=", 7920, 240, 615, 975, "Arial", 48, true, 0xFF0000, none, false, true, false, true, u""},
    {"Label2", u":", 2880, 360, 615, 975, "Arial", 48, false, 0xFF0000, none, false, true, false, true, u""},
    {"lblNum1", u"", 1080, 240, 345, 1305, "Arial", 48, true, none, 0x00FFFF, true, true, true, true, u""},
    {"lblScore", u"0", 1080, 4080, 555, 885, "Times New Roman", 36, true, 0x00FFFF, none, true, true, true, true, u"Questo è il tuo punteggio. Forza con il  record"},
    {"lblMessage", u"", 1680, 2040, 9495, 615, "MS Sans Serif", 24, true, 0xFF0000, none, false, true, false, true, u""},
    {"Label6", u"Risposte esatte", 240, 3360, 2565, 495, "MS Sans Serif", 18, false, 0x00C000, none, true, true, false, true, u""},
};

QRect px(int left, int top, int width, int height) { return {left / 15, top / 15, width / 15, height / 15}; }
int pixels(double points) { return int(points * 4 / 3 + 0.5); }

struct Created
{
    QWidget parent;
    Controls ui = Controls::create(&parent);
};
} // namespace

// Every control is created exactly as designed.
TEST(WindowDesign, EveryLabelStartsInItsDesignedState)
{
    Created created;
    int found = 0;
    for (const LabelRow &row : labelRows) {
        SCOPED_TRACE(row.name);
        auto *label = created.ui.surface->findChild<Label *>(QLatin1String(row.name));
        ASSERT_NE(label, nullptr);
        ++found;
        EXPECT_EQ(label->caption(), QString::fromUtf16(row.text));
        EXPECT_EQ(label->geometry(), px(row.left, row.top, row.width, row.height));
        EXPECT_EQ(label->font().family(), QLatin1String(row.family));
        EXPECT_EQ(label->font().pixelSize(), pixels(row.points));
        EXPECT_EQ(label->font().bold(), row.bold);
        EXPECT_EQ(label->font().italic(), QLatin1String(row.name) == "lblMessage");
        if (row.text_ != none) {
            EXPECT_EQ(label->palette().color(QPalette::WindowText).rgb() & 0xFFFFFF, row.text_);
        }
        EXPECT_EQ(label->autoFillBackground(), row.back != none) << "transparent labels show the gradient";
        if (row.back != none) {
            EXPECT_EQ(label->palette().color(QPalette::Window).rgb() & 0xFFFFFF, row.back);
        }
        EXPECT_EQ(label->frameShape() != QFrame::NoFrame, row.border);
        EXPECT_EQ(bool(label->alignment() & Qt::AlignHCenter), row.centred);
        EXPECT_EQ(label->autoSize(), row.autoSize);
        EXPECT_EQ(!label->isHidden(), row.visible);
        EXPECT_EQ(label->toolTip(), QString::fromUtf16(row.toolTip));
        EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
    }
    EXPECT_EQ(found, 23);
}

TEST(WindowDesign, WindowedControlsImageAndTimerStartAsDesigned)
{
    Created created;
    const Controls &ui = created.ui;
    EXPECT_EQ(ui.surface->size(), QSize(792, 554));

    EXPECT_EQ(ui.txtAnswer->text(), QString());
    EXPECT_EQ(ui.txtAnswer->geometry(), px(9240, 120, 2415, 1200));
    EXPECT_EQ(ui.txtAnswer->font().family(), "Arial");
    EXPECT_EQ(ui.txtAnswer->font().pixelSize(), 64);
    EXPECT_TRUE(ui.txtAnswer->font().bold());
    EXPECT_EQ(ui.txtAnswer->maxLength(), 4);
    EXPECT_EQ(ui.txtAnswer->palette().color(QPalette::Base), QColor(0x00, 0xFF, 0xFF));
    EXPECT_EQ(ui.txtAnswer->toolTip(), "Inserisci il risultato e  premi il tasto  Invio");

    struct ButtonRow { PictureButton *button; const char *text; QRect rect; QColor face; bool enabled; const char *tip; };
    const ButtonRow buttons[] = {
        {ui.cmdNext, "&Nuovo calcolo", px(2520, 5280, 1815, 1095), QColor(0x00, 0xFF, 0xFF), false, "Go"},
        {ui.cmdExit, "E&xit", px(7680, 5280, 1815, 1095), QColor(0xC0, 0x00, 0xC0), true,
         "Ti prego resta ancora, forse riuscirai a farmi uscire "},
    };
    for (const ButtonRow &row : buttons) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(row.button->text(), QLatin1String(row.text));
        EXPECT_EQ(row.button->geometry(), row.rect);
        EXPECT_EQ(row.button->face(), row.face);
        EXPECT_EQ(row.button->isEnabled(), row.enabled);
        EXPECT_EQ(row.button->toolTip(), QLatin1String(row.tip));
        EXPECT_EQ(row.button->font().family(), "MS Sans Serif");
        EXPECT_EQ(row.button->font().pixelSize(), 11);
        EXPECT_TRUE(row.button->font().bold());
        EXPECT_FALSE(row.button->currentPicture().isNull());
    }
    EXPECT_EQ(ui.Command1->text(), "Command1");
    EXPECT_EQ(ui.Command1->geometry(), px(3000, 5640, 855, 615));
    EXPECT_TRUE(ui.cmdNext->geometry().contains(ui.Command1->geometry()));

    EXPECT_EQ(ui.Image1->geometry(), px(2040, 2520, 480, 480));
    EXPECT_EQ(ui.Image1->pixmap().size(), QSize(32, 32));
    EXPECT_EQ(ui.Image1->toolTip(), "Clicca sotto di me per impostare il Timer");

    EXPECT_EQ(ui.Timer1->interval(), 1000);
    EXPECT_TRUE(ui.Timer1->isActive());

    EXPECT_EQ(ui.surface->findChildren<QWidget *>().size(), 28) << "28 controls besides the timer";
}

// Where windowed controls overlap, the one listed first lies on top; labels
// and the image lie beneath them all.
TEST(WindowDesign, StackingOrder)
{
    Created created;
    const QObjectList &children = created.ui.surface->children(); // bottom first
    const auto position = [&](QObject *o) { return children.indexOf(o); };
    const Controls &ui = created.ui;
    EXPECT_LT(position(ui.Command1), position(ui.cmdExit));
    EXPECT_LT(position(ui.cmdExit), position(ui.cmdNext));
    EXPECT_LT(position(ui.cmdNext), position(ui.txtAnswer));
    EXPECT_LT(position(ui.Label6), position(ui.Command1));
    EXPECT_LT(position(ui.Label6), position(ui.lblMessage));
    EXPECT_LT(position(ui.lblScore), position(ui.Image1));
    EXPECT_LT(position(ui.Image1), position(ui.lblScore1));
    EXPECT_LT(position(ui.lblScore1), position(ui.Label11));
    // Command1 is wholly hidden by cmdNext.
    const QPoint centre = ui.Command1->geometry().center();
    EXPECT_EQ(ui.surface->childAt(centre), ui.cmdNext);
}

TEST(WindowDesign, PicturesAndCursors)
{
    const QCursor hand = pictures::handCursor();
    EXPECT_EQ(hand.hotSpot(), QPoint(5, 0));
    EXPECT_EQ(hand.bitmap().size(), QSize(32, 32));
    EXPECT_EQ(hand.mask().size(), QSize(32, 32));
    // The fingertip is the hot spot: drawn, and alone on the top row.
    const QImage mask = hand.mask().toImage();
    EXPECT_EQ(mask.pixelIndex(5, 0), 1);
    for (int x = 0; x < 32; ++x) {
        if (x != 5) {
            EXPECT_EQ(mask.pixelIndex(x, 0), 0) << x;
        }
    }

    const QIcon icon = pictures::windowIcon();
    QList<int> sides;
    for (const QSize &size : icon.availableSizes())
        sides << size.width();
    std::sort(sides.begin(), sides.end());
    EXPECT_EQ(sides, (QList<int>{16, 22, 32, 48, 64, 128, 256}));
    EXPECT_NE(pictures::pixmap(pictures::Picture::NextNormal).toImage(), pictures::pixmap(pictures::Picture::NextPressed).toImage());
    EXPECT_NE(pictures::pixmap(pictures::Picture::NextNormal).toImage(), pictures::pixmap(pictures::Picture::NextDisabled).toImage());

    Created created;
    EXPECT_EQ(created.ui.surface->cursor().hotSpot(), QPoint(5, 0));
    EXPECT_EQ(created.ui.cmdNext->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(created.ui.lblMessage->cursor().shape(), Qt::ArrowCursor);
    // Labels show the window's own cursor.
    EXPECT_EQ(created.ui.lblScore->cursor().shape(), Qt::BitmapCursor);
}

TEST(WindowDesign, DisabledLookAndMnemonics)
{
    Created created;
    PictureButton *next = created.ui.cmdNext;
    const QImage disabledLook = next->currentPicture().toImage();
    next->setEnabled(true);
    EXPECT_NE(next->currentPicture().toImage(), disabledLook);
    EXPECT_EQ(next->shortcut(), QKeySequence(Qt::ALT | Qt::Key_N));
    EXPECT_EQ(created.ui.cmdExit->shortcut(), QKeySequence(Qt::ALT | Qt::Key_X));
}

TEST(WindowMenu, ThreeTitlesOfOneItemEach)
{
    Game game(Game::End::Records);
    game.start();
    const QList<QAction *> titles = game.window->menuBar()->actions();
    ASSERT_EQ(titles.size(), 3);
    const char *names[] = {"INFOMAZIONI", "Ciao", "Next"};
    const char *items[] = {"Istituto", "copy", "o"};
    for (int i = 0; i < 3; ++i) {
        QMenu *menu = titles[i]->menu();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->objectName(), QLatin1String(names[i]));
        ASSERT_EQ(menu->actions().size(), 1);
        EXPECT_EQ(menu->actions()[0]->objectName(), QLatin1String(items[i]));
        EXPECT_FALSE(menu->actions()[0]->text().isEmpty());
    }
    EXPECT_EQ(titles[2]->text(), "NUOVO GIOCO");
    game.window->hide();
}

// A title reached from the keyboard (Alt, then the arrows) is highlighted
// although its list is shut.
TEST(WindowMenu, KeyboardSelectedTitleIsHighlighted)
{
    Game game;
    Tavola &window = game.start();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QMenuBar *bar = window.menuBar();
    const QColor highlight = bar->palette().color(QPalette::Highlight);
    const auto highlighted = [&](int title) {
        const QRect rect = bar->actionGeometry(bar->actions()[title]);
        return bar->grab(rect).toImage().pixelColor(rect.width() / 2, rect.height() - 4) == highlight;
    };
    EXPECT_FALSE(highlighted(1));
    QTest::keyClick(bar, Qt::Key_Alt);
    ASSERT_TRUE(bar->hasFocus()) << "Alt takes the keyboard to the menu bar";
    QTest::keyClick(bar, Qt::Key_Right);
    EXPECT_FALSE(highlighted(0));
    EXPECT_TRUE(highlighted(1));
    QTest::keyClick(bar, Qt::Key_Escape);
    window.hide();
}

// Only the four focusable controls take the focus, Tab visiting them in
// design order and skipping cmdNext while it is disabled.
TEST(WindowFocus, TabVisitsTheFocusableControlsInOrder)
{
    Game game(Game::End::Records);
    Tavola &window = game.start();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const Controls &ui = game.ui();
    ASSERT_EQ(QApplication::focusWidget(), ui.txtAnswer);

    const auto tabs = [](int count) {
        QStringList visited;
        for (int i = 0; i < count; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        return visited;
    };
    EXPECT_EQ(tabs(4), (QStringList{"Command1", "cmdExit", "txtAnswer", "Command1"}));
    ui.cmdNext->setEnabled(true);
    EXPECT_EQ(tabs(4), (QStringList{"cmdExit", "cmdNext", "txtAnswer", "Command1"}));
    window.hide();
}

// The window as a player sees it after start-up, saved for a look by eye.
TEST(WindowLook, GradientBehindTheControlsAndScreenshot)
{
    Game game(Game::End::Records);
    Tavola &window = game.start();
    const QImage background = game.ui().surface->background();
    ASSERT_EQ(background.size(), QSize(792, 554));
    // Default draws: red level -5, green level -3.
    EXPECT_EQ(background.pixelColor(0, 0), QColor(100, 60, 0));
    EXPECT_EQ(background.pixelColor(791, 1), QColor(100, 60, 0));
    EXPECT_EQ(background.pixelColor(400, 553), QColor(100, 60, 255));
    EXPECT_EQ(background.pixelColor(400, 277), QColor(100, 60, 128));

    const QImage shot = window.grab().toImage();
    EXPECT_EQ(shot.pixelColor(window.centralWidget()->mapTo(&window, QPoint(700, 3))), QColor(100, 60, 1))
        << "transparent labels and bare surface show the gradient";
    // For a look at it; no test leaves a file behind unasked.
    if (const QString dir = qEnvironmentVariable("QUOZZOLO_SHOTS"); !dir.isEmpty()) {
        EXPECT_TRUE(shot.save(QDir(dir).absoluteFilePath(QStringLiteral("tavola.png"))));
    }
    window.hide();
}

// Run at a scale of 1.25: the framed count labels stand on half pixels there,
// and rounding must not eat the right or bottom edge of their frames.
TEST(FractionalScale, CountFramesAreWhole)
{
    Game game(Game::End::Records);
    Tavola &window = game.start();
    game.answer(QStringLiteral("1234"));
    const QImage shot = window.grab().toImage();
    const qreal scale = shot.devicePixelRatio();
    ASSERT_EQ(scale, 1.25);
    const Controls &ui = game.ui();
    for (Label *label : {ui.lblScore, ui.lblScore1, ui.lblScore2}) {
        const QRect frame = label->frameRect().translated(label->mapTo(&window, QPoint()));
        const QColor ink = label->palette().color(QPalette::WindowText);
        // Frame pixels in a band two device pixels wide along each edge, ten long.
        const auto inked = [&](QRect band) {
            int count = 0;
            for (int y = band.top(); y <= band.bottom(); ++y)
                for (int x = band.left(); x <= band.right(); ++x)
                    count += shot.pixelColor(x, y) == ink;
            return count;
        };
        const QPoint middle = frame.center() * scale;
        const int right = int(frame.right() * scale + 0.5), bottom = int(frame.bottom() * scale + 0.5);
        EXPECT_GE(inked(QRect(right, middle.y() - 5, 2, 10)), 10) << label->objectName().toStdString() << ": right edge";
        EXPECT_GE(inked(QRect(middle.x() - 5, bottom, 10, 2)), 10) << label->objectName().toStdString() << ": bottom edge";
    }
    window.hide();
}
