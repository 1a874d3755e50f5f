#pragma once

#include "fileio.h"

#include <QString>

// The Italian texts the player is told when a record file fails, each
// naming the file and what went wrong.
namespace records::errortext {

// "<what> <path>: <why>", the path in the system's own separators.
QString failure(const char *what, const QString &path, const QString &why);

QString reason(const IoError &err);
QString kindReason(Kind kind);

QString noDirectory();
QString busy();
QString readOnlyFolder();
QString writeProtected();
QString notANumber(const QString &score);
QString unknownJournal();

} // namespace records::errortext
