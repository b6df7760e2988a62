#include "app/PreviewGrid.h"

#include "app/DrawingDrag.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace orvanta {

namespace {

// A text the window shows, in the window's language: the Japanese source text, or its
// translation (app/translations) when the window speaks another language.
QString Tr(const char* text) {
    return QCoreApplication::translate("PreviewGrid", text);
}

// Title bar colours: a DXF and any other file, in the current cell and in the others.
const QColor CurrentDxfTitle(0, 0, 255);
const QColor CurrentOtherTitle(255, 69, 0);
const QColor DxfTitle(128, 128, 128);
const QColor OtherTitle(123, 104, 238);
const QColor FrameColour(128, 128, 128);
const QColor FailureColour(200, 0, 0);

} // namespace

PreviewGrid::PreviewGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(true);
    QPalette p = viewport()->palette();
    p.setColor(QPalette::Window, Qt::white);
    viewport()->setPalette(p);
    updateGeometry();
}

void PreviewGrid::setCellSize(QSize size) {
    cellSize_ = size.expandedTo(QSize(1, 1));
    updateGeometry();
}

void PreviewGrid::setEntries(const QStringList& names) {
    entries_.clear();
    entries_.resize(names.size());
    for (qsizetype i = 0; i < names.size(); ++i)
        entries_[i].name = names[i];
    currentRow_ = 0;
    currentColumn_ = 0;
    verticalScrollBar()->setValue(0);
    updateGeometry();
}

void PreviewGrid::setPicture(int index, const QImage& picture, bool imgFlag,
                             const QString& failure) {
    if (index < 0 || index >= count()) return;
    Entry& e = entries_[index];
    e.picture = picture;
    e.imgFlag = imgFlag;
    e.failure = failure;
    const QRect rect = cellRect(index);
    if (rect.intersects(viewport()->rect())) viewport()->update(rect);
}

void PreviewGrid::setCurrentIndex(int index) {
    if (columns_ <= 0 || index < 0) return;
    const int row = index / columns_;
    const int column = index % columns_;
    // Each is changed only when it differs and lies inside the grid.
    if (row != currentRow_ && row < std::max(1, rows())) currentRow_ = row;
    if (column != currentColumn_ && column < columns_) currentColumn_ = column;
    const int top = currentRow_ * cellSize_.height();
    QScrollBar* bar = verticalScrollBar();
    if (top < bar->value())
        bar->setValue(top);
    else if (top + cellSize_.height() > bar->value() + viewport()->height())
        bar->setValue(top + cellSize_.height() - viewport()->height());
    viewport()->update();
}

int PreviewGrid::indexAt(QPoint point) const {
    const int column = point.x() / cellSize_.width();
    const int row = (point.y() + verticalScrollBar()->value()) / cellSize_.height();
    if (point.x() < 0 || point.y() < 0 || column >= columns_ || row >= rows()) return -1;
    return row * columns_ + column;
}

QRect PreviewGrid::cellRect(int index) const {
    const int row = index / columns_;
    const int column = index % columns_;
    return {column * cellSize_.width(), row * cellSize_.height() - verticalScrollBar()->value(),
            cellSize_.width(), cellSize_.height()};
}

void PreviewGrid::updateGeometry() {
    columns_ = GridColumns(viewport()->width(), cellSize_.width());
    const int height = rows() * cellSize_.height();
    verticalScrollBar()->setRange(0, std::max(0, height - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(cellSize_.height());
    viewport()->update();
}

void PreviewGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (!entries_.empty() || columns_ != GridColumns(viewport()->width(), cellSize_.width()))
        updateGeometry();
}

void PreviewGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect dirty = event->rect();
    const int first =
        std::max(0, (dirty.top() + verticalScrollBar()->value()) / cellSize_.height());
    const int last = (dirty.bottom() + verticalScrollBar()->value()) / cellSize_.height();
    for (int row = first; row <= last && row < rows(); ++row)
        for (int column = 0; column < columns_; ++column) {
            const int index = row * columns_ + column;
            const QRect rect = cellRect(index);
            if (rect.intersects(dirty)) paintCell(painter, index, rect);
        }
}

