#include "cli/CommandSupport.h"

#include "render/qt/QtCanvas.h"

#include <QGuiApplication>

#include <cstdio>

namespace orvanta::cli {

namespace {

// Qt's own notes (missing runtime folder and the like) would bury the commands' one-line
// errors; only its critical messages are passed on.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace

bool ParseInt(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 9) return false;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v < low || v > high) return false;
    value = v;
    return true;
}

bool ParseColorMode(const std::string& text, ColorModeValue& mode) {
    int number = 0;
    if (!ParseInt(text, 0, 2, number)) return false;
    constexpr ColorModeValue Modes[] = {ColorModeColor, ColorModeMonochrome, ColorModeInverted};
    mode = Modes[number];
    return true;
}

bool ParseSize(const std::string& text, int lowWidth, int lowHeight, int high, int& width,
               int& height) {
    const auto x = text.find_first_of("xX");
    if (x == std::string::npos) return false;
    return ParseInt(text.substr(0, x), lowWidth, high, width) &&
           ParseInt(text.substr(x + 1), lowHeight, high, height);
}

void StartGuiApplication() {
    // Fonts and painting need a GUI application, but no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietQtMessages);
    static int argc = 1;
    static char name[] = "orvanta-cli";
    static char* argv[] = {name, nullptr};
    // Never destroyed: it must outlive every font and picture the command made, and the
    // process ends right after the command.
    static QGuiApplication* const app = new QGuiApplication(argc, argv);
    (void)app;
    if (const std::string problem = TextFaceProblem(); !problem.empty())
        std::fprintf(stderr, "%s\n", problem.c_str());
}

} // namespace orvanta::cli
