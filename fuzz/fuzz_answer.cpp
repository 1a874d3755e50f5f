// The answer box driven by arbitrary keys, as the window drives it: keys go
// through the filter, a box of at most four characters takes "-", digits
// and backspace, and Enter judges. Every judgement counts exactly once, as
// right exactly when the typed number is the expected quotient.
#include "answer.h"
#include "fuzzcheck.h"
#include "randomsource.h"

#include <QString>

namespace {
class FuzzRandom final : public RandomSource
{
public:
    FuzzRandom(const unsigned char *data, size_t size) : data(data), size(size) {}
    void reseedFromClock() override {}
    double next() override { return size ? data[at++ % size] / 256.0 : 0.0; }

private:
    const unsigned char *data;
    size_t size, at = 0;
};

int keyOf(unsigned char byte)
{
    // Most bytes become keys that pass, so that answers get typed at all.
    switch (byte % 16) {
    case 10: return keyBackspace;
    case 11: return keyEnter;
    case 12: return '-';
    case 13: return byte; // anything at all
    case 14: return 0x7f; // Delete, as X11 sends it
    case 15: return ' ';
    default: return '0' + byte % 10;
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    if (size < 2)
        return 0;
    const auto expected = int16::Value(int(data[0] % 23) - 11);
    FuzzRandom random(data, size);
    Counts counts;
    QString text;
    int judged = 0, right = 0;
    for (size_t i = 1; i < size; ++i) {
        const int key = keyOf(data[i]);
        switch (filterKey(key)) {
        case KeyAction::Cancel:
            FUZZ_CHECK(key != '-' && key != keyBackspace && key != keyEnter && (key < '0' || key > '9'));
            break;
        case KeyAction::Pass:
            FUZZ_CHECK(key == '-' || key == keyBackspace || (key >= '0' && key <= '9'));
            if (key == keyBackspace)
                text.chop(1);
            else if (text.size() < 4)
                text += QChar(key);
            break;
        case KeyAction::Judge: {
            FUZZ_CHECK(key == keyEnter);
            const Counts before = counts;
            const Verdict verdict = judge(text, expected, counts, random);
            const bool shouldBeRight = readAnswer(text) == expected;
            FUZZ_CHECK(verdict.right == shouldBeRight);
            FUZZ_CHECK(!verdict.message.isEmpty());
            FUZZ_CHECK(counts.correctCount == before.correctCount + (verdict.right ? 1 : 0));
            FUZZ_CHECK(counts.wrongCount == before.wrongCount + (verdict.right ? 0 : 1));
            ++judged;
            right += verdict.right;
            break;
        }
        }
        FUZZ_CHECK(text.size() <= 4);
    }
    FUZZ_CHECK(counts.correctCount == right);
    FUZZ_CHECK(counts.wrongCount == judged - right);
    FUZZ_CHECK(counts.total() == judged);
    return 0;
}
