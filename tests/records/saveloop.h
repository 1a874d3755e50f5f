#pragma once

#include <QString>

// What the kill test's victim does: start up as a game does (recovering what
// an earlier kill left), then save 1, 2, 3... above the stored best ("N" by
// "NomeN") until killed, writing each N and a newline to fd once saved.
// Returns only on a failure, with its message.
QString saveUntilKilled(const QString &dir, int fd);
