// main() for GoogleTest programs that need a QApplication. Widget tests run
// on Qt's offscreen platform unless the caller chose another, so they also
// run (and list their tests) on machines without a display. Each run gets a
// state folder of its own, so the window's recovery logs never touch the
// user's and no test sees another's.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QDir>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    char state[] = "/tmp/kvr-test-state-XXXXXX";
    const bool ownState = ::mkdtemp(state) != nullptr;
    if (ownState) ::setenv("XDG_STATE_HOME", state, 1);
    int result = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    if (ownState) QDir(state).removeRecursively();
    return result;
}
