#pragma once

#include "int16.h"

#include <QString>

// The fifteen-minute clock of a game. It counts ticks, never the time of
// day: each tick takes one second off however late it comes.
class Countdown
{
public:
    static inline const QString timeUpText = QStringLiteral("00:00:00");

    enum class Tick {
        Counted, // one second taken off; text() is the new clock text
        TimeUp,  // the clock already read 00:00:00: the game must end
    };

    // Back to fifteen minutes.
    void arm();

    // shownText is what the clock label reads now: the end is decided on
    // what the player sees, not on the counters.
    Tick tick(const QString &shownText);

    // hh:mm:ss, each field at least two digits.
    QString text() const;

private:
    int16::Value clockHours = 0;
    int16::Value clockMinutes = 0;
    float clockSeconds = 0; // whole numbers only
};
