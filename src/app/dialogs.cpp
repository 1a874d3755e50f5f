#include "dialogs.h"

#include <QDialogButtonBox>
#include <QInputDialog>
#include <QMessageBox>

namespace {
QMessageBox::Icon iconOf(BoxKind kind)
{
    // The icon is the flag word's 0x70 bits, the buttons its low three bits.
    switch (static_cast<int>(kind) & 0x70) {
    case 16: return QMessageBox::Critical;
    case 32: return QMessageBox::Question;
    case 48: return QMessageBox::Warning;
    case 64: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}
} // namespace

BoxReply QtDialogs::showMessage(const QString &text, BoxKind kind, const std::optional<QString> &title)
{
    const int flags = static_cast<int>(kind);
    const bool yesNo = (flags & 7) == 4;
    QMessageBox box(iconOf(kind), title.value_or(programTitle), text,
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, visibleOwner());
    // Names typed by the player end up in these texts: never read them as markup.
    box.setTextFormat(Qt::PlainText);
    if (yesNo) {
        box.setDefaultButton((flags & 0x300) == 256 ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    }
    const int pressed = box.exec();
    if (!yesNo)
        return BoxReply::Ok;
    return pressed == QMessageBox::Yes ? BoxReply::Yes : BoxReply::No;
}

QString QtDialogs::askText(const QString &prompt, const QString &title)
{
    QInputDialog dialog(visibleOwner());
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setInputMode(QInputDialog::TextInput);
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

int BoxStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                        QStyleHintReturn *returnData) const
{
    if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
        return 0;
    // Sì before No and OK before Annulla, as on Windows, whatever order the
    // desktop's theme asks for (GNOME's puts them the other way round).
    if (hint == SH_DialogButtonLayout)
        return QDialogButtonBox::WinLayout;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
