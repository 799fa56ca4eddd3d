#include <QCoreApplication>
#include <gtest/gtest.h>

// Core tests run with a plain event loop: timers and yields need an
// application object, but nothing here opens a window.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
