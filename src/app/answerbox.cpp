#include "answerbox.h"

#include <QRegularExpressionValidator>

AnswerBox::AnswerBox(QWidget *parent)
    : QLineEdit(parent)
{
    // Pasted or dropped text never passes the key filter; hold it to the
    // same characters.
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[-0-9]*")), this));
}
