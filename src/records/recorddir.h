#pragma once

#include <QString>

// Where the record files live.
namespace records {

// The record directory, with one trailing separator; empty when there is no
// usable one (the game is then played without a record). On Windows the
// choice of windowsRecordDirectory(); elsewhere the machine-wide directory
// chosen at build time when it exists and is writable, else the player's own.
QString systemDirectory();

// The choice on Windows, where a standard user may not write to the Windows
// directory: windowsDir while it already holds a record the player can
// rewrite (older installations keep it there); else machineWide (the
// installer's folder under %ProgramData%, open to every player of the PC)
// when it exists and the player may write to it; else own (under the
// player's %APPDATA%), made when missing. Only absolute folders count.
QString windowsRecordDirectory(const QString &windowsDir, const QString &machineWide, const QString &own);

// Whether a file can be made in dir right now: tried, not guessed from
// attributes, since Windows decides by access lists.
bool canCreateIn(const QString &dir);

// The choice systemDirectory() makes, from its inputs: shared (may be empty),
// then $XDG_DATA_HOME/quozzolo when that is absolute, then
// home/.local/share/quozzolo when home is an existing folder other than the
// root. The per-user folder is created when missing.
QString recordDirectory(const QString &shared, const QString &xdgDataHome, const QString &home);

// The directory a GetWindowsDirectoryA-style query gave: the first count
// characters of buffer with one trailing "\" added only when missing. A failed
// query (count 0) or a path of 128 characters or more gives fallback instead.
QString directoryFromQuery(const char *buffer, unsigned count, const QString &fallback);

// dir with exactly one trailing separator ("/" or "\", whichever dir uses;
// "/" when none). The empty dir, "no record directory", stays empty.
QString withTrailingSeparator(const QString &dir);

} // namespace records
