#pragma once

#include "controls.h"
#include "partita.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class Announcer;
class Dialogs;
class QMenu;
class RandomSource;

// What the window needs from outside, injected so tests can stand in for it.
struct TavolaServices
{
    Dialogs &dialogs;
    RandomSource &random;
    RecordBook &records;
    std::function<QString()> currentDate;     // the short date of today
    std::function<void()> endProgram;         // never returns in the real program
};

// The game's one window. Each load creates its controls and a new Partita,
// and each handler asks that game what happened and shows it.
class Tavola : public QMainWindow
{
    Q_OBJECT
public:
    explicit Tavola(TavolaServices services);
    ~Tavola() override;

    static inline const QString caption = QStringLiteral(" Giochiamo con le Quozzolo");

    // Loads the window and shows it: the first game starts.
    void start();

    // Handlers of the window and its controls.
    void Form_Load();
    void Form_Activate();
    void Form_Resize();
    void cmdNext_Click();
    void txtAnswer_KeyPress(int &key);
    void Timer1_Timer();
    void copy_Click(int index);
    // True when a new game has started.
    bool Next_Click();
    void cmdExit_Click();

    const Controls &controls() const { return ui; }
    QMenu *nextMenu() const { return nextTitle; }
    // The game on display; null while the boxes of a start-up wait.
    const Partita *game() const { return partita.get(); }

protected:
    // Keys typed into txtAnswer pass txtAnswer_KeyPress before the box sees them.
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenuBar();
    void createControls();
    void showLoaded();
    void unload();
    QString askName();
    void greet(const QString &name);
    void StartCountdown();
    void startGame(const QString &name);
    RecordBook::Read readRecord();
    void showStartCaptions();
    void showClock();
    void onEnterInAnswer();
    void onNextMenuAboutToShow();
    // Tells the player what became of a beaten record: saved, or not saved
    // and why. Nothing to save, or a record as good saved meanwhile, goes
    // untold.
    void showSaved(const Partita::Saved &saved, const QString &savedNotice);

    TavolaServices services;
    Controls ui;
    QMenu *nextTitle = nullptr;
    std::unique_ptr<Partita> partita;
    Announcer *announcer = nullptr;
    bool placed = false; // centred on the screen once, at the first showing
};
