// The file list panel: the path label with the current folder above the table of the folder's
// drawings (name, release, size, time, kind).
#pragma once

#include "browse/FolderScan.h"

#include <QLabel>
#include <QMimeData>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <vector>

class QTableWidget;

namespace orvanta {

// The current folder; a click on it asks for the folder to be scanned again.
class PathLabel : public QLabel {
    Q_OBJECT
  public:
    explicit PathLabel(QWidget* parent = nullptr);

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class FileListPanel : public QWidget {
    Q_OBJECT
  public:
    enum Column { NameColumn, VersionColumn, SizeColumn, TimeColumn, KindColumn, ColumnCount };

    explicit FileListPanel(QWidget* parent = nullptr);

    PathLabel* pathLabel() const { return pathLabel_; }
    QTableWidget* table() const { return table_; }

    // The folder shown by the path label, without a trailing slash ("/" stays "/").
    QString folder() const;

    // Fills the table with one row per file, the version and kind cells empty. Without files the
    // table keeps one empty row. Signals are not sent; the current row becomes the first.
    void setFiles(const std::vector<DrawingFile>& files);

    int rowCount() const;
    int currentRow() const;
    // Makes `row` current without reporting it as the user's choice.
    void setCurrentRowQuietly(int row);
    QString cell(int row, int column) const;
    void setCell(int row, int column, const QString& text);
    // The first row whose name equals `name` exactly, or -1.
    int findRow(const QString& name) const;
    // The full paths of the drawings in the selected rows, top to bottom.
    QStringList selectedPaths() const;
    // What a drag of the selected rows out of the window carries; null when no drawing is
    // selected.
    std::unique_ptr<QMimeData> dragData() const;

  signals:
    // The user made another row current (click or keyboard).
    void rowChosen(int row);

  private:
    PathLabel* pathLabel_;
    QTableWidget* table_;
    bool quiet_ = false;
};

} // namespace orvanta
