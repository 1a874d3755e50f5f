#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The game's command line: --help and --version, answered before any window
// system is touched. Qt's own options (-platform, -display, -style, ...) are
// accepted and left for QApplication, which reads them from argv itself.
// Needs a QCoreApplication for Qt's translated texts.
class CommandLine
{
public:
    explicit CommandLine(const QStringList &arguments);

    // Empty when the game should start; otherwise print the texts and end
    // the program with this code.
    std::optional<int> exitCode() const { return code; }
    const QString &standardOutput() const { return out; }
    const QString &standardError() const { return err; }

    // Where the window would go, as given by -platform and -display (empty
    // when not given).
    const QString &platform() const { return platformName; }
    const QString &display() const { return displayName; }

private:
    std::optional<int> code;
    QString out;
    QString err;
    QString platformName;
    QString displayName;
};
