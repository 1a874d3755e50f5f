#include "controls.h"

#include "answerbox.h"
#include "label.h"
#include "picturebutton.h"
#include "pictures.h"
#include "surface.h"

#include <QCursor>
#include <QTimer>
#include <cmath>

QFont designFont(const QString &family, double points, bool bold, bool italic)
{
    QFont font(family);
    font.setPixelSize(int(std::lround(points * 96.0 / 72.0)));
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(italic);
    return font;
}

void installFontSubstitutes()
{
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial Black"), {QStringLiteral("Liberation Sans")});
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"), {QStringLiteral("Liberation Serif")});
}

namespace {

constexpr QRgb noColour = 0;

struct LabelDesign
{
    Label *Controls::*member;
    const char *name;
    const char16_t *text;
    int left, top, width, height; // twips
    const char *family;
    double points;
    bool bold;
    QRgb textColour; // noColour: the system's text colour
    QRgb backColour; // noColour: transparent
    bool border, centred, autoSize;
    const char16_t *toolTip;
};

// Listed top of the stack first; labels all lie beneath the windowed controls.
const LabelDesign labelDesigns[] = {
    {&Controls::Label11, "Label11", u"Tempo restante", 360, 2040, 1575, 375, "MS Sans Serif", 9.75, false, 0xFFFF00, noColour, false, false, false, nullptr},
    {&Controls::lblconto, "lblconto", u"00.00.00", 360, 2520, 1575, 495, "Arial Black", 12, true, 0xFFFF00, noColour, true, false, false, nullptr},
    {&Controls::Label14, "Label14", u"Sfidante", 120, 6360, 1425, 420, "MS Sans Serif", 13.5, false, 0x008000, noColour, true, true, true, nullptr},
    {&Controls::Label13, "Label13", u"con punti", 8520, 7440, 1455, 435, "MS Sans Serif", 18, false, 0xC000C0, noColour, false, false, true, nullptr},
    {&Controls::lblpunti, "lblpunti", u"0", 10320, 7320, 270, 555, "MS Sans Serif", 24, false, 0xC000C0, noColour, false, false, true, nullptr},
    {&Controls::Label12, "Label12", u"Il record  è di ", 1080, 7440, 2295, 375, "MS Sans Serif", 18, false, 0xC000C0, noColour, false, false, false, nullptr},
    {&Controls::lblnome1, "lblnome1", u"", 240, 6960, 105, 360, "MS Sans Serif", 13.5, true, 0x008000, noColour, false, false, true, nullptr},
    {&Controls::lblnome, "lblnome", u"nome", 3480, 7440, 990, 435, "MS Sans Serif", 18, true, 0x0000FF, noColour, false, false, true, nullptr},
    {&Controls::lblnum5, "lblnum5", u"", 9600, 1560, 330, 1185, "Arial", 48, true, noColour, 0x00FFFF, true, false, true, nullptr},
    {&Controls::Label7, "Label7", u")", 6480, -120, 615, 1815, "Arial", 72, true, 0xFF0000, noColour, false, false, false, nullptr},
    {&Controls::Label5, "Label5", u"(", 4440, -120, 495, 1695, "Arial", 72, true, 0xFF0000, noColour, false, false, false, nullptr},
    {&Controls::Label3, "Label3", u"Risposte totali", 7440, 3360, 2340, 495, "MS Sans Serif", 18, false, 0x0000FF, noColour, true, false, true, nullptr},
    {&Controls::Label1, "Label1", u"Risposte errate", 3840, 3360, 2520, 495, "MS Sans Serif", 18, false, 0xFF0000, noColour, true, false, true, nullptr},
    {&Controls::lblScore2, "lblScore2", u"0", 8310, 4080, 555, 885, "Times New Roman", 36, true, 0x0000FF, noColour, true, true, true, nullptr},
    {&Controls::lblScore1, "lblScore1", u"0", 4830, 4080, 540, 885, "Times New Roman", 36, true, 0xFF0000, noColour, true, true, true, nullptr},
    // Image1 stands here in the stack.
    {&Controls::lblTime, "lblTime", u"", 8400, 1800, 90, 300, "MS Sans Serif", 12, true, noColour, noColour, false, false, true, u"Clicca sotto di me per attivare il Timer"},
    {&Controls::lblNum2, "lblNum2", u"", 5520, 240, 345, 1305, "Arial", 48, true, noColour, 0x00FFFF, true, true, true, nullptr},
    {&Controls::Label4, "Label4", u"=", 7920, 240, 615, 975, "Arial", 48, true, 0xFF0000, noColour, false, true, false, nullptr},
    {&Controls::Label2, "Label2", u":", 2880, 360, 615, 975, "Arial", 48, false, 0xFF0000, noColour, false, true, false, nullptr},
    {&Controls::lblNum1, "lblNum1", u"", 1080, 240, 345, 1305, "Arial", 48, true, noColour, 0x00FFFF, true, true, true, nullptr},
    {&Controls::lblScore, "lblScore", u"0", 1080, 4080, 555, 885, "Times New Roman", 36, true, 0x00FFFF, noColour, true, true, true, u"Questo è il tuo punteggio. Forza con il  record"},
    {&Controls::lblMessage, "lblMessage", u"", 1680, 2040, 9495, 615, "MS Sans Serif", 24, true, 0xFF0000, noColour, false, true, false, nullptr},
    {&Controls::Label6, "Label6", u"Risposte esatte", 240, 3360, 2565, 495, "MS Sans Serif", 18, false, 0x00C000, noColour, true, true, false, nullptr},
};
constexpr int image1Position = 15; // index in labelDesigns before which Image1 lies

QRect designRect(int left, int top, int width, int height)
{
    return {twips(left), twips(top), twips(width), twips(height)};
}

void place(QWidget *control, const char *name, const QRect &rect)
{
    control->setObjectName(QLatin1String(name));
    control->setGeometry(rect);
}

Label *makeLabel(QWidget *parent, const LabelDesign &d)
{
    auto *label = new Label(parent, d.autoSize);
    place(label, d.name, designRect(d.left, d.top, d.width, d.height));
    label->setFont(designFont(QLatin1String(d.family), d.points, d.bold, d.member == &Controls::lblMessage));
    QPalette palette = label->palette();
    if (d.textColour != noColour)
        palette.setColor(QPalette::WindowText, QColor::fromRgb(d.textColour));
    if (d.backColour != noColour) {
        palette.setColor(QPalette::Window, QColor::fromRgb(d.backColour));
        label->setAutoFillBackground(true);
    }
    label->setPalette(palette);
    if (d.border)
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setAlignment((d.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
    if (d.toolTip)
        label->setToolTip(QString::fromUtf16(d.toolTip));
    label->setCaption(QString::fromUtf16(d.text));
    // The design, not the caption, gives an auto-size label its first size.
    label->setGeometry(designRect(d.left, d.top, d.width, d.height));
    return label;
}

PictureButton *makePictureButton(QWidget *parent, const char *name, const QString &caption, QColor face, const QRect &rect)
{
    auto *button = new PictureButton(caption, face, parent);
    place(button, name, rect);
    button->setFont(designFont(QStringLiteral("MS Sans Serif"), 8.25, true));
    return button;
}

} // namespace

Controls Controls::create(QWidget *window)
{
    Controls c;
    c.surface = new Surface(window);
    c.surface->setObjectName(QStringLiteral("surface"));
    c.surface->setFixedSize(twips(11880), twips(8310));
    c.surface->setCursor(pictures::handCursor());

    c.Timer1 = new QTimer(c.surface);
    c.Timer1->setObjectName(QStringLiteral("Timer1"));
    c.Timer1->setInterval(1000);

    // Created bottom first: a later sibling lies on top of an earlier one.
    for (int i = int(std::size(labelDesigns)) - 1; i >= 0; --i) {
        c.*(labelDesigns[i].member) = makeLabel(c.surface, labelDesigns[i]);
        if (i == image1Position) {
            c.Image1 = new QLabel(c.surface);
            place(c.Image1, "Image1", designRect(2040, 2520, 480, 480));
            c.Image1->setPixmap(pictures::stopwatch());
            c.Image1->setToolTip(QStringLiteral("Clicca sotto di me per impostare il Timer"));
            c.Image1->setAccessibleName(QStringLiteral("Cronometro"));
        }
    }
    c.lblnum5->setVisible(false);
    c.lblScore->speakWithCaption(QStringLiteral("Risposte esatte"));
    c.lblScore1->speakWithCaption(QStringLiteral("Risposte errate"));
    c.lblScore2->speakWithCaption(QStringLiteral("Risposte totali"));
    c.lblMessage->setCursor(Qt::ArrowCursor);

    c.Command1 = new QPushButton(QStringLiteral("Command1"), c.surface);
    place(c.Command1, "Command1", designRect(3000, 5640, 855, 615));

    c.cmdExit = makePictureButton(c.surface, "cmdExit", QStringLiteral("E&xit"), QColor(0xC0, 0x00, 0xC0),
                                  designRect(7680, 5280, 1815, 1095));
    c.cmdExit->setPictures(pictures::exitSign());
    c.cmdExit->setToolTip(QStringLiteral("Ti prego resta ancora, forse riuscirai a farmi uscire "));

    c.cmdNext = makePictureButton(c.surface, "cmdNext", QStringLiteral("&Nuovo calcolo"), QColor(0x00, 0xFF, 0xFF),
                                  designRect(2520, 5280, 1815, 1095));
    c.cmdNext->setPictures(pictures::nextNormal(), pictures::nextPressed(), pictures::nextDisabled());
    c.cmdNext->setToolTip(QStringLiteral("Go"));
    c.cmdNext->setEnabled(false);

    c.txtAnswer = new AnswerBox(c.surface);
    place(c.txtAnswer, "txtAnswer", designRect(9240, 120, 2415, 1200));
    c.txtAnswer->setFont(designFont(QStringLiteral("Arial"), 48, true));
    c.txtAnswer->setMaxLength(4);
    QPalette answerPalette = c.txtAnswer->palette();
    answerPalette.setColor(QPalette::Base, QColor(0x00, 0xFF, 0xFF));
    c.txtAnswer->setPalette(answerPalette);
    c.txtAnswer->setToolTip(QStringLiteral("Inserisci il risultato e  premi il tasto  Invio"));
    c.txtAnswer->setAccessibleDescription(QStringLiteral("Scrivi il quoziente e premi Invio"));

    for (QPushButton *button : {static_cast<QPushButton *>(c.cmdExit), static_cast<QPushButton *>(c.cmdNext), c.Command1}) {
        // Enter or Space on a focused button clicks it, as on any dialog.
        button->setAutoDefault(true);
        // The window's own hand is for its surface; buttons show the arrow.
        button->setCursor(Qt::ArrowCursor);
    }
    QWidget::setTabOrder(c.cmdExit, c.cmdNext);
    QWidget::setTabOrder(c.cmdNext, c.txtAnswer);
    QWidget::setTabOrder(c.txtAnswer, c.Command1);

    // The timer of the design runs until start-up stops it.
    c.Timer1->start();
    return c;
}
