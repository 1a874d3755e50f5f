#pragma once

#include "controls.h"
#include "partita.h"
#include "recordstore.h"

#include <QMainWindow>
#include <functional>

class Announcer;
class Dialogs;
class QMenu;
class RandomSource;

// What the window needs from outside, injected so tests can stand in for it.
struct TavolaServices
{
    Dialogs &dialogs;
    RandomSource &random;
    std::function<QString()> recordDirectory; // with one trailing separator
    std::function<QString()> currentDate;     // the short date of today
    std::function<void()> endProgram;         // never returns in the real program
};

// The game's one window. It keeps the game's variables across new games; its
// controls are created anew each time it loads.
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

    QString GetSystemDir() const;
    // The whole text of a record file, or why it could not be read.
    records::ReadOutcome Leggifiletxt(const QString &nomefile) const;

    const Controls &controls() const { return ui; }
    QMenu *nextMenu() const { return nextTitle; }
    const Partita &game() const { return partita; }

protected:
    // Keys typed into txtAnswer pass txtAnswer_KeyPress before the box sees them.
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenuBar();
    void load();
    void showLoaded();
    void unload();
    void StartCountdown();
    void showClock();
    void onEnterInAnswer();
    void onNextMenuAboutToShow();
    void readStoredRecord();
    // Saves the record; tells the player so, or that it could not be saved,
    // and says nothing when another game has saved a record as good meanwhile.
    void saveBeatenRecord(const QString &savedNotice);

    TavolaServices services;
    Controls ui;
    QMenu *nextTitle = nullptr;
    Announcer *announcer = nullptr;

    // The play itself; the window only shows it.
    Partita partita;
    QString windowsDir;
    bool placed = false; // centred on the screen once, at the first showing
};
