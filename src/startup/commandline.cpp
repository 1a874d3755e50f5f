#include "commandline.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

// The options QGuiApplication, QApplication and the xcb platform take out of
// argv. They are not ours, but they must not read as unknown here.
const char *const qtValueOptions[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "display", "name",
    "geometry", "qwindowgeometry", "title", "qwindowtitle", "icon", "qwindowicon",
    "style", "stylesheet", "session", "qmljsdebugger",
};
const char *const qtFlagOptions[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

QCommandLineOption hidden(const QString &name, bool takesValue)
{
    QCommandLineOption option(name);
    if (takesValue)
        option.setValueName(name);
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}

} // namespace

CommandLine::CommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    // Qt's own options are written with one dash ("-platform offscreen"):
    // read them as words, not as bundles of letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "Quozzolo, il gioco delle divisioni tra numeri interi con segno.\n"
        "Senza opzioni apre la finestra del gioco, che chiede il nome del giocatore."));
    // Qt's Italian translation leaves the help option's text in English.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Mostra questa guida alle opzioni."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    for (const char *name : qtValueOptions)
        parser.addOption(hidden(QString::fromLatin1(name), true));
    for (const char *name : qtFlagOptions)
        parser.addOption(hidden(QString::fromLatin1(name), false));

    const bool parsed = parser.parse(arguments);
    QString error = parsed ? QString() : parser.errorText();
    if (parsed && !parser.positionalArguments().isEmpty())
        error = QStringLiteral("Argomento non previsto '%1'.").arg(parser.positionalArguments().constFirst());

    if (!error.isEmpty()) {
        err = QStringLiteral("quozzolo: ") + error + QStringLiteral("\n\n") + parser.helpText();
        code = 1;
    } else if (parser.isSet(help)) {
        out = parser.helpText();
        code = 0;
    } else if (parser.isSet(version)) {
        out = QCoreApplication::applicationName() + u' ' + QCoreApplication::applicationVersion() + u'\n';
        code = 0;
    } else {
        platformName = parser.value(QStringLiteral("platform"));
        displayName = parser.value(QStringLiteral("display"));
    }
}
