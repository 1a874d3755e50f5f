// Plays the part of a game that saves records, for the tests that kill it or
// run two of it at once.
//   record_driver loop DIR          saves until killed (see saveloop.h),
//                                   printing each N once it is saved
//   record_driver race DIR ID COUNT SEED
//                                   saves COUNT random scores by "P<ID>-<score>",
//                                   printing "<score> <s|n|f>" for each
//   record_driver start DIR         starts up as a game does
//   record_driver save DIR SCORE    starts up, then saves SCORE by "NomeSCORE"
//                                   (both print what each came to: the score
//                                   shown, or why it failed)
#include "recorddir.h"
#include "recordstore.h"
#include "saveloop.h"

#include <QByteArray>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

using Result = records::Outcome::Result;

int main(int argc, char **argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "loop") == 0) {
        std::fprintf(stderr, "%s\n", qPrintable(saveUntilKilled(QString::fromLocal8Bit(argv[2]), 1)));
        return 2;
    }
    if (argc == 6 && std::strcmp(argv[1], "race") == 0) {
        const records::RecordStore store(records::withTrailingSeparator(QString::fromLocal8Bit(argv[2])));
        if (const records::Outcome created = store.loadPair().outcome; !created) {
            std::fprintf(stderr, "%s\n", qPrintable(created.error));
            return 2;
        }
        const QByteArray id = argv[3];
        const int count = std::atoi(argv[4]);
        std::mt19937 random(unsigned(std::atoi(argv[5])));
        std::uniform_int_distribution<int> scores(1, 4);
        for (int i = 0; i < count; ++i) {
            const int score = 2 * i + scores(random);
            const records::Outcome saved =
                store.SaveRecord(score, QStringLiteral("P%1-%2").arg(QLatin1String(id)).arg(score));
            const char *mark = saved.result == Result::Done ? "s" : saved.result == Result::NotBeaten ? "n" : "f";
            std::printf("%d %s\n", score, mark);
            if (saved.result == Result::Failed)
                std::fprintf(stderr, "%s\n", qPrintable(saved.error));
        }
        return 0;
    }
    if ((argc == 3 && std::strcmp(argv[1], "start") == 0) || (argc == 4 && std::strcmp(argv[1], "save") == 0)) {
        const records::RecordStore store(records::withTrailingSeparator(QString::fromLocal8Bit(argv[2])));
        const records::StoredPair loaded = store.loadPair();
        // The score shown, or why there is none.
        std::printf("load %s: %s\n", loaded.outcome ? "ok" : "failed",
                    qPrintable(loaded.outcome ? loaded.score.trimmed() : loaded.outcome.error));
        if (!loaded.outcome || argc == 3)
            return 0;
        const int score = std::atoi(argv[3]);
        const records::Outcome saved = store.SaveRecord(score, QStringLiteral("Nome%1").arg(score));
        const char *said = saved.result == Result::Done ? "done" : saved.result == Result::NotBeaten ? "not beaten" : "failed";
        std::printf("save %s: %s\n", said, qPrintable(saved.error));
        return 0;
    }
    return 64;
}
