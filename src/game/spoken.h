#pragma once

#include <QString>
#include <optional>

// What a screen reader says: for what the window shows as bare numbers and
// separate signs (the window gives these as accessible names), and what a
// player who listens is told beyond that.
namespace spoken {

// "-20" and "-4" become "meno 20 diviso meno 4": the six labels of a
// division read as one phrase.
QString division(int dividend, int divisor);

// A count with its caption: "Risposte esatte: 3".
QString count(const QString &caption, const QString &shownCount);

// The time left in whole minutes, rounded up ("Tempo restante: 15 minuti"
// from 900 seconds down to 841), so that a screen reader that follows the
// clock's name hears it change once a minute, not every second.
QString timeLeft(int secondsLeft);

// The verdict with the counts as the labels show them, as
// "Sbagliato!! 7. Risposte esatte 1 su 2".
QString verdict(const QString &message, const QString &rightShown, const QString &totalShown);

// What the clock says aloud at secondsLeft: only at 10, 5 and 1 minute left.
std::optional<QString> timeCall(int secondsLeft);

// Said as the time runs out, before the goodbye.
inline const QString timeUp = QStringLiteral("Tempo scaduto");

} // namespace spoken
