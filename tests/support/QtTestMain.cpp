// main() of the test programs that need Qt: a QGuiApplication on the offscreen platform, so that
// fonts and painting work without a display.
#include <QGuiApplication>
#include <cstdlib>
#include <gtest/gtest.h>

#include "support/TestFonts.h"

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    orvanta::test::UseTestFonts();
    return RUN_ALL_TESTS();
}
