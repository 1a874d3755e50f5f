#include "tavola.h"

#include "answerbox.h"
#include "dialogs.h"
#include "label.h"
#include "numbertext.h"
#include "picturebutton.h"
#include "pictures.h"
#include "problem.h"
#include "randomsource.h"
#include "recordstore.h"
#include "surface.h"

#include <QCloseEvent>
#include <QLayout>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

namespace {
const QString recordSaved = QStringLiteral("Ok ho registrato il tuo record, C A M P I O N E");

QString plain(long long value)
{
    return numbertext::format(value, numbertext::Picture::Plain);
}
} // namespace

Tavola::Tavola(TavolaServices injected)
    : services(std::move(injected))
{
    setObjectName(QStringLiteral("Tavola"));
    setWindowTitle(caption);
    setWindowIcon(pictures::windowIcon());
    buildMenuBar();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    services.dialogs.setOwner(this);
}

Tavola::~Tavola() = default;

void Tavola::buildMenuBar()
{
    QMenuBar *bar = menuBar();
    bar->setNativeMenuBar(false);

    QMenu *info = bar->addMenu(QStringLiteral("www.scuola-fantasia.example"));
    info->setObjectName(QStringLiteral("INFOMAZIONI"));
    info->addAction(QStringLiteral("Scuola Fantasia, Borgo Immaginario"))->setObjectName(QStringLiteral("Istituto"));

    QMenu *credits = bar->addMenu(QStringLiteral("Un gioco di Tizio e Caio"));
    credits->setObjectName(QStringLiteral("Ciao"));
    QAction *copy = credits->addAction(QStringLiteral("Via dei Numeri 1, Borgo Immaginario"));
    copy->setObjectName(QStringLiteral("copy"));
    connect(copy, &QAction::triggered, this, [this] { copy_Click(3); });

    nextTitle = bar->addMenu(QStringLiteral("NUOVO GIOCO"));
    nextTitle->setObjectName(QStringLiteral("Next"));
    nextTitle->addAction(QStringLiteral("Scrivete a Tizio e Caio: tizio.caio@esempio.invalid"))->setObjectName(QStringLiteral("o"));
    connect(nextTitle, &QMenu::aboutToShow, this, &Tavola::onNextMenuAboutToShow);
}

void Tavola::start()
{
    load();
    showLoaded();
}

void Tavola::load()
{
    ui = Controls::create(this);
    setCentralWidget(ui.surface);
    connect(ui.Timer1, &QTimer::timeout, this, &Tavola::Timer1_Timer);
    connect(ui.cmdNext, &QPushButton::clicked, this, &Tavola::cmdNext_Click);
    connect(ui.cmdExit, &QPushButton::clicked, this, &Tavola::cmdExit_Click);
    ui.txtAnswer->keyPress = [this](int &key) { txtAnswer_KeyPress(key); };
    ui.txtAnswer->onEnter = [this] { onEnterInAnswer(); };
    Form_Load();
}

void Tavola::showLoaded()
{
    if (!placed) {
        // Centred on the screen the first time; a new game shows it where the player left it.
        layout()->activate();
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
        placed = true;
    }
    show();
    raise();
    activateWindow();
    Form_Resize();
    // Each load activates the window once, as it first shows. Coming back
    // from a message box or another program is no new activation: it would
    // pose a problem that reopens the box, without end.
    Form_Activate();
}

void Tavola::unload()
{
    ui.Timer1->stop();
    hide();
    // Nothing of the surface is on the call stack here (only menu handlers
    // start a new game), so its controls can go at once.
    delete takeCentralWidget();
    ui = Controls();
}

void Tavola::Form_Load()
{
    services.random.reseedFromClock();
    ui.Timer1->stop();
    const QString name = services.dialogs.inputBox(QStringLiteral("Come ti chiami?"), QStringLiteral("Gioca con le Quozzolo"));
    services.dialogs.messageBox(u' ' + name + QStringLiteral(" vediamo se sei un vero campione  "), Dialogs::okExclamation,
                                QStringLiteral("Sei pronto per il record? Buona fortuna"));
    ui.lblnome1->setCaption(name);
    StartCountdown();

    windowsDir = GetSystemDir();
    const records::RecordStore store(windowsDir);
    records::ReadOutcome best, holder;
    const records::Outcome created = store.CreateRecordFiles();
    if (created)
        best = records::readText(store.scorePath());
    if (created && best)
        holder = records::readText(store.holderPath());
    if (created && best && holder) {
        ui.lblpunti->setCaption(best.text);
        ui.lblnome->setCaption(holder.text);
    } else {
        const QString why = !created ? created.error : !best ? best.error : holder.error;
        ui.lblpunti->setCaption(QStringLiteral("0"));
        ui.lblnome->setCaption(QString());
        services.dialogs.messageBox(QStringLiteral("Non riesco a leggere il record dei campioni.\n%1\n\n"
                                                   "Si gioca lo stesso, partendo da zero, ma il record "
                                                   "potrebbe non essere conservato.").arg(why),
                                    Dialogs::okExclamation);
    }

    ui.lblconto->setCaption(countdown.text());
    ui.lblScore1->setCaption(QStringLiteral("0"));
    ui.lblScore->setCaption(QStringLiteral("0"));
}

