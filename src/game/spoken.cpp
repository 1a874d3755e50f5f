#include "spoken.h"

namespace spoken {

namespace {
QString number(int value)
{
    return value < 0 ? QStringLiteral("meno %1").arg(-value) : QString::number(value);
}
} // namespace

QString division(int dividend, int divisor)
{
    return number(dividend) + QStringLiteral(" diviso ") + number(divisor);
}

QString count(const QString &caption, const QString &shownCount)
{
    return caption + QStringLiteral(": ") + shownCount;
}

QString timeLeft(int secondsLeft)
{
    const int minutes = (secondsLeft + 59) / 60;
    return QStringLiteral("Tempo restante: %1 %2").arg(minutes).arg(minutes == 1 ? QStringLiteral("minuto") : QStringLiteral("minuti"));
}

} // namespace spoken
