#include "qttranslation.h"

#include <QCoreApplication>
#include <QTranslator>

namespace {
bool install(QCoreApplication &app, const QString &name, const QString &folder)
{
    auto *translator = new QTranslator(&app);
    if (!translator->load(name, folder) || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}
} // namespace

void installOwnItalian(QCoreApplication &app)
{
    // Compiled in: it cannot be missing.
    install(app, QStringLiteral("qt_it"), QStringLiteral(":/translations"));
}

bool installQtItalian(QCoreApplication &app, const QString &folder)
{
    return install(app, QStringLiteral("qtbase_it"), folder);
}
