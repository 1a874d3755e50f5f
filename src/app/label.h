#pragma once

#include <QLabel>

// A caption on the window's surface. Reading the caption gives back exactly
// what was set, line ends included; an auto-size label grows and shrinks to
// its caption on one line, its top left corner staying put.
class Label : public QLabel
{
    Q_OBJECT
public:
    explicit Label(QWidget *parent, bool autoSize);

    void setCaption(const QString &caption);
    QString caption() const { return text_; }
    bool autoSize() const { return autoSize_; }

    // A bare number is spoken with its caption ("Risposte esatte: 3"): the
    // caption lives in another label that nothing ties to this one.
    void speakWithCaption(const QString &caption);

private:
    QString text_;
    QString spokenCaption;
    bool autoSize_;
};
