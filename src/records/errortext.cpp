#include "errortext.h"

#include <QDir>

namespace records::errortext {

namespace {

QLatin1String verb(Action action)
{
    switch (action) {
    case Action::Open:
        return QLatin1String("aprire");
    case Action::Read:
        return QLatin1String("leggere");
    case Action::Write:
        return QLatin1String("scrivere");
    case Action::Create:
        return QLatin1String("creare");
    case Action::Use:
        return QLatin1String("usare");
    case Action::Restore:
        return QLatin1String("rimettere a posto");
    case Action::Remove:
        return QLatin1String("cancellare");
    case Action::Complete:
        return QLatin1String("completare");
    case Action::MoveAside:
        return QLatin1String("mettere da parte");
    }
    return QLatin1String("usare");
}

} // namespace

QString failure(Action action, const QString &path, const QString &why)
{
    return QStringLiteral("Impossibile %1 il file %2: %3").arg(verb(action), QDir::toNativeSeparators(path), why);
}

QString reason(const IoError &err)
{
    switch (err.kind) {
    case ErrorKind::NotFound:
        return QStringLiteral("il file non esiste");
    case ErrorKind::Exists:
        return QStringLiteral("al suo posto c'è già un altro file");
    case ErrorKind::Denied:
        return QStringLiteral("permesso negato");
    case ErrorKind::DiskFull:
        return QStringLiteral("spazio su disco esaurito");
    case ErrorKind::ReadOnlyDisk:
        return QStringLiteral("il disco è in sola lettura");
    case ErrorKind::IsFolder:
        return QStringLiteral("al suo posto c'è una cartella");
    case ErrorKind::NoFolder:
        return QStringLiteral("la cartella non esiste");
    case ErrorKind::DiskError:
        return QStringLiteral("errore del disco");
    case ErrorKind::TooBig:
        return QStringLiteral("il file è troppo grande");
    case ErrorKind::NotRegular:
        return QStringLiteral("non è un file normale (forse un dispositivo, una FIFO o un collegamento a nulla)");
    case ErrorKind::Link:
        return QStringLiteral("è un collegamento simbolico, che il gioco non sostituisce");
    case ErrorKind::OtherNames:
        return QStringLiteral("il file ha anche altri nomi (collegamenti fisici), e il gioco non lo copia");
    case ErrorKind::None:
    case ErrorKind::Other:
        break;
    }
    return QStringLiteral("errore di sistema %1 (%2)").arg(err.code).arg(systemMessage(err.code));
}

QString noDirectory()
{
    return QStringLiteral("Non c'è una cartella dove tenere il record: si gioca senza record.");
}

QString busy() { return QStringLiteral("un'altra partita lo sta usando da troppo tempo"); }

QString readOnlyFolder() { return QStringLiteral("la cartella non è scrivibile"); }

QString writeProtected() { return QStringLiteral("il file è protetto dalla scrittura"); }

QString unknownJournal()
{
    return QStringLiteral("non è un giornale che questa versione del gioco sappia leggere");
}

QString undoLeftToNextStart(const QString &saveFailure, const QString &undoFailure)
{
    return saveFailure + QStringLiteral("; il record precedente sarà rimesso a posto al prossimo avvio (") + undoFailure
           + u')';
}

QString both(const QString &first, const QString &second) { return first + QStringLiteral("; ") + second; }

QString journalSetAside(const QString &from, const QString &to)
{
    return QStringLiteral("Il file %1 non è un giornale che questa versione del gioco sappia leggere: è stato "
                          "spostato, così com'era, in %2. Il record resta com'è e si può salvare di nuovo.")
        .arg(QDir::toNativeSeparators(from), QDir::toNativeSeparators(to));
}

} // namespace records::errortext