void Tavola::Form_Activate()
{
    cmdNext_Click();
}

void Tavola::Form_Resize()
{
    if (!(windowState() & Qt::WindowMinimized))
        setWindowTitle(caption);
}

void Tavola::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (isVisible())
        Form_Resize();
}

void Tavola::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void Tavola::closeEvent(QCloseEvent *event)
{
    // Closing from the frame ends the game as it stands: no goodbye, no save.
    event->accept();
    services.endProgram();
}

void Tavola::cmdNext_Click()
{
    ui.txtAnswer->clear();
    ui.lblMessage->setCaption(QString());
    const Problem problem = poseProblem(services.random);
    ui.lblNum1->setCaption(problem.dividendText());
    ui.lblNum2->setCaption(problem.divisorText());
    expectedQuotient = problem.quotient;
    ui.cmdNext->setEnabled(false);
    if (isRecordNotice(ui.lblpunti->caption(), ui.lblScore->caption()))
        services.dialogs.messageBox(QStringLiteral("E' record"), Dialogs::okOnly);
    ui.surface->paintGradient(problem);
    ui.txtAnswer->setFocus();
}

void Tavola::txtAnswer_KeyPress(int &key)
{
    switch (filterKey(key)) {
    case KeyAction::Pass:
        return;
    case KeyAction::Cancel:
        key = 0;
        return;
    case KeyAction::Judge:
        break;
    }
    const Verdict verdict = judge(ui.txtAnswer->text(), expectedQuotient, counts, services.random);
    ui.lblMessage->setCaption(verdict.message);
    if (!verdict.right)
        ui.lblScore1->setCaption(plain(counts.wrongCount));
    ui.lblScore->setCaption(plain(counts.correctCount));
    ui.lblScore2->setCaption(plain(counts.total()));
    ui.cmdNext->setEnabled(true);
    ui.cmdNext->setFocus();
}

void Tavola::onEnterInAnswer()
{
    // cmdNext is the window's default button: while it is enabled Enter
    // clicks it rather than judging the same problem again.
    if (ui.cmdNext->isEnabled()) {
        ui.cmdNext->click();
        return;
    }
    int key = keyEnter;
    txtAnswer_KeyPress(key);
}

void Tavola::StartCountdown()
{
    ui.Timer1->start();
    countdown.arm();
    ui.lblconto->setCaption(countdown.text());
}

void Tavola::Timer1_Timer()
{
    if (countdown.tick(ui.lblconto->caption()) == Countdown::Tick::TimeUp) {
        cmdExit_Click();
        return;
    }
    ui.lblconto->setCaption(countdown.text());
}

void Tavola::copy_Click(int)
{
    services.dialogs.messageBox(QStringLiteral("Quozzolo: allenati con le divisioni tra numeri interi con segno.\n"
                                               "Un gioco di Tizio e Caio, Via dei Numeri 1, Borgo Immaginario."),
                                Dialogs::okOnly);
}

bool Tavola::recordBeaten() const
{
    const double storedBest = numbertext::leadingNumber(ui.lblpunti->caption());
    const auto score = numbertext::strictNumber(ui.lblScore->caption());
    return score && storedBest < *score;
}

void Tavola::saveBeatenRecord(const QString &savedNotice)
{
    const records::Outcome saved = records::RecordStore(windowsDir).SaveRecord(ui.lblScore->caption(), ui.lblnome1->caption());
    if (saved)
        services.dialogs.messageBox(savedNotice, Dialogs::okOnly);
    else
        services.dialogs.messageBox(QStringLiteral("Non sono riuscito a registrare il tuo record.\n%1").arg(saved.error),
                                    Dialogs::okExclamation);
}

bool Tavola::Next_Click()
{
    if (services.dialogs.messageBox(QStringLiteral("INIZIAMO UNA NUOVA GARA  ?"), Dialogs::yesNoQuestionDefaultNo,
                                    QStringLiteral("INIZIARE NUOVA GARA"))
        == Dialogs::no)
        return false;
    if (recordBeaten())
        saveBeatenRecord(recordSaved + u'"');
    unload();
    // A new player starts from nothing: carried-over right answers would
    // count towards the record test of someone else's game.
    counts = Counts();
    load();
    showLoaded();
    return true;
}

void Tavola::onNextMenuAboutToShow()
{
    if (Next_Click()) {
        // The list belongs to the game that has just ended: keep it shut.
        QTimer::singleShot(0, nextTitle, &QMenu::close);
    }
}

void Tavola::cmdExit_Click()
{
    // Ticks keep coming while the goodbye box waits: the exit runs once.
    if (leaving)
        return;
    leaving = true;
    const QString name = ui.lblnome1->caption();
    services.dialogs.messageBox(QStringLiteral("Ciao ") + name + QStringLiteral(", alla prossima sfida!"), Dialogs::okOnly,
                                QStringLiteral("Data ") + services.currentDate());
    if (recordBeaten())
        saveBeatenRecord(recordSaved);
    services.endProgram();
}

QString Tavola::GetSystemDir() const
{
    return records::withTrailingSeparator(services.recordDirectory());
}

QString Tavola::Leggifiletxt(const QString &nomefile) const
{
    return records::readText(nomefile).text;
}