void PreviewGrid::paintCell(QPainter& painter, int index, const QRect& rect) const {
    if (index >= count() || entries_[index].picture.isNull()) {
        painter.fillRect(rect, Qt::white);
        return;
    }
    const Entry& e = entries_[index];
    painter.fillRect(rect, QColor::fromRgb(e.picture.pixel(0, 0)));
    const bool dxf =
        QFileInfo(e.name).suffix().compare(QLatin1String("dxf"), Qt::CaseInsensitive) == 0;
    const bool current = index == currentIndex();
    const QColor title =
        current ? (dxf ? CurrentDxfTitle : CurrentOtherTitle) : (dxf ? DxfTitle : OtherTitle);
    const int left = rect.left();
    const int top = rect.top();
    painter.fillRect(QRect(QPoint(left + 1, top + 1), QPoint(rect.right() - 1, top + 20)), title);
    const QSize picture = e.picture.size();
    painter.drawImage(QPoint(left + (cellSize_.width() - picture.width()) / 2,
                             top + 16 + (cellSize_.height() - picture.height() - 16) / 2),
                      e.picture);
    // The title is written after the picture so that a cache picture taller than the cell's
    // picture area cannot cover the name.
    painter.setPen(Qt::white);
    const QRect titleText(left + 3, top + 3, rect.width() - 6, 16);
    painter.drawText(titleText, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     QFileInfo(e.name).fileName());
    if (!e.failure.isEmpty()) {
        // A cell that could not be made says why, in the picture's area.
        painter.setPen(FailureColour);
        painter.drawText(rect.adjusted(4, 24, -4, -4), Qt::AlignLeft | Qt::TextWordWrap,
                         Tr("読み込みエラー: ") + e.failure);
    }
    painter.setPen(FrameColour);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
}

std::unique_ptr<QMimeData> PreviewGrid::dragData(int index) const {
    if (index < 0 || index >= count()) return nullptr;
    return DrawingFilesMimeData({entries_[index].name});
}

void PreviewGrid::mousePressEvent(QMouseEvent* event) {
    const int index = indexAt(event->position().toPoint());
    pressIndex_ = event->button() == Qt::LeftButton ? index : -1;
    pressPoint_ = event->position().toPoint();
    if (index < 0) return;
    currentRow_ = index / columns_;
    currentColumn_ = index % columns_;
    viewport()->update();
    emit cellClicked(index);
}

void PreviewGrid::mouseMoveEvent(QMouseEvent* event) {
    if (pressIndex_ < 0 || !(event->buttons() & Qt::LeftButton)) return;
    if ((event->position().toPoint() - pressPoint_).manhattanLength() <
        QApplication::startDragDistance())
        return;
    const int index = pressIndex_;
    pressIndex_ = -1;
    if (index < count()) DragDrawingFiles(this, {entries_[index].name});
}

void PreviewGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const int index = indexAt(event->position().toPoint());
    if (index >= 0) emit cellDoubleClicked(index);
}

void PreviewGrid::keyPressEvent(QKeyEvent* event) {
    int row = currentRow_;
    int column = currentColumn_;
    switch (event->key()) {
    case Qt::Key_Left:
        --column;
        break;
    case Qt::Key_Right:
        ++column;
        break;
    case Qt::Key_Up:
        --row;
        break;
    case Qt::Key_Down:
        ++row;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit cellDoubleClicked(currentIndex());
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    if (row < 0 || column < 0 || column >= columns_ || row >= rows()) return;
    currentRow_ = row;
    currentColumn_ = column;
    setCurrentIndex(currentIndex());
    emit cellClicked(currentIndex());
}

} // namespace orvanta
