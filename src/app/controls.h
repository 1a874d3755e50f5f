#pragma once

#include <QFont>

class AnswerBox;
class Label;
class PictureButton;
class QLabel;
class QPushButton;
class QTimer;
class Surface;

// The window's controls in their initial state, all children of one surface.
// Destroying the surface destroys them all (and stops Timer1 with them), which
// is how the window unloads; creating a new one loads it again.
struct Controls
{
    Surface *surface = nullptr;         // the client area, with the gradient behind everything
    QTimer *Timer1 = nullptr;           // the clock's one-second tick
    AnswerBox *txtAnswer = nullptr;     // where the player types the quotient
    PictureButton *cmdNext = nullptr;   // "Nuovo calcolo": the next problem
    PictureButton *cmdExit = nullptr;   // "Exit": the goodbye and the record's save
    QPushButton *Command1 = nullptr;    // hidden under the surface, only a Tab stop
    Label *Label11 = nullptr;           // "Tempo restante"
    Label *lblconto = nullptr;          // the time left, hh:mm:ss
    Label *Label14 = nullptr;           // "Sfidante"
    Label *Label13 = nullptr;           // "con punti"
    Label *lblpunti = nullptr;          // the stored best, its file's whole text
    Label *Label12 = nullptr;           // "Il record  è di "
    Label *lblnome1 = nullptr;          // the player's name
    Label *lblnome = nullptr;           // the stored best's holder, its file's whole text
    Label *lblnum5 = nullptr;           // never shown
    Label *Label7 = nullptr;            // ")" after the divisor
    Label *Label5 = nullptr;            // "(" before the divisor
    Label *Label3 = nullptr;            // "Risposte totali"
    Label *Label1 = nullptr;            // "Risposte errate"
    Label *lblScore2 = nullptr;         // the total of answers
    Label *lblScore1 = nullptr;         // the wrong answers
    QLabel *Image1 = nullptr;           // the stopwatch
    Label *lblTime = nullptr;           // empty; only its tooltip shows
    Label *lblNum2 = nullptr;           // the divisor
    Label *Label4 = nullptr;            // "="
    Label *Label2 = nullptr;            // ":"
    Label *lblNum1 = nullptr;           // the dividend
    Label *lblScore = nullptr;          // the right answers
    Label *lblMessage = nullptr;        // the verdict
    Label *Label6 = nullptr;            // "Risposte esatte"

    static Controls create(QWidget *window);
};

// Twips, the unit of the window's layout: 15 to a pixel.
constexpr int twips(int value) { return value / 15; }

// A font of the window's design; sizes in points become pixels at 96 dpi so
// that text fits the fixed pixel layout on any screen.
QFont designFont(const QString &family, double points, bool bold = false, bool italic = false);

// Liberation fonts stand in for the Windows ones where those are missing.
void installFontSubstitutes();
