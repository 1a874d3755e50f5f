#include "answer.h"

#include "numbertext.h"
#include "randomsource.h"

#include <Qt>

#include <array>

KeyAction filterKey(int code)
{
    if (code == '-' || (code >= '0' && code <= '9') || code == keyBackspace)
        return KeyAction::Pass;
    if (code == keyEnter)
        return KeyAction::Judge;
    return KeyAction::Cancel;
}

std::optional<int> typedKeyCode(int qtKey, const QString &text)
{
    // Ctrl+Backspace types U+007F rather than a backspace: the filter cancels it.
    if (qtKey == Qt::Key_Backspace)
        return text.isEmpty() ? keyBackspace : int(text.at(0).unicode());
    if (qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter)
        return keyEnter;
    // Qt numbers the keys that have no character of their own from Key_Escape up.
    if (qtKey >= Qt::Key_Escape && qtKey <= Qt::Key_unknown)
        return std::nullopt;
    if (text.isEmpty())
        return std::nullopt;
    return text.at(0).unicode();
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
