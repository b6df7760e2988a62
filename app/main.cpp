// orvanta: the drawing browser. The only argument is an optional drawing to open.
#include "app/Dialogs.h"
#include "app/DrawingPresenter.h"
#include "app/InterfaceLanguage.h"
#include "app/MainWindow.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orvanta"));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("orvanta"));
    orvanta::UseInterfaceLanguage(orvanta::WindowLanguage(orvanta::MessagesLocale()));

    const QStringList arguments = QApplication::arguments();
    const QString drawing = arguments.size() > 1 ? arguments.at(1) : QString();

    orvanta::QtDialogs dialogs;
    // The presenter outlives the window that uses it.
    orvanta::DrawingPresenter presenter;
    orvanta::MainWindow window(orvanta::DefaultEnvironment(drawing), dialogs);
    dialogs.setOwner(&window);
    window.setDetailPresenter(&presenter);
    window.show();
    // Once the window shows: texts cannot be drawn without their face, and the user should
    // know why rather than wonder where they went.
    QTimer::singleShot(0, &window, [&dialogs] { orvanta::ReportTextFaceProblem(dialogs); });
    return application.exec();
}
