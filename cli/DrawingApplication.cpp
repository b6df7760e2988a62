#include "cli/DrawingApplication.h"

#include "render/qt/QtCanvas.h"

#include <cstdio>
#include <string>

namespace orvanta::cli {

namespace {

void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace

std::unique_ptr<QGuiApplication> StartDrawingApplication() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietQtMessages);
    static int argc = 1;
    static char name[] = "orvanta-cli";
    static char* argv[] = {name, nullptr};
    auto app = std::make_unique<QGuiApplication>(argc, argv);
    if (const std::string problem = TextFaceProblem(); !problem.empty())
        std::fprintf(stderr, "%s\n", problem.c_str());
    return app;
}

} // namespace orvanta::cli
