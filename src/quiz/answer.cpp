#include "answer.h"

#include "numbertext.h"
#include "randomsource.h"

#include <array>

KeyAction filterKey(int code)
{
    if (code == '-' || (code >= '0' && code <= '9') || code == keyBackspace)
        return KeyAction::Pass;
    if (code == keyEnter)
        return KeyAction::Judge;
    return KeyAction::Cancel;
}

std::optional<int16::Value> readAnswer(const QString &text)
{
    return int16::fromDouble(numbertext::leadingNumber(text));
}

QString praise(double r)
{
    static const std::array<QString, praiseCount> praises = {
        QStringLiteral("Esatto!"),
        QStringLiteral("Continua così!"),
        QStringLiteral("Esatto. Sei proprio in gamba!"),
        QStringLiteral("Ok.Un altro punto per il record!"),
    };
    return praises[randomInt(praiseCount, r)];
}

Verdict judge(const QString &text, int16::Value expected, Counts &counts, RandomSource &random)
{
    if (readAnswer(text) == expected) {
        counts.correctCount = int16::addSaturating(counts.correctCount, 1);
        return {true, praise(random.next())};
    }
    counts.wrongCount = int16::addSaturating(counts.wrongCount, 1);
    return {false, QStringLiteral("Sbagliato!! ") + numbertext::format(expected, numbertext::Picture::Plain)};
}
