#include "tavola.h"

#include "announcer.h"
#include "answerbox.h"
#include "dialogs.h"
#include "label.h"
#include "menubarstyle.h"
#include "numbertext.h"
#include "picturebutton.h"
#include "pictures.h"
#include "placement.h"
#include "spoken.h"
#include "surface.h"
#include "typedkey.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QTimer>

namespace {
const QString recordSaved = QStringLiteral("Ok ho registrato il tuo record, C A M P I O N E");

// Every change of an accessible name is an event a screen reader may speak.
void setSpokenName(QWidget *widget, const QString &name)
{
    if (widget->accessibleName() != name)
        widget->setAccessibleName(name);
}

QString plain(int value)
{
    return numbertext::format(value, numbertext::Picture::Plain);
}
} // namespace

Tavola::Tavola(TavolaServices injected)
    : services(std::move(injected))
{
    setObjectName(QStringLiteral("Tavola"));
    setWindowTitle(caption);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    services.dialogs.setOwner(this);
}

Tavola::~Tavola() = default;

void Tavola::buildMenuBar()
{
    QMenuBar *bar = menuBar();
    bar->setNativeMenuBar(false);
    new MenuBarStyle(bar);

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
    Form_Load();
    showLoaded();
}

void Tavola::createControls()
{
    if (!nextTitle) {
        // Built with the first controls, not before the first name box.
        setWindowIcon(pictures::windowIcon());
        buildMenuBar();
        announcer = new Announcer(this);
    }
    ui = Controls::create(this);
    setCentralWidget(ui.surface);
    connect(ui.Timer1, &QTimer::timeout, this, &Tavola::Timer1_Timer);
    connect(ui.cmdNext, &QPushButton::clicked, this, &Tavola::cmdNext_Click);
    connect(ui.cmdExit, &QPushButton::clicked, this, &Tavola::cmdExit_Click);
    ui.txtAnswer->installEventFilter(this);
}

void Tavola::showLoaded()
{
    if (!placed) {
        // Centred on the screen the first time; a new game shows it where the player left it.
        layout()->activate();
        placeOnScreen(this);
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
    partita.reset();
}

void Tavola::Form_Load()
{
    // The controls, Timer1 among them, are made once the player is greeted:
    // the name box shows without waiting for them, and no tick can come
    // while it waits.
    const QString name = askName();
    greet(name);
    createControls();
    ui.lblnome1->setCaption(name);
    StartCountdown();
    startGame(name);
    showStartCaptions();
}

QString Tavola::askName()
{
    return Partita::oneLineName(services.dialogs.inputBox(QStringLiteral("Come ti chiami?"), QStringLiteral("Gioca con le Quozzolo")));
}

void Tavola::greet(const QString &name)
{
    services.dialogs.messageBox(u' ' + name + QStringLiteral(" vediamo se sei un vero campione  "), BoxKind::OkExclamation,
                                QStringLiteral("Sei pronto per il record? Buona fortuna"));
}

void Tavola::StartCountdown()
{
    // The clock's caption comes with the others, from the new game's clock.
    ui.Timer1->start();
}

void Tavola::startGame(const QString &name)
{
    partita = std::make_unique<Partita>(services.random, services.records, name, readRecord());
    ui.lblpunti->setCaption(partita->storedBestText());
    ui.lblnome->setCaption(partita->storedHolderText());
}

RecordBook::Read Tavola::readRecord()
{
    const RecordBook::Read record = services.records.read();
    // The clock waits with the player: the game starts at 00:15:00 when the boxes are closed.
    const auto tell = [this](const QString &text) {
        ui.Timer1->stop();
        services.dialogs.messageBox(text, BoxKind::OkExclamation);
        ui.Timer1->start();
    };
    if (!record.notice.isEmpty())
        tell(record.notice);
    if (record.result == RecordBook::Read::Result::Read)
        return record;
    const QString unrecorded = QStringLiteral("Si gioca lo stesso, ma il risultato di questa partita non sarà registrato.");
    // No folder is no fault: one sentence says it, and the store's own
    // explanation would only say the same again.
    tell(record.result == RecordBook::Read::Result::NoFolder
             ? QStringLiteral("Non c'è una cartella dove tenere il record.\n\n") + unrecorded
             : QStringLiteral("Non riesco a leggere il record dei campioni.\n%1\n\n").arg(record.error) + unrecorded);
    return record;
}

void Tavola::showStartCaptions()
{
    showClock();
    ui.lblScore1->setCaption(plain(partita->wrongCount()));
    ui.lblScore->setCaption(plain(partita->correctCount()));
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
    // Already in the box, the focus does not arrive again to speak the division.
    const bool focusInBox = ui.txtAnswer->hasFocus();
    Announcer::clearUnheard(ui.txtAnswer);
    ui.lblMessage->setCaption(QString());
    const Partita::Posed posed = partita->poseProblem();
    ui.lblNum1->setCaption(posed.problem.dividendText());
    ui.lblNum2->setCaption(posed.problem.divisorText());
    ui.txtAnswer->setAccessibleName(spoken::division(posed.problem.dividend, posed.problem.divisor));
    ui.cmdNext->setAccessibleDescription(QString());
    ui.cmdNext->setEnabled(partita->answered());
    if (posed.recordNotice)
        services.dialogs.messageBox(QStringLiteral("E' record"), BoxKind::Ok);
    ui.surface->paintGradient(posed.problem);
    if (focusInBox)
        announcer->announce(ui.txtAnswer->accessibleName());
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
    const Partita::Judged judged = partita->judge(ui.txtAnswer->text());
    ui.lblMessage->setCaption(judged.message);
    if (!judged.right)
        ui.lblScore1->setCaption(plain(judged.wrongCount));
    ui.lblScore->setCaption(plain(judged.correctCount));
    ui.lblScore2->setCaption(plain(judged.totalCount));
    // The focus moves to cmdNext: its description carries the verdict to a screen reader.
    ui.cmdNext->setAccessibleDescription(spoken::verdict(judged.message, plain(judged.correctCount), plain(judged.totalCount)));
    ui.cmdNext->setEnabled(partita->answered());
    ui.cmdNext->setFocus();
}

bool Tavola::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != ui.txtAnswer || event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    const auto *press = static_cast<QKeyEvent *>(event);
    const std::optional<int> typed = typedKeyCode(press->key(), press->modifiers(), press->text());
    if (!typed)
        return false; // an editing key: the box handles it
    if (*typed == keyEnter) {
        onEnterInAnswer();
        return true;
    }
    int key = *typed;
    txtAnswer_KeyPress(key);
    if (key == keyBackspace) {
        // The box knows a backspace only by its key, and would take Ctrl+H
        // for nothing: whichever key typed it, the character goes here.
        ui.txtAnswer->backspace();
        return true;
    }
    return key == 0; // a cancelled character never reaches the box
}

