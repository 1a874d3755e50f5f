#pragma once

#include "int16.h"

#include <QString>

// The fifteen-minute clock of a game. It counts ticks, never the time of
// day: each tick takes one second off however late it comes.
class Countdown
{
public:
    enum class Tick {
        Counted, // one second taken off
        TimeUp,  // the clock already stood at zero: the game must end
    };

    // A tick at zero ends the game, so zero shows for one whole interval.
    Tick tick();

    int secondsLeft() const;

    // hh:mm:ss, each field at least two digits.
    QString text() const;

private:
    int16::Value clockHours = 0;
    int16::Value clockMinutes = 15;
    float clockSeconds = 0; // whole numbers only
};
