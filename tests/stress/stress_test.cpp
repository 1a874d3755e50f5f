// The real window with the real boxes, driven hard: ten thousand problems for
// memory, and long random sequences of keys, pastes, clicks, menu openings and
// ticks for robustness. The boxes answer themselves as a player would.
#include "dialogs.h"
#include "answerbox.h"
#include "label.h"
#include "picturebutton.h"
#include "randomsource.h"
#include "storerecordbook.h"
#include "tavola.h"

#include <QApplication>
#include <functional>
#include <QClipboard>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <malloc.h>
#include <random>

namespace {

// Answers every box as soon as it shows: a name for the name box, Yes or No
// at random for a question, OK for the rest.
class BoxAnswerer : public QObject
{
public:
    explicit BoxAnswerer(std::mt19937 &draws) : draws(draws) { qApp->installEventFilter(this); }
    ~BoxAnswerer() override { qApp->removeEventFilter(this); }

    int boxes = 0;
    std::function<void()> whileOpen; // what else happens while a box waits

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && (qobject_cast<QMessageBox *>(watched) || qobject_cast<QInputDialog *>(watched))) {
            ++boxes;
            QTimer::singleShot(0, this, [this, box = QPointer<QWidget>(static_cast<QWidget *>(watched))] { answer(box); });
        }
        return false;
    }

private:
    void answer(QWidget *box)
    {
        if (!box)
            return;
        if (whileOpen)
            whileOpen();
        if (!box)
            return;
        if (auto *input = qobject_cast<QInputDialog *>(box)) {
            static const char *const names[] = {"Anna", "", "Bruno\r\nCarla", "<b>x</b>", "Niccolò"};
            input->setTextValue(QString::fromUtf8(names[draws() % 5]));
            input->accept();
        } else if (auto *message = qobject_cast<QMessageBox *>(box)) {
            QAbstractButton *no = message->button(QMessageBox::No);
            (no && draws() % 2 ? no : message->buttons().first())->click();
        }
    }
    std::mt19937 &draws;
};

// One real window with its real boxes, its records in a temporary folder.
struct RealGame
{
    explicit RealGame(unsigned seed)
        : draws(seed)
        , answerer(draws)
    {
        window = std::make_unique<Tavola>(TavolaServices{
            dialogs, random, records, [] { return QStringLiteral("08/12/26"); },
            [this] {
                ++ends;
                window->hide();
            },
        });
        window->start();
    }
    ~RealGame() { window->hide(); }

    const Controls &ui() const { return window->controls(); }

    QTemporaryDir dir;
    std::mt19937 draws;
    BoxAnswerer answerer;
    QtDialogs dialogs;
    ClockRandomSource random;
    StoreRecordBook records{[this] { return dir.path() + u'/'; }};
    std::unique_ptr<Tavola> window;
    int ends = 0;
};

size_t heapInUse()
{
    malloc_trim(0);
    return mallinfo2().uordblks;
}

// The counts as shown must add up: right + wrong = total.
void expectCountsAddUp(const Controls &ui, const std::string &step)
{
    const int right = ui.lblScore->caption().toInt();
    const int wrong = ui.lblScore1->caption().toInt();
    const int total = ui.lblScore2->caption().toInt();
    ASSERT_EQ(right + wrong, total) << step;
}

} // namespace

// Ten thousand problems posed and answered through the keyboard, with a box
// every tenth problem: the heap after them is within 1 MiB of the heap after
// the first hundred.
TEST(Soak, TenThousandProblemsKeepMemoryFlat)
{
    RealGame game(1);
    const Controls &ui = game.ui();
    size_t afterHundred = 0;
    for (int i = 1; i <= 10000; ++i) {
        const int answer = i % 3 ? game.window->game()->expectedQuotient() : 99;
        QTest::keyClicks(ui.txtAnswer, QString::number(answer));
        QTest::keyClick(ui.txtAnswer, Qt::Key_Return);
        ASSERT_TRUE(ui.cmdNext->isEnabled()) << i;
        if (i % 10 == 0)
            game.window->copy_Click(3);
        QTest::keyClick(ui.cmdNext, Qt::Key_Return);
        ASSERT_FALSE(ui.cmdNext->isEnabled()) << i;
        if (i == 100)
            afterHundred = heapInUse();
    }
    const size_t afterAll = heapInUse();
    const long long growth = static_cast<long long>(afterAll) - static_cast<long long>(afterHundred);
    std::printf("heap after 100 problems: %zu B; after 10000: %zu B; growth %lld B; boxes %d\n", afterHundred, afterAll,
                growth, game.answerer.boxes);
    EXPECT_LE(growth, 1024 * 1024);
    EXPECT_EQ(ui.lblScore2->caption(), "10000");
    EXPECT_EQ(game.ends, 0);
}

// Random keys, pastes, Enter presses, clicks, menu openings and ticks: the
// game never crashes, its counts always add up, and the exit runs once.
TEST(RandomInput, TheGameSurvivesAnythingAPlayerCanDo)
{
    int exits = 0, steps = 0;
    for (unsigned seed = 1; seed <= 6; ++seed) {
        RealGame game(seed);
        std::mt19937 &draws = game.draws;
        // The clock goes on ticking while any box waits.
        game.answerer.whileOpen = [&game] {
            for (int i = 0; i < 3; ++i)
                game.window->Timer1_Timer();
        };
        const QString keys = QStringLiteral("0123456789--abc +.,\t");
        static const char *const pastes[] = {"12", "-7", "x9", "99999", "", "\r\n3", "1.5"};
        for (int step = 0; step < 1500 && game.ends == 0; ++step, ++steps) {
            const Controls &ui = game.ui();
            const std::string where = "seed " + std::to_string(seed) + " step " + std::to_string(step);
            switch (draws() % 12) {
            case 0: case 1: case 2: case 3:
                QTest::keyClick(ui.txtAnswer, keys.at(int(draws() % keys.size())).toLatin1());
                break;
            case 4:
                QTest::keyClick(ui.txtAnswer, draws() % 2 ? Qt::Key_Backspace : Qt::Key_Delete);
                break;
            case 5: case 6:
                QTest::keyClick(ui.txtAnswer, Qt::Key_Return);
                break;
            case 7:
                QApplication::clipboard()->setText(QString::fromUtf8(pastes[draws() % 7]));
                ui.txtAnswer->paste();
                break;
            case 8:
                if (ui.cmdNext->isEnabled())
                    QTest::mouseClick(ui.cmdNext, Qt::LeftButton);
                break;
            case 9: // a second, now and then a run of them up to the time-out
                for (int i = draws() % 50 ? 1 : int(draws() % 400); i > 0 && game.ends == 0; --i)
                    game.window->Timer1_Timer();
                break;
            case 10:
                if (draws() % 8 == 0) // now and then a new game: name box, greeting and all
                    emit game.window->nextMenu()->aboutToShow();
                else if (draws() % 4 == 0)
                    game.window->copy_Click(3);
                break;
            case 11:
                if (draws() % 100 == 0)
                    QTest::mouseClick(ui.cmdExit, Qt::LeftButton);
                break;
            }
            QCoreApplication::processEvents();
            if (game.ends == 0)
                expectCountsAddUp(game.ui(), where);
            ASSERT_LE(game.window->controls().txtAnswer->text().size(), 4) << where;
        }
        EXPECT_LE(game.ends, 1) << "seed " << seed;
        exits += game.ends;
    }
    std::printf("random steps: %d; sequences that reached the exit: %d of 6\n", steps, exits);
    EXPECT_GE(steps, 3000);
}
