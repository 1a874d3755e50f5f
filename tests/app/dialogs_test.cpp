#include "dialogs.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <memory>

namespace {
// Answers the real modal box as soon as it shows, with what `act` does to it.
void whenModal(std::function<void(QWidget *)> act)
{
    QTimer::singleShot(0, [act] {
        QWidget *modal = nullptr;
        for (int i = 0; i < 100 && !modal; ++i) {
            modal = QApplication::activeModalWidget();
            if (!modal)
                QTest::qWait(10);
        }
        ASSERT_NE(modal, nullptr);
        act(modal);
    });
}
} // namespace

// One smoke test of the real boxes: flags, titles, buttons and results.
TEST(QtDialogs, MessageBoxesFollowTheirFlagWord)
{
    QtDialogs dialogs;
    struct Row { BoxKind kind; QMessageBox::Icon icon; int buttons; QString title; BoxReply enterResult; };
    const Row rows[] = {
        {BoxKind::Ok, QMessageBox::NoIcon, 1, QStringLiteral("Quozzolo"), BoxReply::Ok},
        {BoxKind::OkExclamation, QMessageBox::Warning, 1, QStringLiteral("Sei pronto"), BoxReply::Ok},
        {BoxKind::YesNoQuestionDefaultNo, QMessageBox::Question, 2, QStringLiteral("INIZIARE NUOVA GARA"), BoxReply::No},
    };
    // The kinds are the flag words the boxes are asked with.
    EXPECT_EQ(static_cast<int>(BoxKind::Ok), 0);
    EXPECT_EQ(static_cast<int>(BoxKind::OkExclamation), 48);
    EXPECT_EQ(static_cast<int>(BoxKind::YesNoQuestionDefaultNo), 292);
    for (const Row &row : rows) {
        QString seenTitle, seenText;
        QMessageBox::Icon seenIcon{};
        qsizetype seenButtons = 0;
        whenModal([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            ASSERT_NE(box, nullptr);
            seenTitle = box->windowTitle();
            seenText = box->text();
            seenIcon = box->icon();
            seenButtons = box->buttons().size();
            QTest::keyClick(box, Qt::Key_Return); // the default button
        });
        const std::optional<QString> title = row.title == "Quozzolo" ? std::nullopt : std::optional(row.title);
        const BoxReply result = dialogs.messageBox(QStringLiteral("<b>Anna</b>"), row.kind, title);
        EXPECT_EQ(result, row.enterResult) << static_cast<int>(row.kind);
        EXPECT_EQ(seenTitle, row.title);
        EXPECT_EQ(seenText, "<b>Anna</b>");
        EXPECT_EQ(seenIcon, row.icon);
        EXPECT_EQ(seenButtons, row.buttons);
    }
}

