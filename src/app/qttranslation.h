#pragma once

class QCoreApplication;

// Loads Qt's own Italian strings (context menus, standard buttons, the
// command line's texts) whatever the system language, since everything else
// the game shows is Italian. Returns false when the translation is not
// installed; Qt then speaks English.
bool installQtItalian(QCoreApplication &app);
