// Benchmarks of the work done for every problem the player sees.
//
//   QT_QPA_PLATFORM=offscreen build-bench/bench/bench_quiz
//
// The platform defaults to offscreen when QT_QPA_PLATFORM is unset, so no
// display is needed.

#include "answer.h"
#include "numbertext.h"
#include "problem.h"
#include "randomsource.h"
#include "surface.h"

#include <QApplication>
#include <QSize>
#include <QString>
#include <benchmark/benchmark.h>

namespace {

// A new problem: two clock reseeds and five draws.
void BM_PoseProblem(benchmark::State &state)
{
    ClockRandomSource random;
    for (auto _ : state) {
        Problem problem = poseProblem(random);
        benchmark::DoNotOptimize(problem);
    }
}
BENCHMARK(BM_PoseProblem);

// Judging what the player typed. A right answer also draws its praise; a
// wrong one formats the expected quotient into the message.
void BM_Judge(benchmark::State &state, const char *typed)
{
    ClockRandomSource random;
    const QString text = QString::fromLatin1(typed);
    Counts counts;
    for (auto _ : state) {
        Verdict verdict = judge(text, -7, counts, random);
        benchmark::DoNotOptimize(verdict);
        counts = Counts(); // keep the counts away from their 32767 stop
    }
}
BENCHMARK_CAPTURE(BM_Judge, Right, "-7");
BENCHMARK_CAPTURE(BM_Judge, Wrong, "12");

// wholeText: the reading goes through the whole text, so a rate in bytes
// per second means something.
void readLeadingNumber(benchmark::State &state, const QString &text, bool wholeText)
{
    for (auto _ : state) {
        double value = numbertext::leadingNumber(text);
        benchmark::DoNotOptimize(value);
    }
    if (wholeText)
        state.SetBytesProcessed(state.iterations() * text.size() * qint64(sizeof(QChar)));
}

// What an answer box holds in play.
void BM_LeadingNumberShort(benchmark::State &state)
{
    readLeadingNumber(state, QStringLiteral("  -12.5x"), true);
}
BENCHMARK(BM_LeadingNumberShort);

constexpr qsizetype bigText = 64 * 1024;

// 64 KiB of digits: the number goes on to the end of the text.
void BM_LeadingNumber64KiBDigits(benchmark::State &state)
{
    readLeadingNumber(state, QString(bigText, u'7'), true);
}
BENCHMARK(BM_LeadingNumber64KiBDigits);

// A short number before 64 KiB of other text: reading stops at the number's end.
void BM_LeadingNumber64KiBTrailing(benchmark::State &state)
{
    QString text = QStringLiteral("42");
    text += QString(bigText - text.size(), u'x');
    readLeadingNumber(state, text, false);
}
BENCHMARK(BM_LeadingNumber64KiBTrailing);

// 64 KiB of leading blanks before the number.
void BM_LeadingNumber64KiBBlanks(benchmark::State &state)
{
    QString text(bigText - 2, u' ');
    text += QStringLiteral("42");
    readLeadingNumber(state, text, true);
}
BENCHMARK(BM_LeadingNumber64KiBBlanks);

// The background of a new problem: 256 bands on the window's 792x554 surface.
void BM_PaintGradient(benchmark::State &state)
{
    Surface surface(nullptr);
    surface.resize(792, 554);
    ClockRandomSource random;
    const Problem problem = poseProblem(random);
    surface.paintGradient(problem);
    if (surface.background().size() != QSize(792, 554)) {
        state.SkipWithError("the surface did not take the window's 792x554 size");
        return;
    }
    for (auto _ : state) {
        surface.paintGradient(problem);
        benchmark::DoNotOptimize(surface.background().constBits());
    }
    state.SetItemsProcessed(state.iterations() * gradient::bands);
}
BENCHMARK(BM_PaintGradient);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
