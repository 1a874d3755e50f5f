#pragma once

#include "fileio.h"

#include <QString>

// The Italian texts the player is told when a record file fails, each
// naming the file and what went wrong. Every such text lives here.
namespace records::errortext {

// What could not be done to a file.
enum class Action { Open, Read, Write, Create, Use, Restore, Remove, Complete, MoveAside };

// "Impossibile <action> il file <path>: <why>", the path in the system's
// own separators.
QString failure(Action action, const QString &path, const QString &why);

QString reason(const IoError &err);

QString noDirectory();
QString busy();
QString readOnlyFolder();
QString writeProtected();
QString unknownJournal();
// A save that failed, and the undo that failed after it: the next start-up
// puts the old record back.
QString undoLeftToNextStart(const QString &saveFailure, const QString &undoFailure);
// Two failures of one operation, in order.
QString both(const QString &first, const QString &second);
// Told once: a journal this release cannot read, kept under another name.
QString journalSetAside(const QString &from, const QString &to);

} // namespace records::errortext
