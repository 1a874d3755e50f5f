// What runs before the game's window: the command line, the line printed
// when no display can be opened, and Qt's own strings in Italian. Everything
// here runs with the game's own translation only, as where Qt's is missing.
#include "commandline.h"
#include "displayguard.h"
#include "qttranslation.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct OwnItalian : ::testing::Environment
{
    void SetUp() override { installOwnItalian(*QCoreApplication::instance()); }
};
::testing::Environment *const ownItalian = ::testing::AddGlobalTestEnvironment(new OwnItalian);

struct CommandLineRow {
    QStringList arguments;
    std::optional<int> exitCode;
    const char *outStart;  // the start of what goes to stdout
    const char *errStart;  // the start of what goes to stderr
    const char *platform;
    const char *display;
};

// QString::startsWith is false for an empty start on a null text.
bool beginsWith(const QString &text, const char *start)
{
    const QString head = QString::fromUtf8(start);
    return text.left(head.size()) == head;
}

QStringList withProgram(QStringList arguments)
{
    arguments.prepend(QStringLiteral("quozzolo"));
    return arguments;
}

} // namespace

TEST(CommandLine, AnswersHelpVersionAndMistakesAndLetsQtOptionsThrough)
{
    QCoreApplication::setApplicationName(QStringLiteral("Quozzolo"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
    const CommandLineRow rows[] = {
        {{}, std::nullopt, "", "", "", ""},
        {{"--help"}, 0, "Utilizzo: ", "", "", ""},
        {{"-h"}, 0, "Utilizzo: ", "", "", ""},
        {{"--version"}, 0, "Quozzolo 1.0\n", "", "", ""},
        {{"-v"}, 0, "Quozzolo 1.0\n", "", "", ""},
        {{"--help", "--version"}, 0, "Utilizzo: ", "", "", ""},
        {{"--nonsense"}, 1, "", "quozzolo: Opzione sconosciuta 'nonsense'.\n\nUtilizzo: ", "", ""},
        // Letters of a word after one dash are not read as short options.
        {{"-hv"}, 1, "", "quozzolo: Opzione sconosciuta 'hv'.\n\nUtilizzo: ", "", ""},
        {{"partita"}, 1, "", "quozzolo: Argomento non previsto 'partita'.\n\nUtilizzo: ", "", ""},
        {{"-platform"}, 1, "", "quozzolo: Valore mancante dopo '-platform'.", "", ""},
        {{"-platform", "offscreen"}, std::nullopt, "", "", "offscreen", ""},
        {{"--platform=xcb", "-display", ":3"}, std::nullopt, "", "", "xcb", ":3"},
        {{"-style", "fusion", "-reverse", "-qwindowtitle", "Q", "-name", "q", "-sync"}, std::nullopt, "", "", "", ""},
        // A wrong option wins over a request for help.
        {{"--help", "--nonsense"}, 1, "", "quozzolo: Opzione sconosciuta 'nonsense'.", "", ""},
    };
    for (const CommandLineRow &row : rows) {
        SCOPED_TRACE(row.arguments.join(u' ').toStdString());
        const CommandLine commandLine(withProgram(row.arguments));
        EXPECT_EQ(commandLine.exitCode(), row.exitCode);
        EXPECT_TRUE(beginsWith(commandLine.standardOutput(), row.outStart))
            << commandLine.standardOutput().toStdString();
        EXPECT_TRUE(beginsWith(commandLine.standardError(), row.errStart))
            << commandLine.standardError().toStdString();
        EXPECT_EQ(commandLine.standardOutput().isEmpty(), QByteArray(row.outStart).isEmpty());
        EXPECT_EQ(commandLine.standardError().isEmpty(), QByteArray(row.errStart).isEmpty());
        EXPECT_EQ(commandLine.platform(), QLatin1String(row.platform));
        EXPECT_EQ(commandLine.display(), QLatin1String(row.display));
    }
}

TEST(CommandLine, HelpListsOnlyTheGamesOwnOptionsInItalian)
{
    const QString help = CommandLine(withProgram({"--help"})).standardOutput();
    EXPECT_TRUE(help.contains(u"-h, --help     Mostra questa guida alle opzioni.\n")) << help.toStdString();
    EXPECT_TRUE(help.contains(u"-v, --version  Mostra le informazioni sulla versione.\n")) << help.toStdString();
    EXPECT_TRUE(help.contains(u"Quozzolo, il gioco delle divisioni tra numeri interi con segno.")) << help.toStdString();
    EXPECT_FALSE(help.contains(u"platform"));
    EXPECT_FALSE(help.contains(u"Displays"));
    // The error path shows the same guide after the error.
    const QString error = CommandLine(withProgram({"--nonsense"})).standardError();
    EXPECT_TRUE(error.endsWith(help)) << error.toStdString();
}

TEST(DisplayGuard, SaysWhatIsMissingInOneLine)
{
    struct Row { const char *platform, *display, *wayland, *line; };
    const Row rows[] = {
        {"", "", "", "quozzolo: manca lo schermo (la variabile DISPLAY non è impostata)"},
        {"xcb", "", "", "quozzolo: manca lo schermo (la variabile DISPLAY non è impostata)"},
        {"", ":987", "", "quozzolo: non riesco ad aprire lo schermo \":987\""},
        {"xcb:nomitshm", ":1", "", "quozzolo: non riesco ad aprire lo schermo \":1\""},
        {"", ":987", "wayland-0", "quozzolo: non riesco ad aprire lo schermo \":987\""},
        {"", "", "wayland-0", "quozzolo: non riesco ad aprire lo schermo Wayland \"wayland-0\""},
        {"xcb", "", "wayland-0", "quozzolo: manca lo schermo (la variabile DISPLAY non è impostata)"},
        {"wayland;xcb", ":0", "", "quozzolo: non riesco ad avviare la piattaforma grafica \"wayland\""},
        {"eglfs", "", "", "quozzolo: non riesco ad avviare la piattaforma grafica \"eglfs\""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.platform + std::string(" / ") + row.display + " / " + row.wayland);
        const QString line = DisplayGuard::failureLine(QString::fromUtf8(row.platform), QString::fromUtf8(row.display),
                                                       QString::fromUtf8(row.wayland));
        EXPECT_EQ(line, QString::fromUtf8(row.line) + QStringLiteral("; il gioco ha bisogno di una sessione grafica del desktop."));
        EXPECT_FALSE(line.contains(u'\n'));
    }
}

TEST(DisplayGuard, HandsOnWhatQtSaidWhileTheApplicationWasBuilt)
{
    static QStringList seen;
    seen.clear();
    const QtMessageHandler before = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &context, const QString &text) {
            seen.append(QString::fromLatin1(context.category) + QStringLiteral(": ") + text);
        });
    {
        DisplayGuard guard{QString(), QString()};
        qWarning("held back");
        EXPECT_TRUE(seen.isEmpty());
        guard.release();
        EXPECT_EQ(seen, QStringList{"default: held back"});
        qWarning("after");
    }
    qInstallMessageHandler(before);
    EXPECT_EQ(seen, (QStringList{"default: held back", "default: after"}));
}

// Qt's translation comes on top where it is installed; where it is not, the
// loader says so.
TEST(QtItalian, LoadedFromQtsFolderWhenItIsThere)
{
    const QTemporaryDir empty;
    EXPECT_FALSE(installQtItalian(*QCoreApplication::instance(), empty.path()));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Open"), "Open");
#ifdef Q_OS_WIN
    GTEST_SKIP() << "Qt for Windows is built here without its translations: the game's own are all it has";
#endif
    ASSERT_TRUE(installQtItalian(*QCoreApplication::instance())) << "bash scripts/test.sh installs qt6-translations-l10n";
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Open"), "Apri");
}
