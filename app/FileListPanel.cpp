#include "app/FileListPanel.h"

#include "app/DrawingDrag.h"

#include <QDir>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace orvanta {

namespace {

constexpr int NameColumnWidth = 150;

// The table of drawings; rows dragged out of it carry their files.
class FileTable : public QTableWidget {
  public:
    FileTable(int rows, int columns, const FileListPanel& panel)
        : QTableWidget(rows, columns), panel_(panel) {}

    // The name column takes the width the other columns leave, and never less than its own.
    void fitNameColumn() {
        int others = 0;
        for (int c = 0; c < columnCount(); ++c)
            if (c != FileListPanel::NameColumn) others += columnWidth(c);
        const int spare = viewport()->width() - others;
        setColumnWidth(FileListPanel::NameColumn, std::max(NameColumnWidth, spare));
    }

  protected:
    void startDrag(Qt::DropActions) override { DragDrawingFiles(this, panel_.selectedPaths()); }
    void resizeEvent(QResizeEvent* event) override {
        QTableWidget::resizeEvent(event);
        fitNameColumn();
    }

  private:
    const FileListPanel& panel_;
};

} // namespace

PathLabel::PathLabel(QWidget* parent) : QLabel(QStringLiteral("Path:"), parent) {
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
    setMargin(2);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void PathLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

FileListPanel::FileListPanel(QWidget* parent) : QWidget(parent) {
    pathLabel_ = new PathLabel;
    table_ = new FileTable(1, ColumnCount, *this);
    table_->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Version"),
                                       QStringLiteral("Size"), QStringLiteral("Time"),
                                       QStringLiteral("...")});
    const int widths[ColumnCount] = {NameColumnWidth, 70, 70, 100, 100};
    for (int c = 0; c < ColumnCount; ++c)
        table_->setColumnWidth(c, widths[c]);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    connect(table_->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
        if (column != NameColumn) static_cast<FileTable*>(table_)->fitNameColumn();
    });
    table_->horizontalHeader()->setHighlightSections(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Several rows can be chosen to be dragged out together.
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setDragEnabled(true);
    table_->setDragDropMode(QAbstractItemView::DragOnly);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    table_->setShowGrid(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pathLabel_);
    layout->addWidget(table_, 1);
    setMinimumHeight(0);

    connect(table_, &QTableWidget::currentCellChanged, this, [this](int row, int, int previousRow) {
        if (!quiet_ && row >= 0 && row != previousRow) emit rowChosen(row);
    });
}

QString FileListPanel::folder() const {
    QString text = pathLabel_->text();
    while (text.size() > 1 && text.endsWith(QLatin1Char('/')))
        text.chop(1);
    return text;
}

void FileListPanel::setFiles(const std::vector<DrawingFile>& files) {
    quiet_ = true;
    table_->setUpdatesEnabled(false);
    table_->clearContents();
    table_->setRowCount(std::max<int>(1, static_cast<int>(files.size())));
    auto item = [](const QString& text, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
        auto* cell = new QTableWidgetItem(text);
        cell->setTextAlignment(align);
        return cell;
    };
    for (int row = 0; row < static_cast<int>(files.size()); ++row) {
        const DrawingFile& file = files[row];
        table_->setItem(row, NameColumn, item(QString::fromStdString(file.name)));
        table_->setItem(row, VersionColumn, item(QString()));
        table_->setItem(row, SizeColumn,
                        item(QString::fromStdString(FormatSizeKb(file.size)),
                             Qt::AlignRight | Qt::AlignVCenter));
        table_->setItem(row, TimeColumn,
                        item(QString::fromStdString(FormatFileTime(file.modified))));
        table_->setItem(row, KindColumn, item(QString()));
    }
    table_->setCurrentCell(0, 0);
    table_->scrollToTop();
    table_->setUpdatesEnabled(true);
    quiet_ = false;
}

int FileListPanel::rowCount() const {
    return table_->rowCount();
}

int FileListPanel::currentRow() const {
    return table_->currentRow();
}

void FileListPanel::setCurrentRowQuietly(int row) {
    quiet_ = true;
    table_->setCurrentCell(row, 0);
    quiet_ = false;
}

QString FileListPanel::cell(int row, int column) const {
    const QTableWidgetItem* item = table_->item(row, column);
    return item ? item->text() : QString();
}

void FileListPanel::setCell(int row, int column, const QString& text) {
    if (row < 0 || row >= table_->rowCount()) return;
    if (QTableWidgetItem* item = table_->item(row, column))
        item->setText(text);
    else
        table_->setItem(row, column, new QTableWidgetItem(text));
}

int FileListPanel::findRow(const QString& name) const {
    for (int row = 0; row < table_->rowCount(); ++row)
        if (cell(row, NameColumn) == name) return row;
    return -1;
}

QStringList FileListPanel::selectedPaths() const {
    QStringList paths;
    const QDir folder(this->folder());
    for (int row = 0; row < table_->rowCount(); ++row) {
        const QTableWidgetItem* item = table_->item(row, NameColumn);
        if (item && item->isSelected() && !item->text().isEmpty())
            paths << folder.filePath(item->text());
    }
    return paths;
}

std::unique_ptr<QMimeData> FileListPanel::dragData() const {
    return DrawingFilesMimeData(selectedPaths());
}

} // namespace orvanta
