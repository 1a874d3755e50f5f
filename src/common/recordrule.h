#pragma once

#include <QString>

// The one rule that decides whether a score is a new record, shared by the
// game, which asks whether to save, and the record store, which asks again
// under its lock against what is on disk by then.
namespace recordrule {

// The stored best as the score file's whole text gives it: its leading
// number ("7abc" is 7, fractions kept), 0 when it starts with no number.
double storedBest(const QString &scoreFileText);

// Beaten when the stored best is below the score; equal is not beaten.
bool beaten(double storedBest, double score);

} // namespace recordrule
