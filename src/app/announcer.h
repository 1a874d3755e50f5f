#pragma once

#include <QWidget>

class QLineEdit;

// Tells a screen reader something without moving the focus or showing
// anything. Qt 6.4 has no announcement call; Orca speaks an object in the
// notification role when it reports itself shown, so the announcer is such
// an object, never really shown, that reports "shown" with each message.
class Announcer : public QWidget
{
    Q_OBJECT
public:
    explicit Announcer(QWidget *window);

    void announce(const QString &message);

    // Empties box without telling a screen reader. Orca takes the caret
    // event of the emptying as the focus arriving in the box, and then drops
    // the real focus event that would speak the box's new name.
    static void clearUnheard(QLineEdit *box);
};