void Tavola::onEnterInAnswer()
{
    // Once the problem is judged Enter clicks cmdNext, as a default button
    // would, rather than judging the same problem again.
    if (partita->answered()) {
        ui.cmdNext->click();
        return;
    }
    int key = keyEnter;
    txtAnswer_KeyPress(key);
}

void Tavola::showClock()
{
    ui.lblconto->setCaption(partita->clockText());
    setSpokenName(ui.lblconto, spoken::timeLeft(partita->secondsLeft()));
}

void Tavola::Timer1_Timer()
{
    // Between two games (a box of the next start-up waiting) there is no
    // clock to count.
    if (!partita)
        return;
    if (partita->tick() == Countdown::Tick::TimeUp) {
        if (!partita->leaving())
            announcer->announce(spoken::timeUp);
        cmdExit_Click();
        return;
    }
    showClock();
    if (const std::optional<QString> call = spoken::timeCall(partita->secondsLeft()))
        announcer->announce(*call);
}

void Tavola::copy_Click(int)
{
    services.dialogs.messageBox(QStringLiteral("Quozzolo: allenati con le divisioni tra numeri interi con segno.\n"
                                               "Un gioco di Tizio e Caio, Via dei Numeri 1, Borgo Immaginario."),
                                BoxKind::Ok);
}

void Tavola::showSaved(const Partita::Saved &saved, const QString &savedNotice)
{
    switch (saved.result) {
    case Partita::SaveResult::Saved:
        services.dialogs.messageBox(savedNotice, BoxKind::Ok);
        break;
    case Partita::SaveResult::NoRecord:
    case Partita::SaveResult::NotBeaten:
        break;
    case Partita::SaveResult::Failed:
        services.dialogs.messageBox(QStringLiteral("Non sono riuscito a registrare il tuo record.\n%1").arg(saved.error),
                                    BoxKind::OkExclamation);
        break;
    }
}

bool Tavola::Next_Click()
{
    if (services.dialogs.messageBox(QStringLiteral("INIZIAMO UNA NUOVA GARA  ?"), BoxKind::YesNoQuestionDefaultNo,
                                    QStringLiteral("INIZIARE NUOVA GARA"))
        == BoxReply::No)
        return false;
    showSaved(partita->saveIfBeaten(), recordSaved + u'"');
    unload();
    Form_Load();
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
    if (!partita->beginExit())
        return;
    services.dialogs.messageBox(QStringLiteral("Ciao ") + partita->playerName() + QStringLiteral(", alla prossima sfida!"),
                                BoxKind::Ok, QStringLiteral("Data ") + services.currentDate());
    showSaved(partita->saveIfBeaten(), recordSaved);
    services.endProgram();
}
