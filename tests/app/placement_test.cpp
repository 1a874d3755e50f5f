#include "game.h"
#include "placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

// Centred where it fits; never past the top or left edge of the area, so the
// title bar stays within reach; at the area's corner when larger than it.
TEST(Placement, WithinTheAvailableArea)
{
    struct Row { QSize frame; QRect available; QPoint expected; };
    const Row rows[] = {
        {{800, 600}, {0, 0, 1024, 768}, {112, 84}},
        {{800, 600}, {0, 30, 1024, 738}, {112, 99}},       // a panel at the top
        {{990, 741}, {0, 0, 1024, 600}, {17, 0}},          // too high for a netbook
        {{2376, 1723}, {0, 0, 1600, 1200}, {0, 0}},        // larger every way
        {{2376, 1723}, {1600, 40, 1280, 984}, {1600, 40}}, // on a second screen, below a panel
        {{1024, 600}, {0, 0, 1024, 600}, {0, 0}},          // just fits
    };
    for (const Row &row : rows)
        EXPECT_EQ(placeWithin(row.frame, row.available), row.expected) << row.frame.width() << "x" << row.frame.height();
}

// Run on an offscreen screen of 640 x 400, smaller than the window.
TEST(SmallScreen, TheWindowLiesAtTheCornerAndStaysThereAfterANewGame)
{
    ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 640, 400));
    Game game;
    game.start();
    EXPECT_EQ(game.window->frameGeometry().topLeft(), QPoint(0, 0));
    game.dialogs.answers = {BoxReply::Yes};
    ASSERT_TRUE(game.window->Next_Click());
    EXPECT_TRUE(game.window->isVisible());
    EXPECT_EQ(game.window->frameGeometry().topLeft(), QPoint(0, 0));
    game.window->hide();
}
