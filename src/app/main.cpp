#include "controls.h"
#include "dialogs.h"
#include "randomsource.h"
#include "recordstore.h"
#include "tavola.h"

#include <QApplication>
#include <QDate>
#include <QLocale>
#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Quozzolo"));
    // Start-up boxes stand alone before the window shows, and a new game
    // hides the window while it asks the name again: neither ends the program.
    app.setQuitOnLastWindowClosed(false);
    installFontSubstitutes();

    QtDialogs dialogs;
    ClockRandomSource random;
    Tavola window({
        dialogs,
        random,
        records::systemDirectory,
        [] { return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat); },
        // The end of the program is immediate: nothing that waited in a
        // modal box when the exit began may run after it.
        [] {
            std::fflush(nullptr);
            std::_Exit(EXIT_SUCCESS);
        },
    });
    window.start();
    return app.exec();
}
