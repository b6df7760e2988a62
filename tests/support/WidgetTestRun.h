// What every test program of the window does before and around its tests: a runtime folder of
// its own when none is set, Qt's test locations (nothing a test does may touch the user's own
// settings or cache), the test fonts, the Japanese interface whatever the locale of the run (the
// tests of other languages switch for themselves), and windows that may close without ending
// the application.
#pragma once

#include "app/InterfaceLanguage.h"
#include "support/TestFonts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace orvanta::test {

// Runs the tests in a QApplication on the platform QT_QPA_PLATFORM names.
inline int RunWidgetTests(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QDir::tempPath() + QStringLiteral("/orvanta-test-runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    }
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    UseTestFonts();
    UseInterfaceLanguage(Language::Japanese);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

} // namespace orvanta::test
