#include "typedkey.h"

#include "answer.h"

std::optional<int> typedKeyCode(int qtKey, Qt::KeyboardModifiers modifiers, const QString &text)
{
    // Ctrl alone: Windows reports AltGr, which types characters, as Ctrl+Alt.
    const bool control = (modifiers & (Qt::ControlModifier | Qt::AltModifier)) == Qt::ControlModifier;
    if (qtKey == Qt::Key_Backspace)
        return control ? 127 : keyBackspace;
    if (qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter)
        return keyEnter;
    // Qt numbers the keys that have no character of their own from Key_Escape up.
    if (qtKey >= Qt::Key_Escape && qtKey <= Qt::Key_unknown)
        return std::nullopt;
    if (control)
        return qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z ? qtKey - Qt::Key_A + 1 : 0;
    if (text.isEmpty())
        return std::nullopt;
    return text.at(0).unicode();
}
