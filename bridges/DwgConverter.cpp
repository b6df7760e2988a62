#include "bridges/DwgConverter.h"

#include "bridges/ConverterCommand.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QProcessEnvironment>

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
    if (process.state() != QProcess::NotRunning) loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (process.state() == QProcess::NotRunning) return ConverterOutcome::Finished;

    // The loop ended without the process: the application is quitting.
    process.kill();
    process.waitForFinished(2000);
    QFile::remove(QString::fromStdString(
        ConvertedDxfPath(dwgPath.toStdString(), options.outputFolder.toStdString())));
    return ConverterOutcome::Interrupted;
}

bool DwgToDxf(const QString& exePath, const QString& dwgPath, const ConverterOptions& options,
              MessageSink* messages) {
    return RunConverter(exePath, dwgPath, options, messages) != ConverterOutcome::FailedToStart;
}

} // namespace orvanta
