#include "dialogs.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

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
    // Set by hand: without Qt's translations (only recommended by the
    // package) the buttons would speak English.
    if (yesNo) {
        box.button(QMessageBox::Yes)->setText(QStringLiteral("&Sì"));
        box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
        box.setDefaultButton((flags & 0x300) == 256 ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
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
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Annulla"));
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

int BoxStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                        QStyleHintReturn *returnData) const
{
    if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
        return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
