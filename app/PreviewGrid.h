// The grid of preview pictures on the " 一覧" tab: one cell per drawing of the folder, in the
// order of the file list, each with a title bar naming the file above its picture.
#pragma once

#include "browse/PreviewLayout.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QMimeData>
#include <QString>

#include <memory>
#include <vector>

namespace orvanta {

class PreviewGrid : public QAbstractScrollArea {
    Q_OBJECT
  public:
    struct Entry {
        QString name;         // full path of the drawing
        QImage picture;       // null until the picture is made
        bool imgFlag = false; // a picture was drawn, decoded or loaded
        QString failure;      // why the picture could not be made
    };

    explicit PreviewGrid(QWidget* parent = nullptr);

    // Cell size in pixels, title bar included.
    void setCellSize(QSize size);
    QSize cellSize() const { return cellSize_; }

    // Replaces all entries by `names`, each without a picture yet.
    void setEntries(const QStringList& names);
    void clear() { setEntries({}); }
    void setPicture(int index, const QImage& picture, bool imgFlag, const QString& failure);
    int count() const { return static_cast<int>(entries_.size()); }
    const Entry& entry(int index) const { return entries_[index]; }

    int columns() const { return columns_; }
    int rows() const { return GridRows(count(), columns_); }
    int currentRow() const { return currentRow_; }
    int currentColumn() const { return currentColumn_; }
    // The index of the current cell: row x columns + column.
    int currentIndex() const { return currentRow_ * columns_ + currentColumn_; }
    // Makes the cell of `index` current (without signals) and scrolls it into view.
    void setCurrentIndex(int index);
    // The cell under a point of the viewport, or -1.
    int indexAt(QPoint point) const;
    // The rectangle of cell `index` in viewport coordinates.
    QRect cellRect(int index) const;
    // What a drag of cell `index` out of the window carries; null for a cell without a drawing.
    std::unique_ptr<QMimeData> dragData(int index) const;

  signals:
    // The user chose a cell (click or keyboard); `index` may lie past the last entry.
    void cellClicked(int index);
    void cellDoubleClicked(int index);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void updateGeometry();
    void paintCell(QPainter& painter, int index, const QRect& rect) const;

    QSize cellSize_{200, 160};
    std::vector<Entry> entries_;
    int columns_ = 1;
    int currentRow_ = 0;
    int currentColumn_ = 0;
    // Where the left button went down on a cell, and which cell; -1 when no drag can start.
    QPoint pressPoint_;
    int pressIndex_ = -1;
};

} // namespace orvanta
