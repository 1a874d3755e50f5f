// The real executable, started the way a terminal or a session without a
// display starts it. None of these cases may need a display.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int exitCode = -1;
    QProcess::ExitStatus status = QProcess::CrashExit;
    QString out;
    QString err;
};

// An environment with no display of any kind and a record folder of its own.
QProcessEnvironment noDisplay(const QTemporaryDir &records)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("XDG_DATA_HOME"), records.path());
    return env;
}

// QString::startsWith is false for an empty start on a null text.
bool beginsWith(const QString &text, const char *start)
{
    const QString head = QString::fromUtf8(start);
    return text.left(head.size()) == head;
}

Outcome run(const QStringList &arguments, const QProcessEnvironment &env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(QUOZZOLO_EXECUTABLE), arguments);
    EXPECT_TRUE(process.waitForFinished(30000)) << "still running";
    return {process.exitCode(), process.exitStatus(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

TEST(Executable, AnswersTheCommandLineWithoutADisplay)
{
    QTemporaryDir records;
    struct Row { QStringList arguments; int exitCode; const char *out; const char *err; };
    const Row rows[] = {
        {{"--help"}, 0, "Utilizzo: ", ""},
        {{"--version"}, 0, "Quozzolo 1.0\n", ""},
        {{"--nonsense"}, 1, "", "quozzolo: Opzione sconosciuta 'nonsense'.\n\nUtilizzo: "},
        {{"--help", "-platform", "xcb"}, 0, "Utilizzo: ", ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.arguments.join(u' ').toStdString());
        const Outcome result = run(row.arguments, noDisplay(records));
        EXPECT_EQ(result.status, QProcess::NormalExit);
        EXPECT_EQ(result.exitCode, row.exitCode);
        EXPECT_TRUE(beginsWith(result.out, row.out)) << result.out.toStdString();
        EXPECT_TRUE(beginsWith(result.err, row.err)) << result.err.toStdString();
        EXPECT_EQ(result.out.isEmpty(), !*row.out);
        EXPECT_EQ(result.err.isEmpty(), !*row.err);
    }
    // The guide names the program as it was started, and lists both options.
    const QString help = run({"--help"}, noDisplay(records)).out;
    EXPECT_TRUE(help.contains(u"quozzolo [opzioni]")) << help.toStdString();
    EXPECT_TRUE(help.contains(u"--version")) << help.toStdString();
    EXPECT_TRUE(run({"--nonsense"}, noDisplay(records)).err.contains(u"Mostra questa guida alle opzioni."));
}

TEST(Executable, WithoutADisplayEndsWithOneLineAndCodeOne)
{
    QTemporaryDir records;
    struct Row { const char *display; QStringList arguments; const char *line; };
    // A display nobody serves: no socket for it on this machine.
    ASSERT_FALSE(QFile::exists(QStringLiteral("/tmp/.X11-unix/X987")));
    const Row rows[] = {
        {nullptr, {}, "quozzolo: manca lo schermo (la variabile DISPLAY non è impostata)"},
        {":987", {}, "quozzolo: non riesco ad aprire lo schermo \":987\""},
        {nullptr, {"-display", ":987"}, "quozzolo: non riesco ad aprire lo schermo \":987\""},
        {nullptr, {"-platform", "nessuna"}, "quozzolo: non riesco ad avviare la piattaforma grafica \"nessuna\""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.display ? row.display : "(no DISPLAY)");
        QProcessEnvironment env = noDisplay(records);
        if (row.display)
            env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(row.display));
        const Outcome result = run(row.arguments, env);
        EXPECT_EQ(result.status, QProcess::NormalExit); // not Qt's abort
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, QString());
        EXPECT_EQ(result.err, QString::fromUtf8(row.line) + QStringLiteral("; il gioco ha bisogno di una sessione grafica del desktop.\n"));
    }
    // Nothing was written before the window system was asked for.
    EXPECT_TRUE(QDir(records.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot));
}

TEST(Executable, StartsOnTheOffscreenPlatform)
{
    QTemporaryDir records;
    QProcessEnvironment env = noDisplay(records);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(QUOZZOLO_EXECUTABLE), QStringList());
    ASSERT_TRUE(process.waitForStarted());
    // The game waits in its name box; it must still be there.
    EXPECT_FALSE(process.waitForFinished(2000)) << process.readAllStandardError().toStdString();
    EXPECT_EQ(process.state(), QProcess::Running);
    process.kill();
    process.waitForFinished();
    EXPECT_FALSE(process.readAllStandardError().contains("schermo"));
}
