#pragma once

#include <QLineEdit>

// The answer box. Typed keys reach the window's key filter through an event
// filter before the box sees them; this class holds what arrives by other
// means (pasting, dropping) to the same characters.
class AnswerBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit AnswerBox(QWidget *parent);
};
