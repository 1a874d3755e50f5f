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

QString verdict(const QString &message, const QString &rightShown, const QString &totalShown)
{
    // A praise ends in its own stop; the wrong answer's verdict ends in a number.
    const bool stopped = message.endsWith(u'!') || message.endsWith(u'.');
    return message + (stopped ? QStringLiteral(" ") : QStringLiteral(". "))
        + QStringLiteral("Risposte esatte %1 su %2").arg(rightShown, totalShown);
}

std::optional<QString> timeCall(int secondsLeft)
{
    switch (secondsLeft) {
    case 600: return QStringLiteral("Restano 10 minuti");
    case 300: return QStringLiteral("Restano 5 minuti");
    case 60: return QStringLiteral("Resta 1 minuto");
    default: return std::nullopt;
    }
}

} // namespace spoken
