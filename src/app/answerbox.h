#pragma once

#include <QLineEdit>
#include <functional>

// The answer box. Every typed character goes through keyPress first, with its
// code by reference: setting it to 0 keeps the character out. Enter goes to
// onEnter instead, which decides between judging and the default button.
class AnswerBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit AnswerBox(QWidget *parent);

    std::function<void(int &key)> keyPress;
    std::function<void()> onEnter;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
