// main() for tests that need a QApplication: the window runs on the offscreen platform, so no
// test ever opens a real window or waits for one.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "app/InterfaceLanguage.h"
#include "support/TestFonts.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QDir::tempPath() + QStringLiteral("/orvanta-test-runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    }
    // Nothing a test does may touch the user's own settings or cache.
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    orvanta::test::UseTestFonts();
    // The window tests compare the window's Japanese texts, whatever the locale of the run; the
    // tests of other languages switch for themselves.
    orvanta::UseInterfaceLanguage(orvanta::Language::Japanese);
    // Tests close windows without an event loop; none of that may end the application.
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
