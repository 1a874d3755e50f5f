// Start-up over arbitrary record files: arbitrary bytes as the score file,
// the holder file and the journal of a stopped save. Recovery and reading
// never crash or hang; what recovery puts back came from the journal as a
// pair; nothing but the two files and the lock is left, and a journal that
// does not read whole, set aside with its bytes and told, with the files as
// they were; a save that follows writes the whole new pair or leaves the
// files as they were.
#include "fuzzcheck.h"
#include "numbertext.h"
#include "recordstore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {
QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly));
    FUZZ_CHECK(file.write(bytes) == bytes.size());
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    // Layout: score size, holder size (one byte each), score, holder, the
    // journal, and last the score to save; a first byte with the top bit set
    // means no journal.
    if (size < 3)
        return 0;
    const QByteArray payload(reinterpret_cast<const char *>(data) + 2, qsizetype(size - 3));
    const qsizetype scoreSize = qMin<qsizetype>(data[0] & 0x7f, payload.size());
    const qsizetype holderSize = qMin<qsizetype>(data[1], payload.size() - scoreSize);
    const QByteArray score = payload.left(scoreSize), holder = payload.mid(scoreSize, holderSize);
    const QByteArray journal = payload.mid(scoreSize + holderSize);
    const bool withJournal = !(data[0] & 0x80);

    static const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/") : QDir::tempPath() + u'/';
    QTemporaryDir tmp(base + QStringLiteral("quozzolo-fuzz-XXXXXX"));
    FUZZ_CHECK(tmp.isValid());
    const records::RecordStore store(tmp.path() + u'/');
    put(store.scorePath(), score);
    put(store.holderPath(), holder);
    if (withJournal)
        put(store.journalPath(), journal);

    const records::StoredPair loaded = store.loadPair();
    const QByteArray scoreAfter = bytesOf(store.scorePath()), holderAfter = bytesOf(store.holderPath());
    FUZZ_CHECK(loaded.outcome);
    const QString aside = tmp.path() + QStringLiteral("/quozrec-journal-unread-1");
    const bool setAside = QFile::exists(aside);
    if (setAside)
        FUZZ_CHECK(withJournal && bytesOf(aside) == journal && loaded.notice.contains(QStringLiteral("quozrec-journal-unread-1")));
    else
        FUZZ_CHECK(loaded.notice.isEmpty());
    if (scoreAfter != score || holderAfter != holder)
        FUZZ_CHECK(withJournal && !setAside && journal.contains(scoreAfter + holderAfter));
    FUZZ_CHECK(QDir(tmp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size()
               == (setAside ? 4 : 3));
    FUZZ_CHECK(loaded.score.size() == scoreAfter.size() && loaded.holder.size() == holderAfter.size());
    const double stored = numbertext::leadingNumber(loaded.score);

    // A second start-up finds nothing more to do.
    FUZZ_CHECK(store.loadPair().outcome);
    FUZZ_CHECK(bytesOf(store.scorePath()) == scoreAfter && bytesOf(store.holderPath()) == holderAfter);

    const int newScore = data[size - 1] % 50 - 10;
    const records::Outcome saved = store.SaveRecord(newScore, QStringLiteral("Fuzz"));
    if (saved.result == records::Outcome::Result::Done) {
        FUZZ_CHECK(stored < newScore);
        FUZZ_CHECK(bytesOf(store.scorePath()) == QByteArray::number(newScore) + "\r\n");
        FUZZ_CHECK(bytesOf(store.holderPath()) == "Fuzz\r\n");
    } else {
        FUZZ_CHECK(saved.result == records::Outcome::Result::NotBeaten);
        FUZZ_CHECK(!(stored < newScore));
        FUZZ_CHECK(bytesOf(store.scorePath()) == scoreAfter && bytesOf(store.holderPath()) == holderAfter);
    }
    return 0;
}
