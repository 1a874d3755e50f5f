#include "countdown.h"

#include "numbertext.h"

Countdown::Tick Countdown::tick()
{
    if (secondsLeft() == 0)
        return Tick::TimeUp;
    // Borrow through 60 so that the decrement below lands on 59. The clock
    // starts below an hour, so time left at 0 seconds is a whole minute.
    if (clockSeconds == 0) {
        clockMinutes = int16::sub(clockMinutes, 1).value_or(0);
        clockSeconds = 60;
    }
    clockSeconds -= 1;
    return Tick::Counted;
}

int Countdown::secondsLeft() const
{
    return clockHours * 3600 + clockMinutes * 60 + static_cast<int>(clockSeconds);
}

QString Countdown::text() const
{
    using numbertext::format, numbertext::Picture;
    return format(clockHours, Picture::TwoDigits) + u':' + format(clockMinutes, Picture::TwoDigits) + u':'
        + format(static_cast<long long>(clockSeconds), Picture::TwoDigits);
}
