// The file side of the main window: showing and scanning a folder, choosing a row, and loading
// the chosen drawing.
#include "app/FileListPanel.h"
#include "app/FolderTree.h"
#include "app/MainWindow.h"
#include "app/SidePanel.h"
#include "bridges/ConverterCommand.h"
#include "bridges/qt/DwgConverter.h"
#include "browse/FolderScan.h"
#include "dxf/DxfReader.h"
#include "load/LoadDrawing.h"
#include "model/Abort.h"
#include "render/ViewState.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QStringList>
#include <QTabWidget>

namespace orvanta {

namespace {

// A text the window shows, in the window's language: the Japanese source text, or its
// translation (app/translations) when the window speaks another language.
QString Tr(const char* text) {
    return QCoreApplication::translate("MainWindow", text);
}

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

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

void MainWindow::showFolder(const QString& folder) {
    // The tree follows the folder shown, however it was chosen.
    tree_->reveal(folder);
    folderChosen_ = true;
    fileList_->pathLabel()->setText(folder);
    setWindowTitle(QStringLiteral("Orvanta2017 [") + folder + QLatin1Char(']'));
    scanFolder();
    if (!keepSearchScope_) updateSearchScope();
}

void MainWindow::scanFolder() {
    // The pictures of the folder shown before are no longer wanted.
    stopPreviews();
    DeleteTempDxf(env_.convertedFolder.toStdString());
    const QString folder = fileList_->folder();
    // A scan lets window events through; a scan started by one of them supersedes this one.
    const int generation = ++scanGeneration_;
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    const FolderScanResult result = ScanDrawingFolder(folder.toStdString(), [&](int count) {
        if (sinceEvents.elapsed() >= 40) {
            setStatusText(StatusPanel::Progress,
                          Tr("DXFファイル検索中 ... ") + QString::number(count));
            QCoreApplication::processEvents();
            sinceEvents.restart();
        }
        return generation == scanGeneration_ && !closing_;
    });
    if (result.stopped || generation != scanGeneration_) return;

    setStatusText(StatusPanel::Progress,
                  result.anyCandidate
                      ? Tr("DXFファイル取得数 = ") + QString::number(result.files.size())
                      : QString());
    folderFiles_ = result.files;
    showListedFiles(true);

    if (detailTabShowing()) {
        if (pending_) {
            const int row = fileList_->findRow(pendingName_);
            if (row >= 0) fileList_->setCurrentRowQuietly(row);
            pending_ = false;
            pendingName_.clear();
        }
        chooseRow(fileList_->currentRow());
    } else {
        // The build's time is shown when its last picture is in.
        buildThumbnails();
        lastPreviewFolder_ = fileList_->pathLabel()->text();
    }
}

void MainWindow::chooseRow(int row) {
    presenter_->clearCrossHair();
    const QString name = fileList_->cell(row, FileListPanel::NameColumn);
    if (name.isEmpty()) return;
    const QString path = QDir(fileList_->folder()).filePath(name);
    followRowInGrid(row);
    if (!detailTabShowing()) return;
    tabs_->setFocus();
    // Files of the same name in different folders are different drawings.
    if (currentDrawingPath_ == path) return;
    runUserAction([&] { OpenDrawing(path); });
}

QString MainWindow::convert(const QString& source) {
    const ConversionTarget target = ConversionTargetOf(source, env_.convertedFolder);
    if (ConversionIsCurrent(target, source)) return target.dxf;
    QDir().mkpath(target.folder);

    const bool dwg =
        QFileInfo(source).suffix().compare(QLatin1String("dwg"), Qt::CaseInsensitive) == 0;
    const QString doing = Tr(dwg ? "DWG->DXF変換中 ... " : "DXF->DXF 変換中 ... ");
    setStatusText(StatusPanel::Progress, doing);
    ConverterOutcome outcome;
    {
        // The box keeps the user from the window while the converter runs, and stops it.
        std::unique_ptr<WaitBox> wait =
            dialogs_.showWait(doing + QFileInfo(source).fileName(), QStringLiteral("Orvanta"));
        ConverterMessages messages(dialogs_);
        ConverterOptions options{target.folder, settings_.converterShow,
                                 settings_.converterTimeoutSeconds,
                                 [&] { return closing_ || wait->stopRequested(); }};
        QApplication::setOverrideCursor(Qt::WaitCursor);
        outcome = RunConverter(Q(settings_.converterExePath), source, options, &messages);
        QApplication::restoreOverrideCursor();
    }
    setStatusText(StatusPanel::Progress, QString());

    const std::string name = source.toStdString();
    // The user who stopped the converter is told the drawing was not loaded; a window that is
    // closing says nothing. A converter that could not be started leaves the drawing unloaded,
    // as without a converter (the user has been told).
    if (outcome == ConverterOutcome::Stopped && !closing_)
        throw LoadFailed({name, 0, LoadProblem::ConversionStopped});
    return Q(ConvertedDxf(outcome, name, target, settings_.converterTimeoutSeconds));
}

void MainWindow::forgetDrawing() {
    drawing_ = Drawing();
    currentDrawingPath_.clear();
    sidePanel_->clearDrawing();
    layoutTabs_->hide();
    detailView_->clearCanvas();
}

// The load routine asks the window for a conversion only when a converter is registered.
class MainWindow::WindowConverter : public DrawingConverter {
  public:
    explicit WindowConverter(MainWindow& window) : window_(window) {}
    std::string convert(const std::string& source) override {
        return window_.convert(Q(source)).toStdString();
    }

