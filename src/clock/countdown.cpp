#include "countdown.h"

#include "numbertext.h"

void Countdown::arm()
{
    clockHours = 0;
    clockMinutes = 15;
    clockSeconds = 0;
}

Countdown::Tick Countdown::tick(const QString &shownText)
{
    if (shownText == timeUpText)
        return Tick::TimeUp;
    // Borrow through 60 so that the decrement below lands on 59.
    if (clockSeconds == 0) {
        if (clockMinutes > 0) {
            clockMinutes = int16::sub(clockMinutes, 1).value_or(0);
            clockSeconds = 60;
        } else if (clockHours > 0) {
            clockHours = int16::sub(clockHours, 1).value_or(0);
            clockMinutes = 59;
            clockSeconds = 60;
        }
    }
    // A label text that is not the clock's own (never the case in play)
    // must not drive the seconds below zero.
    if (clockSeconds > 0)
        clockSeconds -= 1;
    return Tick::Counted;
}

QString Countdown::text() const
{
    using numbertext::format, numbertext::Picture;
    return format(clockHours, Picture::TwoDigits) + u':' + format(clockMinutes, Picture::TwoDigits) + u':'
        + format(static_cast<long long>(clockSeconds), Picture::TwoDigits);
}
