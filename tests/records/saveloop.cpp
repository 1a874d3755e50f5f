#include "saveloop.h"

#include "numbertext.h"
#include "recorddir.h"
#include "recordstore.h"

#include <unistd.h>

QString saveUntilKilled(const QString &dir, int fd)
{
    const records::RecordStore store(records::withTrailingSeparator(dir));
    const records::StoredPair stored = store.loadPair();
    if (!stored.outcome)
        return stored.outcome.error;
    for (long n = long(numbertext::leadingNumber(stored.score)) + 1;; ++n) {
        const records::Outcome saved = store.SaveRecord(int(n), QStringLiteral("Nome%1").arg(n));
        if (saved.result == records::Outcome::Result::Failed)
            return saved.error;
        if (saved.result == records::Outcome::Result::Done) {
            const QByteArray line = QByteArray::number(qlonglong(n)) + '\n';
            if (::write(fd, line.constData(), size_t(line.size())) != line.size())
                return QStringLiteral("write failed");
        }
    }
}
