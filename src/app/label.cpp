#include "label.h"

#include "spoken.h"

Label::Label(QWidget *parent, bool autoSize)
    : QLabel(parent)
    , autoSize_(autoSize)
{
    // Player names and file contents are shown as they are, never as markup.
    setTextFormat(Qt::PlainText);
    setWordWrap(!autoSize);
    // A framed QLabel otherwise indents its text by half an "x" from each
    // edge it is aligned to, the top included: 6 px at 18 pt, which pushed
    // the descenders of a 33 px box into its bottom border. The caption
    // starts right inside the frame.
    setIndent(0);
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
    if (autoSize_) {
        // A transparent label gets one pixel to spare right and below its
        // frame: at a fractional scale (1.25, 1.75) one on a half pixel would
        // lose the last column or row of its frame to rounding. A filled one
        // would show the spare pixel.
        const QSize hint = sizeHint();
        const int spare = autoFillBackground() ? 0 : 1;
        resize(hint + QSize(spare, spare));
        setFrameRect(QRect(QPoint(), hint));
    }
}

void Label::speakWithCaption(const QString &caption)
{
    spokenCaption = caption;
    setAccessibleName(spoken::count(spokenCaption, text_));
}