// Qt's strings a player meets speak Italian with the game's own translation
// alone, as the test main installs it: the boxes' buttons, and the right-click
// menu of the name box (the answer box's is the same Qt menu).
TEST(QtDialogs, ItalianWithoutQtsTranslation)
{
    ASSERT_EQ(QCoreApplication::translate("QFileDialog", "Open"), "Open") << "Qt's translation is installed";
    QtDialogs dialogs;
    struct Row { BoxKind kind; QStringList texts; }; // texts sorted
    const Row rows[] = {
        {BoxKind::YesNoQuestionDefaultNo, {"&No", QString::fromUtf16(u"&Sì")}},
        {BoxKind::OkExclamation, {"OK"}},
    };
    for (const Row &row : rows) {
        QStringList texts;
        whenModal([&](QWidget *modal) {
            for (QAbstractButton *button : qobject_cast<QMessageBox *>(modal)->buttons())
                texts << button->text();
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        dialogs.messageBox(QStringLiteral("?"), row.kind, QStringLiteral("t"));
        texts.sort();
        EXPECT_EQ(texts, row.texts);
    }

    QStringList buttons, menu;
    whenModal([&](QWidget *modal) {
        for (QAbstractButton *button : modal->findChildren<QAbstractButton *>())
            buttons << button->text();
        const std::unique_ptr<QMenu> popup(modal->findChild<QLineEdit *>()->createStandardContextMenu());
        for (const QAction *action : popup->actions())
            if (!action->isSeparator())
                menu << action->text().section(u'\t', 0, 0);
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    dialogs.inputBox(QStringLiteral("Come ti chiami?"), QStringLiteral("t"));
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"Annulla", "OK"}));
    EXPECT_EQ(menu, (QStringList{"Ann&ulla", "&Rifai", "&Taglia", "&Copia", "&Incolla", "Elimina", "Seleziona tutto"}));
}

TEST(QtDialogs, InputBoxGivesTheTextOrNothingOnCancel)
{
    QtDialogs dialogs;
    QString seenTitle;
    whenModal([&](QWidget *modal) {
        seenTitle = modal->windowTitle();
        auto *edit = modal->findChild<QLineEdit *>();
        ASSERT_NE(edit, nullptr);
        QTest::keyClicks(edit, QStringLiteral(" Anna "));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    EXPECT_EQ(dialogs.inputBox(QStringLiteral("Come ti chiami?"), QStringLiteral("Gioca con le Quozzolo")), " Anna ");
    EXPECT_EQ(seenTitle, "Gioca con le Quozzolo");

    whenModal([](QWidget *modal) {
        QTest::keyClicks(modal->findChild<QLineEdit *>(), QStringLiteral("Bruno"));
        qobject_cast<QDialog *>(modal)->reject();
    });
    EXPECT_EQ(dialogs.inputBox(QStringLiteral("Come ti chiami?"), QStringLiteral("x")), "");
}

// The boxes' buttons carry their text only, Sì before No and OK before
// Annulla, also under a desktop whose style puts icons on them and orders
// them as GNOME does (a proxy here; offscreen's own does neither).
TEST(QtDialogs, ButtonsAsTheGamesBoxesHaveThemWhateverTheDesktopAsks)
{
    struct GnomeLike : QProxyStyle
    {
        GnomeLike() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
        int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget, QStyleHintReturn *data) const override
        {
            if (hint == SH_DialogButtonLayout)
                return QDialogButtonBox::GnomeLayout;
            return hint == SH_DialogButtonBox_ButtonsHaveIcons || QProxyStyle::styleHint(hint, option, widget, data);
        }
    };
    // The buttons' texts from left to right, each with "+" when it has an icon.
    const auto buttonsOf = [](QWidget *modal) {
        QList<QAbstractButton *> buttons = modal->findChildren<QAbstractButton *>();
        std::sort(buttons.begin(), buttons.end(), [](QAbstractButton *a, QAbstractButton *b) {
            return a->mapToGlobal(QPoint()).x() < b->mapToGlobal(QPoint()).x();
        });
        QStringList texts;
        for (const QAbstractButton *button : buttons)
            texts << button->text() + (button->icon().isNull() ? "" : "+");
        return texts;
    };
    const QString before = QApplication::style()->name();
    for (const bool boxStyle : {false, true}) {
        SCOPED_TRACE(boxStyle ? "the game's style" : "the desktop's style alone");
        QApplication::setStyle(boxStyle ? static_cast<QStyle *>(new BoxStyle(new GnomeLike)) : new GnomeLike);
        QStringList input, question;
        whenModal([&](QWidget *modal) {
            input = buttonsOf(modal);
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        QtDialogs().inputBox(QStringLiteral("Come ti chiami?"), QStringLiteral("t"));
        whenModal([&](QWidget *modal) {
            question = buttonsOf(modal);
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        QtDialogs().messageBox(QStringLiteral("?"), BoxKind::YesNoQuestionDefaultNo, QStringLiteral("t"));
        if (boxStyle) {
            EXPECT_EQ(input, (QStringList{"OK", "Annulla"}));
            EXPECT_EQ(question, (QStringList{QString::fromUtf16(u"&Sì"), "&No"}));
        } else {
            EXPECT_EQ(input, (QStringList{"Annulla+", "OK+"}));
            EXPECT_EQ(question, (QStringList{"&No+", QString::fromUtf16(u"&Sì+")}));
        }
    }
    QApplication::setStyle(before);
}