  private:
    MainWindow& window_;
};

DrawingConverter* MainWindow::registeredConverter() {
    const std::string& converterPath = settings_.converterExePath;
    if (converterPath.empty() || !QFileInfo(Q(converterPath)).isFile()) return nullptr;
    if (!windowConverter_) windowConverter_ = std::make_unique<WindowConverter>(*this);
    return windowConverter_.get();
}

void MainWindow::showReaderStatus(int row, const LoadedDrawing& loaded, const QString& failure) {
    if (!loaded.versionName.empty())
        fileList_->setCell(row, FileListPanel::VersionColumn, Q(loaded.versionName));
    QString kind = failure;
    if (loaded.failure.inUse())
        kind = QStringLiteral("busy");
    else if (loaded.kind == DrawingFileKind::Dwg && failure.isEmpty())
        kind = QStringLiteral("DWG");
    else if (loaded.kind == DrawingFileKind::BinaryDxf && failure.isEmpty())
        kind = QStringLiteral("BinaryDXF");
    if (!kind.isEmpty()) fileList_->setCell(row, FileListPanel::KindColumn, kind);
}

std::shared_ptr<const FileEncodings> MainWindow::fileEncodings() {
    if (!fileEncodings_)
        fileEncodings_ = std::make_shared<const FileEncodings>(settings_.fileEncodings);
    return fileEncodings_;
}

QString MainWindow::encodingTarget() const {
    if (!currentDrawingPath_.isEmpty()) return currentDrawingPath_;
    const int row = fileList_->currentRow();
    const QString name = row >= 0 ? fileList_->cell(row, FileListPanel::NameColumn) : QString();
    return name.isEmpty() ? QString() : QDir(fileList_->folder()).filePath(name);
}

void MainWindow::chooseEncoding(const std::string& name) {
    const QString path = encodingTarget();
    if (path.isEmpty()) return;
    if (name.empty())
        settings_.fileEncodings.erase(path.toStdString());
    else
        settings_.fileEncodings[path.toStdString()] = name;
    // The oldest choices give way once the list is full; a map keeps no age, so the first
    // paths in order go, which keeps the settings file bounded all the same.
    while (settings_.fileEncodings.size() > static_cast<std::size_t>(MaxFileEncodings))
        settings_.fileEncodings.erase(settings_.fileEncodings.begin());
    fileEncodings_.reset();
    // The drawing and its preview are read again in the encoding now chosen.
    if (folderChosen_ && QFileInfo(path).dir() == QDir(fileList_->folder())) buildThumbnails();
    if (currentDrawingPath_ == path) OpenDrawing(path);
}

void MainWindow::OpenDrawing(const QString& path) {
    const int row = fileList_->currentRow();
    drawingLabel_->setText(QFileInfo(path).fileName());
    currentDrawingPath_ = path;

    ProgressBarSink progress(*progressBar_);

    presenter_->drawingWillLoad();
    // The drawing shown so far is let go before the next is read, so that two big drawings are
    // never held at once; a load that fails forgets it all the same.
    drawing_ = Drawing();
    LoadedDrawing loaded;
    try {
        LoadOptions options;
        options.progress = &progress;
        options.converter = registeredConverter();
        options.encodings = fileEncodings();
        loaded = LoadDrawingFile(path.toStdString(), options);
    } catch (const std::bad_alloc&) {
        loaded = LoadedDrawing();
        loaded.failure = {path.toStdString(), 0, LoadProblem::NotEnoughMemory};
    }
    if (closing_) throw SilentAbort("closing");

    showReaderStatus(row, loaded);
    setStatusText(StatusPanel::Encoding,
                  loaded.outcome == LoadOutcome::Loaded
                      ? Q(DescribeEncoding(loaded.encodingDecision, TextLanguage()))
                      : QString());

    if (loaded.outcome == LoadOutcome::Loaded) {
        drawing_ = std::move(loaded.drawing);
        QElapsedTimer shown;
        shown.start();
        try {
            sidePanel_->showDrawing(drawing_, loaded.readCounts, std::move(loaded.sheetCounts));
            // Fitting and rendering belong to the presenter.
            presenter_->drawingLoaded();
            showLayoutTabs(OpeningSpace(drawing_, settings_.alwaysModel));
            // Sheets and windows the drawing describes but that cannot be shown are counted, so
            // that a sheet that looks incomplete says why.
            QStringList notes;
            if (drawing_.SkippedLayouts + drawing_.SkippedViewports > 0)
                notes << Tr("表示できないレイアウト %1 件・ビューポート %2 件")
                             .arg(drawing_.SkippedLayouts)
                             .arg(drawing_.SkippedViewports);
            // Pictures whose files are not on this disk show as their frames and names; the
            // count says why, once, however often the pictures are placed.
            if (drawing_.MissingImages > 0)
                notes << Tr("画像が見つかりません: %1").arg(drawing_.MissingImages);
            // An external reference whose file is missing is drawn as nothing: say which.
            if (!loaded.missingReferences.empty()) {
                QStringList names;
                for (const MissingReference& reference : loaded.missingReferences)
                    names << Q(reference.name);
                notes << Tr("外部参照が見つかりません: %1").arg(names.join(QStringLiteral(", ")));
            }
            if (!notes.isEmpty())
                setStatusText(StatusPanel::Progress, notes.join(QStringLiteral("　")));
            const double seconds =
                loaded.readSeconds + loaded.normaliseSeconds + shown.nsecsElapsed() / 1e9;
            setStatusText(StatusPanel::Elapsed, QString::asprintf("%.2f", seconds));
            return;
        } catch (const std::exception& e) {
            loaded.failure = {path.toStdString(), 0, LoadProblem::Other};
            loaded.failure.detail = e.what();
        }
        loaded.outcome = LoadOutcome::Failed;
    }

    // Nothing of another drawing stays on show beside this file's name.
    forgetDrawing();
    progressBar_->setValue(0);
    if (loaded.outcome == LoadOutcome::NotLoaded) {
        // A DWG without a converter shows its release and nothing else. DWG content under a DXF
        // name was asked for as a drawing: that it cannot be read is an error.
        if (loaded.kind != DrawingFileKind::BinaryDxf) return;
        loaded.failure = {path.toStdString(), 0, LoadProblem::DwgUnderDxfName};
    }
    setStatusText(StatusPanel::Progress, Q(loaded.failure.message()));
    if (loaded.failure.inUse()) {
        dialogs_.message(Tr(FileInUseText), QString::fromUtf8(FileInUseCaption),
                         Dialogs::Icon::Information);
    } else {
        dialogs_.message(path + QLatin1Char('\r') + Tr(LoadErrorText), Tr(LoadErrorCaption),
                         Dialogs::Icon::Information);
    }
    throw SilentAbort(loaded.failure.message());
}

} // namespace orvanta
