#pragma once

#include <QPointer>
#include <QProxyStyle>
#include <QString>
#include <QWidget>
#include <optional>

// The kinds of message box, by the flag word each one is asked with.
enum class BoxKind {
    Ok = 0,                       // an OK button only
    OkExclamation = 48,           // OK with the exclamation icon
    YesNoQuestionDefaultNo = 292, // Yes and No, question icon, No the default
};

// What a message box returns.
enum class BoxReply { Ok = 1, Yes = 6, No = 7 };

// The game's modal boxes. Handlers talk to this interface only, so tests can
// answer every box from a script and check its text, kind and title.
class Dialogs
{
public:
    static inline const QString programTitle = QStringLiteral("Quozzolo");

    virtual ~Dialogs() = default;

    // A box with no title of its own carries programTitle.
    BoxReply messageBox(const QString &text, BoxKind kind, const std::optional<QString> &title = std::nullopt)
    {
        return showMessage(text, kind, title);
    }

    // The text typed, or the empty text on Cancel.
    QString inputBox(const QString &prompt, const QString &title) { return askText(prompt, title); }

    // The window that boxes centre on while it is visible.
    void setOwner(QWidget *window) { owner = window; }

protected:
    virtual BoxReply showMessage(const QString &text, BoxKind kind, const std::optional<QString> &title) = 0;
    virtual QString askText(const QString &prompt, const QString &title) = 0;

    QWidget *visibleOwner() const { return owner && owner->isVisible() ? owner.data() : nullptr; }

private:
    QPointer<QWidget> owner;
};

class QtDialogs final : public Dialogs
{
protected:
    BoxReply showMessage(const QString &text, BoxKind kind, const std::optional<QString> &title) override;
    QString askText(const QString &prompt, const QString &title) override;
};

// The application's style: the boxes' buttons carry their text only (where
// the desktop asks for icons on them, finding those in the icon themes was
// a third of the work before the first box showed), in the order the game's
// boxes have everywhere.
class BoxStyle final : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption *option = nullptr, const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;
};
