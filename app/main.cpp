// orvanta: the drawing browser. The only argument is an optional drawing to open.
#include "app/Dialogs.h"
#include "app/MainWindow.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orvanta"));

    const QStringList arguments = QApplication::arguments();
    const QString drawing = arguments.size() > 1 ? arguments.at(1) : QString();

    orvanta::QtDialogs dialogs;
    orvanta::MainWindow window(orvanta::DefaultEnvironment(drawing), dialogs);
    dialogs.setOwner(&window);
    window.show();
    return application.exec();
}
