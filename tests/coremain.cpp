#include <QCoreApplication>
#include <gtest/gtest.h>

// The main of the tests whose code needs QtCore only: no window system, no
// widgets.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
