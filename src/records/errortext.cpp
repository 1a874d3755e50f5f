#include "errortext.h"

#include <QDir>

namespace records::errortext {

QString failure(const char *what, const QString &path, const QString &why)
{
    return QStringLiteral("%1 %2: %3").arg(QLatin1String(what), QDir::toNativeSeparators(path), why);
}

QString reason(const IoError &err)
{
    switch (err.kind) {
    case ErrorKind::NotFound:
        return QStringLiteral("il file non esiste");
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
        return kindReason(Kind::Other);
    case ErrorKind::Cancelled:
        return QStringLiteral("operazione interrotta");
    case ErrorKind::None:
    case ErrorKind::Other:
        break;
    }
    return QStringLiteral("errore di sistema %1 (%2)").arg(err.code).arg(systemMessage(err.code));
}

QString kindReason(Kind kind)
{
    switch (kind) {
    case Kind::Missing:
        return reason({ErrorKind::NotFound, 0});
    case Kind::Folder:
        return reason({ErrorKind::IsFolder, 0});
    case Kind::Other:
        return QStringLiteral("non è un file normale (forse un dispositivo o una FIFO)");
    case Kind::LinkToRegular:
        return QStringLiteral("è un collegamento simbolico, che il gioco non sostituisce");
    case Kind::LinkToNonRegular:
        return QStringLiteral("è un collegamento simbolico a qualcosa che non è un file normale");
    case Kind::Regular:
        break;
    }
    return QString();
}

QString noDirectory()
{
    return QStringLiteral("Non c'è una cartella dove tenere il record: si gioca senza record.");
}

QString busy() { return QStringLiteral("un'altra partita lo sta usando da troppo tempo"); }

QString readOnlyFolder() { return QStringLiteral("la cartella non è scrivibile"); }

QString writeProtected() { return QStringLiteral("il file è protetto dalla scrittura"); }

QString notANumber(const QString &score) { return QStringLiteral("il punteggio \"%1\" non è un numero").arg(score); }

QString unknownJournal()
{
    return QStringLiteral("non è un giornale che questa versione del gioco sappia leggere; il record resta com'è");
}

} // namespace records::errortext
