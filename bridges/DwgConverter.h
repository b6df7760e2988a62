// Starting the external DWG converter and waiting for it.
#pragma once

#include "model/Host.h"

#include <QString>

namespace orvanta {

struct ConverterOptions {
    QString outputFolder; // where the converted DXF goes
    bool show = false;    // let the converter show its window and its output
};

// How a converter run ended.
enum class ConverterOutcome {
    Finished,      // the process ran and ended (its exit code is the converter's own business)
    FailedToStart, // the program could not be started; the user has been told
    Interrupted,   // the application is closing; the process was stopped
};

// Runs `exePath` on `dwgPath` with the seven converter arguments (an argument list, no shell)
// and waits until it ends. While it waits the event loop keeps running, so the window stays
// painted and can be closed, but user input is held back until the converter is done: the
// converted file must not be asked for twice or deleted by a folder scan while it is written.
// When the program cannot be started, `messages` shows "起動に失敗しました．" with the caption
// "エラー". When the application quits during the wait, the converter is stopped and its
// unfinished output removed.
ConverterOutcome RunConverter(const QString& exePath, const QString& dwgPath,
                              const ConverterOptions& options, MessageSink* messages);

// The converter call as the load pipeline uses it: true unless the process could not be started.
bool DwgToDxf(const QString& exePath, const QString& dwgPath, const ConverterOptions& options,
              MessageSink* messages);

} // namespace orvanta
