#include "saveloop.h"

#include "numbertext.h"
#include "recordstore.h"

#include <unistd.h>

QString saveUntilKilled(const QString &dir, int fd)
{
    const records::RecordStore store(records::withTrailingSeparator(dir));
    if (const records::Outcome created = store.CreateRecordFiles(); !created)
        return created.error;
    const records::ReadOutcome best = records::readText(store.scorePath());
    if (!best)
        return best.error;
    for (long n = long(numbertext::leadingNumber(best.text)) + 1;; ++n) {
        const records::SaveOutcome saved = store.SaveRecord(QString::number(n), QStringLiteral("Nome%1").arg(n));
        if (saved.result == records::SaveOutcome::Result::Failed)
            return saved.error;
        if (saved.result == records::SaveOutcome::Result::Saved) {
            const QByteArray line = QByteArray::number(qlonglong(n)) + '\n';
            if (::write(fd, line.constData(), size_t(line.size())) != line.size())
                return QStringLiteral("write failed");
        }
    }
}
