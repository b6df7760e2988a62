// The file side of the main window: showing and scanning a folder, choosing a row, and loading
// the chosen drawing.
#include "app/FileListPanel.h"
#include "app/FolderScan.h"
#include "app/MainWindow.h"
#include "app/SidePanel.h"
#include "bridges/ConverterCommand.h"
#include "bridges/DwgConverter.h"
#include "dxf/DxfReader.h"
#include "dxf/DxfVersion.h"
#include "model/Abort.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QTabWidget>

namespace orvanta {

namespace {

const char* const LoadErrorText = " 読み込みエラーです";
const char* const LoadErrorCaption = "情報";

// The reader's progress on the window's progress bar, painted at once (the reader runs on the
// interface thread and lets no paint event through).
class ProgressBarSink : public ProgressSink {
  public:
    explicit ProgressBarSink(QProgressBar& bar) : bar_(bar) {}
    void setMaximum(int maximum) override { bar_.setMaximum(std::max(1, maximum)); }
    void setPosition(int position) override {
        bar_.setValue(std::clamp(position, bar_.minimum(), bar_.maximum()));
        bar_.repaint();
    }
    int position() const override { return bar_.value(); }

  private:
    QProgressBar& bar_;
};

// The converter's start failure, shown with the normal cursor.
class ConverterMessages : public MessageSink {
  public:
    explicit ConverterMessages(Dialogs& dialogs) : dialogs_(dialogs) {}
    void showMessage(const std::string& text, const std::string& caption) override {
        QApplication::restoreOverrideCursor();
        dialogs_.message(QString::fromStdString(text), QString::fromStdString(caption),
                         Dialogs::Icon::Error);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }

