// The window's side of CAD insertion: which drawing the insertion items mean.
#include "app/FileListPanel.h"
#include "app/MainWindow.h"
#include "app/PreviewGrid.h"
#include "bridges/CadHost.h"
#include "bridges/x11/X11CadHost.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>

namespace orvanta {

namespace {

// A text the window shows, in the window's language: the Japanese source text, or its
// translation (app/translations) when the window speaks another language.
QString Tr(const char* text) {
    return QCoreApplication::translate("MainWindow", text);
}

} // namespace

void MainWindow::setCadHostWindows(CadHostWindows* windows) {
    if (!windows) {
        if (!desktopWindows_) desktopWindows_ = std::make_unique<X11CadHostWindows>();
        windows = desktopWindows_.get();
    }
    cadHost_ = std::make_unique<CadHost>(*windows);
}

QString MainWindow::selectedDrawingPath() const {
    if (!folderChosen_) return {};
    if (!detailTabShowing()) {
        // The preview tab means the drawing of the grid's current cell. The list may hold more
        // files than the grid shows, and an empty cell means no drawing at all.
        const int index = previewGrid_->currentIndex();
        return index < previewGrid_->count() ? previewGrid_->entry(index).name : QString();
    }
    const QString name = drawingLabel_->text();
    if (name.isEmpty()) return {};
    return QDir(fileList_->folder()).filePath(name);
}

void MainWindow::insertIntoCadHost() {
    const QString path = selectedDrawingPath();
    if (path.isEmpty()) return;
    if (!cadHost_) setCadHostWindows(nullptr);
    // No host running is not worth a word: the user sees that nothing arrived. A path too long
    // for the host's command buffer is said, since cutting it would insert another file.
    if (cadHost_->InsertAsBlock(path.toStdString()) == CadHost::Insertion::TooLong)
        dialogs_.message(path + Tr("\nパスが長すぎるため挿入できません"), Tr("情報"),
                         Dialogs::Icon::Information);
}

} // namespace orvanta
