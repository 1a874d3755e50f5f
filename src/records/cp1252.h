#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252, the single-byte code page of the record files, on every
// platform, so that files move between machines unchanged.
namespace cp1252 {

// One byte, one character.
QString decode(const QByteArray &bytes);

// One character, one byte; a character the code page cannot hold becomes "?"
// (a character outside the Basic Multilingual Plane gives a single "?").
QByteArray encode(const QString &text);

} // namespace cp1252
