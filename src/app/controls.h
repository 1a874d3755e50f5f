#pragma once

#include <QFont>
#include <QPointer>

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
    Surface *surface = nullptr;
    QTimer *Timer1 = nullptr;
    AnswerBox *txtAnswer = nullptr;
    PictureButton *cmdNext = nullptr;
    PictureButton *cmdExit = nullptr;
    QPushButton *Command1 = nullptr;
    Label *Label11 = nullptr, *lblconto = nullptr, *Label14 = nullptr, *Label13 = nullptr;
    Label *lblpunti = nullptr, *Label12 = nullptr, *lblnome1 = nullptr, *lblnome = nullptr;
    Label *lblnum5 = nullptr, *Label7 = nullptr, *Label5 = nullptr, *Label3 = nullptr, *Label1 = nullptr;
    Label *lblScore2 = nullptr, *lblScore1 = nullptr;
    QLabel *Image1 = nullptr;
    Label *lblTime = nullptr, *lblNum2 = nullptr, *Label4 = nullptr, *Label2 = nullptr, *lblNum1 = nullptr;
    Label *lblScore = nullptr, *lblMessage = nullptr, *Label6 = nullptr;

    static Controls create(QWidget *window);
};

// Twips, the unit of the window's layout: 15 to a pixel.
constexpr int twips(int value) { return value / 15; }

// A font of the window's design; sizes in points become pixels at 96 dpi so
// that text fits the fixed pixel layout on any screen.
QFont designFont(const QString &family, double points, bool bold = false, bool italic = false);

// Liberation fonts stand in for the Windows ones where those are missing.
void installFontSubstitutes();
