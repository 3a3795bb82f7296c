// Runs the directory client's tests inside a Qt event loop.

#include <QCoreApplication>
#include <QThreadPool>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // Pictures still being decoded on other threads.
    QThreadPool::globalInstance()->waitForDone();
    return result;
}
