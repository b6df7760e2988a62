// Starting the external DWG converter and waiting for it.
#pragma once

#include "model/Host.h"

#include <QString>

#include <functional>
#include <string>

namespace orvanta {

struct ConverterOptions {
    QString outputFolder;   // where the converted DXF goes
    bool show = false;      // let the converter show its window and its output
    int timeoutSeconds = 0; // a run that takes longer is stopped; 0 waits as long as it takes
    // Asked several times a second during the wait; true stops the converter (the user pressed
    // the stop button, or the window is closing).
    std::function<bool()> stopRequested;
};

// How a converter run ended.
enum class ConverterOutcome {
    Finished,      // the process ran and ended (its exit code is the converter's own business)
    FailedToStart, // the program could not be started; the user has been told
    Interrupted,   // the application is quitting; the process was stopped
    Stopped,       // stopRequested said so; the process was stopped
    TimedOut,      // the run took longer than timeoutSeconds; the process was stopped
};

// Runs `exePath` on `dwgPath` with the seven converter arguments (an argument list, no shell)
// and waits until it ends. While it waits the event loop keeps running, so the window stays
// painted, answers its stop button and can be closed; the caller keeps the user from starting
// anything else meanwhile. When the program cannot be started, `messages` shows
// "起動に失敗しました．" with the caption "エラー". A converter that is stopped (by the caller,
// the time limit or the application quitting) is killed and its unfinished output removed.
ConverterOutcome RunConverter(const QString& exePath, const QString& dwgPath,
                              const ConverterOptions& options, MessageSink* messages);

// Where the conversion of `source` goes: its own folder under `convertedRoot` (a folder only
// this program writes) and the DXF the converter leaves there.
struct ConversionTarget {
    QString folder;
    QString dxf;
};
ConversionTarget ConversionTargetOf(const QString& source, const QString& convertedRoot);

// Whether the target holds a conversion made since `source` last changed, which serves again.
bool ConversionIsCurrent(const ConversionTarget& target, const QString& source);

// The DXF that a converter run on `source`, ended with `outcome`, leaves in `target`: its path
// when the run finished and wrote it; empty when the converter could not be started (the user
// has been told). Throws LoadFailed when the run finished without writing it or ran longer than
// `timeoutSeconds`, and SilentAbort when it was stopped or the application is quitting.
std::string ConvertedDxf(ConverterOutcome outcome, const std::string& source,
                         const ConversionTarget& target, int timeoutSeconds);

} // namespace orvanta
