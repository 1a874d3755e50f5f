#include "dialogs.h"

#include <QAbstractButton>
#include <QInputDialog>
#include <QMessageBox>

namespace {
QMessageBox::Icon iconOf(int flags)
{
    switch (flags & 0x70) {
    case 16: return QMessageBox::Critical;
    case 32: return QMessageBox::Question;
    case 48: return QMessageBox::Warning;
    case 64: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}
} // namespace

int QtDialogs::messageBox(const QString &text, int flags, const std::optional<QString> &title)
{
    const bool yesNo = (flags & 7) == 4;
    QMessageBox box(iconOf(flags), title.value_or(programTitle), text,
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, visibleOwner());
    // Names typed by the player end up in these texts: never read them as markup.
    box.setTextFormat(Qt::PlainText);
    if (yesNo) {
        box.setDefaultButton((flags & 0x300) == 256 ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    }
    const int pressed = box.exec();
    if (!yesNo)
        return ok;
    return pressed == QMessageBox::Yes ? yes : no;
}

QString QtDialogs::inputBox(const QString &prompt, const QString &title)
{
    QInputDialog dialog(visibleOwner());
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Annulla"));
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}
