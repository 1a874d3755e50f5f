#pragma once

#include <QString>
#include <Qt>

#include <optional>

// The character code a key press types into the answer box, as the key
// filter sees it, decided by the key and its modifiers: each platform spells
// the text of Ctrl's keys its own way (Ctrl+Backspace is U+0008 under X11
// and Wayland, U+007F on Windows).
// - Backspace is 8, Ctrl+Backspace 127 (cancelled, as Windows types it);
//   Enter and Return are 13.
// - Ctrl with a letter is that letter's control code: Ctrl+H is 8, a
//   backspace; Ctrl+V is 22, cancelled. Ctrl with any other character key
//   is 0, cancelled.
// - Keys that edit or move (Delete, arrows, Home, End, Tab...) type nothing:
//   they never reach the filter and edit the box normally.
// - Any other key types the first character of its text (qtKey a Qt::Key).
std::optional<int> typedKeyCode(int qtKey, Qt::KeyboardModifiers modifiers, const QString &text);
