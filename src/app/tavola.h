#pragma once

#include "answer.h"
#include "controls.h"
#include "countdown.h"
#include "int16.h"

#include <QMainWindow>
#include <functional>

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
    QString Leggifiletxt(const QString &nomefile) const;

    const Controls &controls() const { return ui; }
    QMenu *nextMenu() const { return nextTitle; }
    int16::Value quotient() const { return expectedQuotient; }
    int16::Value correctCount() const { return counts.correctCount; }
    int16::Value wrongCount() const { return counts.wrongCount; }
    const Countdown &clock() const { return countdown; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenuBar();
    void load();
    void showLoaded();
    void unload();
    void StartCountdown();
    void onEnterInAnswer();
    void onNextMenuAboutToShow();
    bool recordBeaten() const;
    // Saves the record; tells the player so, or that it could not be saved.
    void saveBeatenRecord(const QString &savedNotice);

    TavolaServices services;
    Controls ui;
    QMenu *nextTitle = nullptr;

    // The game's variables, kept from one game to the next.
    int16::Value expectedQuotient = 0;
    Counts counts;
    QString windowsDir;
    Countdown countdown;

    bool leaving = false;   // the exit path has begun: it runs once
    bool placed = false;

};
