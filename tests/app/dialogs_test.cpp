#include "dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <gtest/gtest.h>
#include <functional>

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

// The buttons speak Italian even where Qt's translation is not installed.
TEST(QtDialogs, ItalianButtonsWithoutQtTranslation)
{
    const QList<QTranslator *> translators = qApp->findChildren<QTranslator *>();
    for (QTranslator *translator : translators)
        QCoreApplication::removeTranslator(translator);
    ASSERT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), "&Yes") << "the translation is still there";
    QtDialogs dialogs;
    struct Row { BoxKind kind; QStringList texts; };
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
    for (QTranslator *translator : translators)
        QCoreApplication::installTranslator(translator);
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

// The boxes' buttons carry their text only, also under a desktop whose
// style puts icons on them (a proxy here; offscreen's own puts none).
TEST(QtDialogs, ButtonsWithoutIconsWhereTheDesktopAsksForThem)
{
    struct IconsOnButtons : QProxyStyle
    {
        IconsOnButtons() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
        int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget, QStyleHintReturn *data) const override
        {
            return hint == SH_DialogButtonBox_ButtonsHaveIcons || QProxyStyle::styleHint(hint, option, widget, data);
        }
    };
    const QString before = QApplication::style()->name();
    for (const bool boxStyle : {false, true}) {
        QApplication::setStyle(boxStyle ? static_cast<QStyle *>(new BoxStyle(new IconsOnButtons)) : new IconsOnButtons);
        QStringList icons;
        whenModal([&](QWidget *modal) {
            for (const QAbstractButton *button : modal->findChildren<QAbstractButton *>())
                icons << (button->icon().isNull() ? "none" : "icon");
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        QtDialogs().inputBox(QStringLiteral("Come ti chiami?"), QStringLiteral("t"));
        EXPECT_EQ(icons, QStringList(2, boxStyle ? "none" : "icon"));
    }
    QApplication::setStyle(before);
}
