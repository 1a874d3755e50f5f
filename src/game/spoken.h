#pragma once

#include <QString>

// What a screen reader says for what the window shows as bare numbers and
// separate signs. The window gives these as accessible names.
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

} // namespace spoken
