#pragma once

#include "int16.h"

#include <QString>

#include <optional>

class RandomSource;

// What the answer box does with a typed character.
enum class KeyAction {
    Pass,   // "-", the digits and backspace reach the box
    Judge,  // Enter: judge the answer; the key still passes as 13
    Cancel, // everything else: the key code becomes 0
};

inline constexpr int keyBackspace = 8;
inline constexpr int keyEnter = 13;

KeyAction filterKey(int code);

// The character code a key press types into the answer box, as the filter
// sees it (qtKey a Qt::Key, text the event's text): Backspace is 8, Enter 13,
// any other key the first character of its text. Keys that edit or move
// (Delete, arrows, Home, End, Tab...) type nothing: they never reach the
// filter and edit the box normally. Under X11 Delete carries the text U+007F
// all the same, while Ctrl with a letter types a real control character
// (Ctrl+V is 22), and so does Ctrl+Backspace (127): the filter cancels both.
std::optional<int> typedKeyCode(int qtKey, const QString &text);

// The counts of the game. They stop at 32767 rather than wrap: no real game
// gets there, and a runaway one must keep showing sane numbers.
struct Counts
{
    int16::Value correctCount = 0;
    int16::Value wrongCount = 0;
    int16::Value total() const { return int16::addSaturating(correctCount, wrongCount); }
};

// The number the player answered: the text's leading number rounded halves
// to even; nothing when it does not fit 16 bits (it can never be right).
std::optional<int16::Value> readAnswer(const QString &text);

inline constexpr int praiseCount = 4;
// The praise at index floor(4r): "Esatto!" below 0.25, "Continua così!" below
// 0.5, "Esatto. Sei proprio in gamba!" below 0.75, then "Ok.Un altro punto...".
QString praise(double r);

struct Verdict
{
    bool right = false;
    QString message;
};

// Judges text against expected, counting it in counts; a right answer takes
// one draw from random for its praise.
Verdict judge(const QString &text, int16::Value expected, Counts &counts, RandomSource &random);
