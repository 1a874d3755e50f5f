#include "appinfo.h"
#include "commandline.h"
#include "controls.h"
#include "dialogs.h"
#include "displayguard.h"
#include "pictures.h"
#include "qttranslation.h"
#include "randomsource.h"
#include "recorddir.h"
#include "storerecordbook.h"
#include "tavola.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDate>
#include <QLocale>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("Quozzolo"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(appinfo::version));

    // --help, --version and a wrong option are answered before any window
    // system is needed, so they work without a display. Without arguments
    // there is nothing to answer.
    QString platform, display;
    if (argc > 1) {
        QCoreApplication early(argc, argv);
        installOwnItalian(early);
        installQtItalian(early);
        const CommandLine commandLine(early.arguments());
        if (const std::optional<int> code = commandLine.exitCode()) {
            std::fputs(commandLine.standardOutput().toLocal8Bit().constData(), stdout);
            std::fputs(commandLine.standardError().toLocal8Bit().constData(), stderr);
            return *code;
        }
        platform = commandLine.platform();
        display = commandLine.display();
    }

    DisplayGuard guard(platform, display);
    QApplication app(argc, argv);
    guard.release();
    QGuiApplication::setDesktopFileName(QString::fromLatin1(appinfo::id));
    // The name box needs only the game's own few Qt strings, compiled in;
    // Qt's whole translation and the icon in all its sizes come as soon as it
    // shows.
    installOwnItalian(app);
    QTimer::singleShot(0, &app, [&app] {
        installQtItalian(app);
        QApplication::setWindowIcon(pictures::windowIcon());
    });
    // Start-up boxes stand alone before the window shows, and a new game
    // hides the window while it asks the name again: neither ends the program.
    app.setQuitOnLastWindowClosed(false);
    QApplication::setStyle(new BoxStyle);
    installFontSubstitutes();

    QtDialogs dialogs;
    ClockRandomSource random;
    StoreRecordBook recordBook(records::systemDirectory);
    Tavola window({
        dialogs,
        random,
        recordBook,
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
