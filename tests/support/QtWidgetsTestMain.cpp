// main() for tests that need a QApplication: the window runs on the offscreen platform, so no
// test ever opens a real window or waits for one.
#include "support/WidgetTestRun.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return orvanta::test::RunWidgetTests(argc, argv);
}
