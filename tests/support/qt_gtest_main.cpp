// main() for GoogleTest programs that need a QApplication. Widget tests run
// on Qt's offscreen platform unless the caller chose another, so they also
// run (and list their tests) on machines without a display. Each run gets a
// state folder of its own, so the window's recovery logs never touch the
// user's and no test sees another's.
#include <gtest/gtest.h>

#include <QApplication>

#include "support/private_state.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const PrivateStateFolder state;
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