  private:
    Dialogs& dialogs_;
};

bool IsDwgSignature(const std::string& signature) {
    return signature.size() == 6 && signature.compare(0, 3, "AC1") == 0;
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

void MainWindow::showFolder(const QString& folder) {
    folderChosen_ = true;
    fileList_->pathLabel()->setText(folder);
    setWindowTitle(QStringLiteral("Orvanta2017 [") + folder + QLatin1Char(']'));
    scanFolder();
}

void MainWindow::scanFolder() {
    DeleteTempDxf(env_.convertedFolder.toStdString());
    const QString folder = fileList_->folder();
    // A scan lets window events through; a scan started by one of them supersedes this one.
    const int generation = ++scanGeneration_;
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    const FolderScanResult result = ScanDrawingFolder(folder.toStdString(), [&](int count) {
        if (sinceEvents.elapsed() >= 40) {
            setStatusText(0, QStringLiteral("DXFファイル検索中 ... ") + QString::number(count));
            QCoreApplication::processEvents();
            sinceEvents.restart();
        }
        return generation == scanGeneration_ && !closing_;
    });
    if (result.stopped || generation != scanGeneration_) return;

    setStatusText(0, result.anyCandidate ? QStringLiteral("DXFファイル取得数 = ") +
                                               QString::number(result.files.size())
                                         : QString());
    fileList_->setFiles(result.files);

    if (detailTabShowing()) {
        if (pending_) {
            const int row = fileList_->findRow(pendingName_);
            if (row >= 0) fileList_->setCurrentRowQuietly(row);
            pending_ = false;
            pendingName_.clear();
        }
        chooseRow(fileList_->currentRow());
    } else {
        QElapsedTimer timer;
        timer.start();
        buildThumbnails();
        lastPreviewFolder_ = fileList_->pathLabel()->text();
        setStatusText(3, QString::asprintf("%.3f", timer.elapsed() / 1000.0));
    }
}

void MainWindow::chooseRow(int row) {
    presenter_->clearCrossHair();
    const QString name = fileList_->cell(row, FileListPanel::NameColumn);
    if (name.isEmpty()) return;
    const QString path = QDir(fileList_->folder()).filePath(name);
    // The preview grid follows the row here once it exists.
    if (!detailTabShowing()) return;
    tabs_->setFocus();
    if (drawingLabel_->text() == name) return;
    drawingLabel_->setText(name);
    runUserAction([&] { OpenDrawing(path); });
}

bool MainWindow::convert(const QString& source) {
    QDir().mkpath(env_.convertedFolder);
    ConverterMessages messages(dialogs_);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ConverterOutcome outcome =
        RunConverter(QString::fromStdString(settings_.converterExePath), source,
                     {env_.convertedFolder, settings_.converterShow}, &messages);
    QApplication::restoreOverrideCursor();
    // The window is closing: nothing more is loaded and nothing is reported.
    if (outcome == ConverterOutcome::Interrupted) throw SilentAbort("closing");
    return outcome == ConverterOutcome::Finished;
}

void MainWindow::OpenDrawing(const QString& path) {
    const int row = fileList_->currentRow();
    auto setCell = [&](int column, const std::string& text) {
        fileList_->setCell(row, column, Q(text));
    };
    bool rendered = false;
    try {
        const QFileInfo info(path);
        drawingLabel_->setText(info.fileName());
        QString extension = QLatin1Char('.') + info.suffix().toUpper();
        QString working = path;
        const std::string converter = settings_.converterExePath;
        const bool haveConverter = !converter.empty() && QFileInfo(Q(converter)).isFile();
        const QString converted =
            Q(ConvertedDxfPath(path.toStdString(), env_.convertedFolder.toStdString()));
        bool dwg = false;
        bool binary = false;
        std::string signature;

        if (extension == QLatin1String(".DWG") && info.exists() &&
            ProbeFileSignature(path.toStdString(), signature)) {
            dwg = true;
            std::string name;
            DwgVersionName(signature, name);
            setCell(FileListPanel::VersionColumn, name);
            setCell(FileListPanel::KindColumn, "DWG");
            if (haveConverter) {
                setStatusText(0, QStringLiteral("DWG->DXF変換中 ... "));
                working = converted;
                extension = QStringLiteral(".DXF");
                if (!QFileInfo::exists(working)) convert(path);
                setStatusText(0, QString());
            }
        }

        // A DWG without a usable converter, or any other kind of file, stops here.
        if (QFileInfo::exists(working) && extension == QLatin1String(".DXF")) {
            if (ProbeFileSignature(working.toStdString(), signature) && IsDwgSignature(signature)) {
                // A DWG under a DXF name.
                binary = true;
                std::string name;
                DxfVersionName(signature, name);
                setCell(FileListPanel::VersionColumn, name);
                setCell(FileListPanel::KindColumn, "BinaryDXF");
                if (haveConverter) {
                    setStatusText(0, QStringLiteral("DXF->DXF 変換中 ... "));
                    working = converted;
                    if (!QFileInfo::exists(working)) convert(path);
                    setStatusText(0, QString());
                }
            }
        }

        // A conversion that left no file loads nothing, rather than an empty drawing.
        if (QFileInfo::exists(working) && extension == QLatin1String(".DXF")) {
            QElapsedTimer timer;
            timer.start();

            std::string version;
            ReadDxfVersion(working.toStdString(), version);
            if (!dwg && !binary) {
                std::string name;
                DxfVersionName(version, name);
                setCell(FileListPanel::VersionColumn, name);
            }
            const TextEncoding encoding = EncodingForVersion(version);

            ProgressBarSink progress(*progressBar_);
            DialogMessageSink messages(dialogs_, Dialogs::Icon::Information);
            std::string status;
            presenter_->drawingWillLoad();
            ReadDxfFile(drawing_, working.toStdString(), &progress, &messages, status, encoding);
            if (!status.empty()) setCell(FileListPanel::KindColumn, status);

            sidePanel_->showDrawing(drawing_);

            // Normalisation, fitting and rendering belong to the presenter.
            presenter_->drawingLoaded();
            rendered = true;
            setStatusText(3, QString::asprintf("%.2f", timer.elapsed() / 1000.0));
        }
    } catch (const std::exception& e) {
        if (closing_) throw SilentAbort(e.what());
        detailView_->clearCanvas();
        progressBar_->setValue(0);
        dialogs_.message(path + QLatin1Char('\r') + QString::fromUtf8(LoadErrorText),
                         QString::fromUtf8(LoadErrorCaption), Dialogs::Icon::Information);
        throw SilentAbort(e.what());
    }
    if (!rendered) detailView_->clearCanvas();
}

} // namespace orvanta
