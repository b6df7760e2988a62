// The print commands of the window: they gather what the print window needs from the file list
// and the detail tab and open it.
#include "app/FileListPanel.h"
#include "app/MainWindow.h"
#include "app/PrintWindow.h"

#include <QLabel>

#include <vector>

namespace orvanta {

namespace {

// The listed drawings of the file list, and the rows they stand in.
std::vector<std::string> ListedNames(const FileListPanel& list, std::vector<int>& rows) {
    std::vector<std::string> names;
    for (int row = 0; row < list.rowCount(); ++row) {
        const QString name = list.cell(row, FileListPanel::NameColumn);
        if (name.isEmpty()) continue;
        names.push_back(name.toStdString());
        rows.push_back(row);
    }
    return names;
}

} // namespace

void MainWindow::printList() {
    printFolder(PrintKind::List);
}

void MainWindow::printBatch() {
    printFolder(PrintKind::Batch);
}

void MainWindow::printFolder(PrintKind kind) {
    PrintSource source;
    source.folder = fileList_->folder().toStdString();
    std::vector<int> rows;
    source.names = ListedNames(*fileList_, rows);
    if (!folderChosen_ || source.names.empty()) return;
    // Each file's row learns what the reader made of it, as when the window opens it.
    source.fileRead = [this, rows](int index, const LoadedDrawing& loaded,
                                   const std::string& failure) {
        showReaderStatus(rows.at(index), loaded, QString::fromStdString(failure));
    };
    source.converter = registeredConverter();
    source.encodings = fileEncodings();
    source.lineweights = lineweightsShown();
    source.sheet = settings_.alwaysModel ? "model" : "saved";
    source.settings = &settings_.print;
    source.status = [this](const QString& text) { setStatusText(StatusPanel::Progress, text); };
    PrintWindow window(kind, std::move(source), dialogs_, this);
    window.exec();
}

void MainWindow::printDetail() {
    if (currentDrawingPath_.isEmpty()) return;
    // Without a view of its own the presenter shows the whole drawing.
    ViewState whole;
    whole.Space = OpeningSpace(drawing_, settings_.alwaysModel);
    FitViewToExtents(whole, drawing_);
    const ViewState& view = presenter_->currentView() ? *presenter_->currentView() : whole;
    const QSize size = detailView_->picture().size();
    const DrawOptions shown =
        ViewDrawOptions(view, view.ViewCenter, size.width(), size.height(), {lineweightsShown()});
    PrintSource source;
    source.drawing = &drawing_;
    source.view = shown.view;
    source.caption = drawingLabel_->text();
    source.lineweights = shown.lineweights.shown;
    source.settings = &settings_.print;
    PrintWindow window(PrintKind::Detail, std::move(source), dialogs_, this);
    window.exec();
}

} // namespace orvanta
