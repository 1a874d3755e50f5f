#pragma once

#include <QLibraryInfo>
#include <QString>

class QCoreApplication;

// Qt's own strings in Italian whatever the system language, since everything
// else the game shows is Italian.

// The few a player meets (the text boxes' right-click menu, the boxes'
// buttons, the command line's help and errors), from the game's own
// translation: they are Italian even where Qt's is not installed.
void installOwnItalian(QCoreApplication &app);

// Qt's whole Italian translation from folder, on top of the game's own.
// Returns false when it is not there.
bool installQtItalian(QCoreApplication &app,
                      const QString &folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath));
