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
