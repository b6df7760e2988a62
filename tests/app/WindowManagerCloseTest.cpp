// Closing the main window as a window manager does, with WM_DELETE_WINDOW on a real X server,
// while the window waits for the converter or shows a box: the window closes all the same.
#include "app/Dialogs.h"
#include "app/MainWindow.h"

#include "support/AppTesting.h"
#include "support/PrivateXServer.h"
#include "support/WidgetTestRun.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

// After GoogleTest, whose own names Xlib's macros (None, Bool) would otherwise replace.
#include <X11/Xlib.h>

#include <filesystem>
#include <fstream>

namespace orvanta {
namespace {

// The display of the private X server; empty when Xvfb is missing.
std::string DisplayName;

// Sends the window manager's request to close `window`, as a click on its close button does.
void SendDeleteWindow(WId window) {
    Display* display = XOpenDisplay(DisplayName.c_str());
    ASSERT_TRUE(display);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = static_cast<Window>(window);
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, static_cast<Window>(window), False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
}

bool AnyDxfUnder(const std::filesystem::path& folder) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.path().extension() == ".dxf") return true;
    return false;
}

TEST(WindowManagerClose, ClosingDuringAConversionStopsTheConverterAndClosesTheWindow) {
    if (DisplayName.empty()) GTEST_SKIP() << "Xvfb is not installed";
    test::WindowHarness h;
    test::TempDir folder;
    folder.write("plan.dwg", std::string("AC1027\0\0\0\0", 10));
    const std::string converter = test::SourcePath("tests/bridges/fake_converter.sh").string();
    std::ofstream(h.settingsPath()) << "[Teigha]\nExePath=" << converter << "\n[Page]\nTab=1\n";
    // Left alone, the converter would write its DXF after four seconds.
    qputenv("ORVANTA_CONVERTER_DELAY", "4");

    QtDialogs dialogs;
    MainWindow window(h.environment(), dialogs);
    dialogs.setOwner(&window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    // The close arrives while the conversion box is up.
    QTimer::singleShot(500, &window, [&] { SendDeleteWindow(window.winId()); });
    window.showFolder(QString::fromStdString(folder.path().string()));
    EXPECT_FALSE(window.isVisible()) << "the window closed";
    // A converter left running would write its file when its delay is over.
    QTest::qWait(4500);
    EXPECT_FALSE(AnyDxfUnder(h.dir.path())) << "the converter was stopped, no partial output";
    qunsetenv("ORVANTA_CONVERTER_DELAY");
}

TEST(WindowManagerClose, ClosingWhileABoxIsUpClosesTheBoxAndTheWindow) {
    if (DisplayName.empty()) GTEST_SKIP() << "Xvfb is not installed";
    test::WindowHarness h;
    QtDialogs dialogs;
    MainWindow window(h.environment(), dialogs);
    dialogs.setOwner(&window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QTimer::singleShot(500, &window, [&] { SendDeleteWindow(window.winId()); });
    // Should the close not come through, the box is answered so that the test ends.
    QTimer::singleShot(5000, &window, [] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget)) box->reject();
    });
    EXPECT_FALSE(dialogs.question(QStringLiteral("上書きしますか?"), QStringLiteral("情報")));
    EXPECT_FALSE(window.isVisible());
}

} // namespace
} // namespace orvanta

// The window runs on the private X server, so that the close comes from the X protocol.
int main(int argc, char** argv) {
    orvanta::test::PrivateXServer server;
    orvanta::DisplayName = server.name();
    qputenv("QT_QPA_PLATFORM", orvanta::DisplayName.empty() ? "offscreen" : "xcb");
    if (!orvanta::DisplayName.empty()) qputenv("DISPLAY", QByteArray::fromStdString(server.name()));
    return orvanta::test::RunWidgetTests(argc, argv);
}
