// Entry point of the window tests: one QApplication for the whole run, on the
// offscreen platform unless the environment chose another.

#include "qt/DialogUnits.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    InstallDialogFont(); // as the window tool does at start-up
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
