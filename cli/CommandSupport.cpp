#include "cli/CommandSupport.h"

#include "dxf/TextDecoder.h"

#include "geometry/Layouts.h"
#include "render/ViewState.h"

#include "render/qt/QtCanvas.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <stdlib.h>
#include <unistd.h>

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

bool ParseEncoding(const std::string& text, std::string& name) {
    if (text == "auto") {
        name.clear();
        return true;
    }
    if (!EncodingNamed(text)) return false;
    name = text;
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

namespace {

// The runtime folder made for this process; empty when the environment named one.
char RuntimeFolder[4200];

// Without XDG_RUNTIME_DIR, Qt makes "runtime-<user>" in the temporary folder and leaves it there.
// A file manager runs thumbnailers with a temporary folder of its own that it removes afterwards,
// and a folder left in it makes that fail, once per drawing. A private folder is made instead
// and removed when the process ends.
void MakePrivateRuntimeFolder() {
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) return;
    const QByteArray pattern = QFile::encodeName(QDir::tempPath()) + "/orvanta-runtime-XXXXXX";
    if (static_cast<std::size_t>(pattern.size()) >= sizeof RuntimeFolder) return;
    std::memcpy(RuntimeFolder, pattern.constData(), pattern.size() + 1);
    if (!::mkdtemp(RuntimeFolder)) {
        RuntimeFolder[0] = '\0';
        return;
    }
    qputenv("XDG_RUNTIME_DIR", RuntimeFolder);
    std::atexit(RemovePrivateRuntimeFolder);
}

} // namespace

void RemovePrivateRuntimeFolder() {
    // Qt keeps nothing in it that outlives the process; rmdir is safe in a signal handler.
    if (RuntimeFolder[0] != '\0') ::rmdir(RuntimeFolder);
}

void StartGuiApplication() {
    // Fonts and painting need a GUI application, but no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    MakePrivateRuntimeFolder();
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
