#include "label.h"

#include "spoken.h"

Label::Label(QWidget *parent, bool autoSize)
    : QLabel(parent)
    , autoSize_(autoSize)
{
    // Player names and file contents are shown as they are, never as markup.
    setTextFormat(Qt::PlainText);
    setWordWrap(!autoSize);
}

void Label::setCaption(const QString &caption)
{
    text_ = caption;
    // A record file's CR LF shows as a plain line break.
    QString shown = caption;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n")).remove(u'\r');
    setText(shown);
    if (!spokenCaption.isEmpty())
        setAccessibleName(spoken::count(spokenCaption, caption));
    if (autoSize_)
        resize(sizeHint());
}

void Label::speakWithCaption(const QString &caption)
{
    spokenCaption = caption;
    setAccessibleName(spoken::count(spokenCaption, text_));
}
