#include "typedkey.h"

#include <gtest/gtest.h>

// The code a key types is decided by the key and its modifiers, whatever
// text the platform puts on the event.
TEST(TypedKey, CodesComeFromTheKeyAndItsModifiers)
{
    const auto ctrl = Qt::ControlModifier;
    struct Row { int qtKey; Qt::KeyboardModifiers modifiers; const char *text; std::optional<int> code; };
    const Row rows[] = {
        {Qt::Key_5, {}, "5", '5'},
        {Qt::Key_Minus, {}, "-", '-'},
        {Qt::Key_A, {}, "a", 'a'},
        {Qt::Key_Backspace, {}, "\b", 8},
        {Qt::Key_Backspace, Qt::ShiftModifier, "\b", 8},
        {Qt::Key_Backspace, ctrl, "\b", 127},    // X11, Wayland
        {Qt::Key_Backspace, ctrl, "\x7f", 127},  // Windows
        {Qt::Key_H, ctrl, "\b", 8},
        {Qt::Key_V, ctrl, "\x16", 22},
        {Qt::Key_5, ctrl, "5", 0},               // Wayland leaves a digit's text as it is
        {Qt::Key_8, ctrl, "\x7f", 0},
        {Qt::Key_Minus, ctrl, "\x1f", 0},
        {Qt::Key_7, ctrl | Qt::AltModifier, "{", '{'}, // AltGr on Windows
        {Qt::Key_Return, {}, "\r", 13},
        {Qt::Key_Enter, Qt::KeypadModifier, "\r", 13},
        {Qt::Key_Delete, {}, "\x7f", std::nullopt},
        {Qt::Key_Left, ctrl, "", std::nullopt},
        {Qt::Key_Tab, {}, "\t", std::nullopt},
        {0, {}, "\xc3\xa8", 0xE8},               // a composed è
    };
    for (const Row &row : rows)
        EXPECT_EQ(typedKeyCode(row.qtKey, row.modifiers, QString::fromUtf8(row.text)), row.code)
            << std::hex << row.qtKey << " modifiers " << row.modifiers.toInt();
}
