#include "bridges/qt/DwgConverter.h"

#include "bridges/ConverterCommand.h"
#include "load/LoadDrawing.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>

#include <algorithm>

namespace orvanta {

namespace {

const char* const StartFailedText = "起動に失敗しました．";
const char* const StartFailedCaption = "エラー";

} // namespace

ConverterOutcome RunConverter(const QString& exePath, const QString& dwgPath,
                              const ConverterOptions& options, MessageSink* messages) {
    QStringList arguments;
    for (const std::string& argument :
         ConverterArguments(dwgPath.toStdString(), options.outputFolder.toStdString()))
        arguments << QString::fromStdString(argument);

    QProcess process;
    process.setProgram(exePath);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    if (options.show) {
        process.setProcessChannelMode(QProcess::ForwardedChannels);
    } else {
        // Hidden: the converter's output goes nowhere, and a converter built on this toolkit
        // gets no window.
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
    }

    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError) {
        if (process.state() == QProcess::NotRunning) loop.quit();
    });
    process.start();
    if (!process.waitForStarted(-1)) {
        if (messages) messages->showMessage(StartFailedText, StartFailedCaption);
        return ConverterOutcome::FailedToStart;
    }
    // The stop button and the time limit are looked at a few times a second.
    ConverterOutcome ending = ConverterOutcome::Interrupted;
    QElapsedTimer running;
    running.start();
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (options.stopRequested && options.stopRequested()) {
            ending = ConverterOutcome::Stopped;
            loop.quit();
        } else if (options.timeoutSeconds > 0 &&
                   running.elapsed() >= qint64(options.timeoutSeconds) * 1000) {
            ending = ConverterOutcome::TimedOut;
            loop.quit();
        }
    });
    watch.start(100);
    if (process.state() != QProcess::NotRunning) loop.exec();
    watch.stop();
    if (process.state() == QProcess::NotRunning) return ConverterOutcome::Finished;

    // The loop ended without the process: stopped, out of time, or the application is quitting.
    process.kill();
    process.waitForFinished(2000);
    QFile::remove(QString::fromStdString(
        ConvertedDxfPath(dwgPath.toStdString(), options.outputFolder.toStdString())));
    return ending;
}

ConversionTarget ConversionTargetOf(const QString& source, const QString& convertedRoot) {
    const std::string folder = ConversionFolder(source.toStdString(), convertedRoot.toStdString());
    return {QString::fromStdString(folder),
            QString::fromStdString(ConvertedDxfPath(source.toStdString(), folder))};
}

bool ConversionIsCurrent(const ConversionTarget& target, const QString& source) {
    const QFileInfo made(target.dxf);
    return made.isFile() && made.lastModified() >= QFileInfo(source).lastModified();
}

std::string ConvertedDxf(ConverterOutcome outcome, const std::string& source,
                         const ConversionTarget& target, int timeoutSeconds) {
    switch (outcome) {
    case ConverterOutcome::Finished:
        if (!QFileInfo(target.dxf).isFile())
            throw LoadFailed({source, 0, LoadProblem::ConverterWroteNothing});
        return target.dxf.toStdString();
    case ConverterOutcome::FailedToStart:
        return {};
    case ConverterOutcome::TimedOut: {
        LoadFailure failure{source, 0, LoadProblem::ConverterTimedOut};
        failure.limit = static_cast<std::size_t>(std::max(0, timeoutSeconds));
        throw LoadFailed(failure);
    }
    case ConverterOutcome::Stopped:
    case ConverterOutcome::Interrupted:
        break;
    }
    throw SilentAbort("stopped");
}

} // namespace orvanta
