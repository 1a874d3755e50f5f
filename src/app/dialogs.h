#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <optional>

// The game's modal boxes. Handlers talk to this interface only, so tests can
// answer every box from a script and check its text, flags and title.
class Dialogs
{
public:
    // Flag words of a message box.
    static constexpr int okOnly = 0;
    static constexpr int okExclamation = 48;
    static constexpr int yesNoQuestionDefaultNo = 292;
    // What a message box returns.
    static constexpr int ok = 1;
    static constexpr int yes = 6;
    static constexpr int no = 7;

    static inline const QString programTitle = QStringLiteral("Quozzolo");

    virtual ~Dialogs() = default;

    // A box with no title of its own carries programTitle.
    virtual int messageBox(const QString &text, int flags, const std::optional<QString> &title = std::nullopt) = 0;

    // The text typed, or the empty text on Cancel.
    virtual QString inputBox(const QString &prompt, const QString &title) = 0;

    // The window that boxes centre on while it is visible.
    void setOwner(QWidget *window) { owner = window; }

protected:
    QWidget *visibleOwner() const { return owner && owner->isVisible() ? owner.data() : nullptr; }

private:
    QPointer<QWidget> owner;
};

class QtDialogs final : public Dialogs
{
public:
    int messageBox(const QString &text, int flags, const std::optional<QString> &title = std::nullopt) override;
    QString inputBox(const QString &prompt, const QString &title) override;
};
