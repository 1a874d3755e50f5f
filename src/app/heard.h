#pragma once

#include <QString>
#include <optional>

// What a player who listens is told beyond what the controls' names say.
namespace heard {

// The verdict with the counts as the labels show them, as
// "Sbagliato!! 7. Risposte esatte 1 su 2".
QString verdict(const QString &message, const QString &rightShown, const QString &totalShown);

// What the clock says aloud at secondsLeft: only at 10, 5 and 1 minute left.
std::optional<QString> timeCall(int secondsLeft);

// Said as the time runs out, before the goodbye.
inline const QString timeUp = QStringLiteral("Tempo scaduto");

} // namespace heard
