// The preview side of the main window: building the grid's pictures on worker threads, the
// cells' clicks, the cell sizes and the three batch commands of the preview pictures.
#include "app/FileListPanel.h"
#include "app/MainWindow.h"
#include "app/PreviewGrid.h"
#include "browse/PreviewPool.h"
#include "dxf/DxfReader.h"
#include "dxf/DxfVersion.h"
#include "model/Abort.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QTabWidget>

namespace orvanta {

namespace {

// A text the window shows, in the window's language: the Japanese source text, or its
// translation (app/translations) when the window speaks another language.
QString Tr(const char* text) {
    return QCoreApplication::translate("MainWindow", text);
}

const char* const Caption = "Orvanta2017";
// Failures named one by one in the summary after a build; the rest are counted.
constexpr int SummaryLines = 20;

bool IsDxf(const QString& name) {
    return QFileInfo(name).suffix().compare(QLatin1String("dxf"), Qt::CaseInsensitive) == 0;
}

// Whether `name` is a cache picture this program writes beside a drawing.
bool IsCacheFileName(const QString& name) {
    return name.endsWith(QLatin1String("_DXF.bmp"), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String("_DWG.bmp"), Qt::CaseInsensitive);
}

} // namespace

QSize MainWindow::cellSize() const {
    return {settings_.cellWidth, settings_.cellHeight};
}

bool MainWindow::previewsBuilding() const {
    return previewPool_ != nullptr;
}

void MainWindow::waitForPreviews() {
    while (previewsBuilding())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void MainWindow::stopPreviews() {
    ++previewGeneration_;
    previewPool_.reset();
}

void MainWindow::buildThumbnails() {
    stopPreviews();
    previewTimer_.start();
    previewFailures_.clear();
    previewDone_ = 0;
    const QString folder = fileList_->folder();
    previewGrid_->setCellSize(cellSize());
    const int rows = fileList_->rowCount();
    if (rows <= 0 || fileList_->cell(0, FileListPanel::NameColumn).isEmpty()) {
        previewGrid_->clear();
        finishPreviews();
        return;
    }
    const int count = std::min(rows, MaxPreviewEntries);
    QStringList names;
    names.reserve(count);
    for (int i = 0; i < count; ++i)
        names << QDir(folder).filePath(fileList_->cell(i, FileListPanel::NameColumn));
    previewGrid_->setEntries(names);
    // The cell of the file chosen in the list is the current one, as a row click makes it.
    followRowInGrid(fileList_->currentRow());
    const PreviewProgressSteps steps = PreviewProgressStepsFor(count);
    progressBar_->setRange(0, std::max(1, steps.maximum));
    progressBar_->setValue(0);
    previewStep_ = steps.step;
    setStatusText(StatusPanel::Progress, Tr("イメージ作成中 ... 0 / %1").arg(count));

    const int generation = previewGeneration_;
    // Pictures are made on the workers and handed to the interface thread as they are ready;
    // those of a build that has been replaced are dropped there.
    previewPool_ = std::make_unique<PreviewPool>(
        names, PreviewPictureSize(cellSize()), colorMode_, previewJobs_,
        [this, generation](int index, const QImage& picture, const PreviewFacts& facts) {
            QMetaObject::invokeMethod(
                this,
                [this, generation, index, picture, facts] {
                    if (generation == previewGeneration_) previewReady(index, picture, facts);
                },
                Qt::QueuedConnection);
        },
        settings_.alwaysModel ? "model" : "saved", fileEncodings());
}

void MainWindow::previewReady(int index, const QImage& picture, const PreviewFacts& facts) {
    // Failures name the file as the list does: without the folder they all share.
    QString failure = facts.failure;
    const QString folder = QFileInfo(previewGrid_->entry(index).name).path() + QLatin1Char('/');
    if (failure.startsWith(folder)) failure.remove(0, folder.size());
    previewGrid_->setPicture(index, picture, facts.drawn, failure);
    if (facts.fromCache) {
        fileList_->setCell(index, FileListPanel::VersionColumn, QString());
    } else {
        fileList_->setCell(index, FileListPanel::VersionColumn, facts.version);
        fileList_->setCell(index, FileListPanel::KindColumn, facts.kind);
    }
    if (!failure.isEmpty()) previewFailures_ << failure;
    const int count = previewGrid_->count();
    ++previewDone_;
    progressBar_->setValue(
        std::min(progressBar_->maximum(), (previewDone_ - 1) / previewStep_ + 1));
    setStatusText(StatusPanel::Progress,
                  Tr("イメージ作成中 ... %1 / %2").arg(previewDone_).arg(count));
    if (previewDone_ >= count) finishPreviews();
}

void MainWindow::finishPreviews() {
    // The workers have reported everything; they end on their own.
    previewPool_.reset();
    progressBar_->setValue(0);
    setStatusText(StatusPanel::Progress, QString());
    setStatusText(StatusPanel::Elapsed,
                  QString::asprintf("%.3f", previewTimer_.nsecsElapsed() / 1e9));
    previewGrid_->viewport()->update();
    if (previewFailures_.isEmpty()) return;
    // One box for the whole build, instead of one per file that would stop it each time.
    QString text = Tr("%1 個のファイルが読み込みエラーです").arg(previewFailures_.size());
    for (int i = 0; i < previewFailures_.size() && i < SummaryLines; ++i)
        text += QLatin1Char('\r') + previewFailures_[i];
    if (previewFailures_.size() > SummaryLines)
        text += Tr("\rほか %1 件").arg(previewFailures_.size() - SummaryLines);
    previewFailures_.clear();
    dialogs_.message(text, Tr("情報"), Dialogs::Icon::Information);
}

void MainWindow::followRowInGrid(int row) {
    const QString name = fileList_->cell(row, FileListPanel::NameColumn);
    if (name.isEmpty() || previewGrid_->columns() <= 0) return;
    const QString path = QDir(fileList_->folder()).filePath(name);
    for (int i = 0; i < previewGrid_->count(); ++i)
        if (previewGrid_->entry(i).name == path) {
            previewGrid_->setCurrentIndex(i);
            return;
        }
}

void MainWindow::previewCellClicked(int index) {
    if (index >= 0 && index < fileList_->rowCount() &&
        !fileList_->cell(index, FileListPanel::NameColumn).isEmpty())
        fileList_->setCurrentRowQuietly(index);
}

void MainWindow::previewCellDoubleClicked(int index) {
    if (index < 0 || index >= previewGrid_->count()) return;
    const QString path = previewGrid_->entry(index).name;
    runUserAction([&] {
        selectTabQuietly(DetailTab);
        applySidePanelForTab();
        presenter_->clearCrossHair();
        if (index < fileList_->rowCount()) fileList_->setCurrentRowQuietly(index);
        if (currentDrawingPath_ != path) OpenDrawing(path);
    });
}

void MainWindow::chooseCellSize(int index) {
    settings_.cellWidth = CellSizeChoices[index].width;
    settings_.cellHeight = CellSizeChoices[index].height;
    for (int i = 0; i < CellSizeCount; ++i)
        cellSizeActions_[i]->setChecked(i == index);
    if (!folderChosen_ && previewGrid_->count() == 0) {
        previewGrid_->setCellSize(cellSize());
        return;
    }
    buildThumbnails();
}

void MainWindow::saveCacheFiles() {
    const QString caption = QString::fromUtf8(Caption);
    if (previewGrid_->count() == 0) {
        dialogs_.message(Tr("一覧イメージが作成されていません．"), caption,
                         Dialogs::Icon::Information);
        return;
    }
    if (!dialogs_.question(Tr("DXFファイルと同じフォルダ内に、すべてのBMPファイルを作成します．"
                              "よろしいですか？"),
                           caption))
        return;
    // Pictures still being made would otherwise be saved blank and shown blank for good.
    waitForPreviews();
    const int count = previewGrid_->count();
    QString failure;
    for (int i = 0; i < count && failure.isEmpty(); ++i) {
        setStatusText(StatusPanel::Progress,
                      Tr("BMPファイル保存中 ... %1 / %2").arg(i + 1).arg(count));
        statusPanels_[0]->repaint();
        const PreviewGrid::Entry& e = previewGrid_->entry(i);
        // A file that failed keeps no cache picture: a blank one would hide its real picture
        // from every later build.
        if (!e.failure.isEmpty() || e.picture.isNull()) continue;
        failure = SavePreviewCache(e.picture, PreviewCachePath(e.name));
    }
    if (failure.isEmpty())
        dialogs_.message(Tr("BMPファイルを作成しました．"), caption, Dialogs::Icon::Information);
    else
        dialogs_.message(Tr("中止しました．"), caption, Dialogs::Icon::Information);
    setStatusText(StatusPanel::Progress, QString());
}

void MainWindow::deleteCacheFiles() {
    const QString caption = QString::fromUtf8(Caption);
    if (!dialogs_.question(Tr("DXFファイルと同じフォルダ内のすべてのBMPファイルを削除します．"
                              "よろしいですか？"),
                           caption))
        return;
    int deleted = 0;
    if (folderChosen_) {
        // Only the cache pictures this program writes: other pictures of the user's that happen
        // to look alike ("photo_D01.bmp") stay where they are.
        const QDir folder(fileList_->folder());
        const QStringList names = folder.entryList({QStringLiteral("*_D??.bmp")}, QDir::Files);
        for (const QString& name : names) {
            if (!IsCacheFileName(name)) continue;
            if (QFile::remove(folder.filePath(name))) ++deleted;
            setStatusText(StatusPanel::Progress, Tr("BMPファイル削除中 ... %1").arg(deleted));
        }
    }
    dialogs_.message(deleted > 0 ? Tr("BMPファイルを削除しました．")
                                 : Tr("削除するBMPファイルはありません．"),
                     caption, Dialogs::Icon::Information);
    setStatusText(StatusPanel::Progress, QString());
}

void MainWindow::readVersions() {
    const int rows = fileList_->rowCount();
    if (rows <= 0 || fileList_->cell(0, FileListPanel::NameColumn).isEmpty()) return;
    const PreviewProgressSteps steps = PreviewProgressStepsFor(rows);
    progressBar_->setRange(0, std::max(1, steps.maximum));
    progressBar_->setValue(0);
    const QDir folder(fileList_->folder());
    for (int k = 0; k < rows; ++k) {
        if (k % steps.step == 0) progressBar_->setValue(progressBar_->value() + 1);
        setStatusText(StatusPanel::Progress,
                      Tr("バージョン取得中 ... %1 / %2").arg(k + 1).arg(rows));
        statusPanels_[0]->repaint();
        const QString name = fileList_->cell(k, FileListPanel::NameColumn);
        const std::string path = folder.filePath(name).toStdString();
        try {
            std::string signature;
            std::string version;
            ProbeFileSignature(path, signature);
            if (IsDwgSignature(signature)) {
                if (IsDxf(name)) {
                    DxfVersionName(signature, version);
                    fileList_->setCell(k, FileListPanel::KindColumn, QStringLiteral("BinaryDXF"));
                } else {
                    DwgVersionName(signature, version);
                    fileList_->setCell(k, FileListPanel::KindColumn, QStringLiteral("DWG"));
                }
            } else {
                std::string acadver;
                ReadDxfVersion(path, acadver);
                DxfVersionName(acadver, version);
            }
            fileList_->setCell(k, FileListPanel::VersionColumn, QString::fromStdString(version));
        } catch (const DxfReadError& e) {
            // A file that cannot be read ends the command, and says which file it was and why.
            setStatusText(StatusPanel::Progress, QString());
            dialogs_.message(QString::fromStdString(path) + QStringLiteral("\r") +
                                 QString::fromStdString(e.reason()),
                             Tr("情報"), Dialogs::Icon::Information);
            return;
        }
    }
    progressBar_->setValue(0);
    setStatusText(StatusPanel::Progress, QString());
}

} // namespace orvanta
