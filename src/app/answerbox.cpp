#include "answerbox.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>

AnswerBox::AnswerBox(QWidget *parent)
    : QLineEdit(parent)
{
    // Pasted or dropped text never passes the key filter; hold it to the
    // same characters.
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[-0-9]*")), this));
}

void AnswerBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (onEnter)
            onEnter();
        event->accept();
        return;
    }
    int key = 0;
    if (event->key() == Qt::Key_Backspace)
        key = 8;
    else if (!event->text().isEmpty())
        key = event->text().at(0).unicode();
    else {
        // Arrows, Home, Delete and the like type no character.
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (keyPress)
        keyPress(key);
    if (key == 0) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
