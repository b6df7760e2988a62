#include "app/FolderTree.h"

#include "browse/Collation.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStyle>

#include <algorithm>

namespace orvanta {

namespace {

constexpr QDir::Filters FolderFilter = QDir::Dirs | QDir::NoDotAndDotDot;

QString DisplayName(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
}

QIcon FolderIcon(const QStyle* style, bool link) {
    QIcon icon;
    const QIcon closed = style->standardIcon(link ? QStyle::SP_DirLinkIcon : QStyle::SP_DirIcon);
    const QIcon open =
        style->standardIcon(link ? QStyle::SP_DirLinkOpenIcon : QStyle::SP_DirOpenIcon);
    for (const QSize& size : closed.availableSizes())
        icon.addPixmap(closed.pixmap(size), QIcon::Normal);
    for (const QSize& size : open.availableSizes())
        icon.addPixmap(open.pixmap(size), QIcon::Selected);
    return icon;
}

// Sorting the names of sibling folders: by the platform's collation, numbers by their value,
// without regard to case.
void SortFolders(QStringList& names) {
    const std::vector<QString> texts(names.begin(), names.end());
    names.clear();
    for (std::size_t i : CollationOrder(texts, true))
        names << texts[i];
}

bool IsAcceptableFolderName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

} // namespace

bool HasSubFolders(const QString& folder) {
    QDirIterator it(folder, FolderFilter);
    return it.hasNext();
}

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemExpanded, this, &FolderTree::onExpanded);
    connect(this, &QTreeWidget::itemCollapsed, this, &FolderTree::onCollapsed);
    connect(this, &QTreeWidget::itemChanged, this, &FolderTree::onItemChanged);
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (!building_ && current) emit folderSelected(pathOf(current));
    });
}

QString FolderTree::pathOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, PathRole).toString() : QString();
}

QString FolderTree::topFolder() const {
    return pathOf(topLevelItem(0));
}

QTreeWidgetItem* FolderTree::makeNode(const QString& path, const QString& text) {
    auto* item = new QTreeWidgetItem;
    const QFileInfo info(path);
    item->setText(0, text);
    item->setData(0, PathRole, path);
    item->setIcon(0, FolderIcon(style(), info.isSymLink()));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    // Folders that cannot be opened are shown dimmed.
    if (!info.isReadable() || !info.isExecutable())
        item->setForeground(0, palette().brush(QPalette::Disabled, QPalette::Text));
    item->setChildIndicatorPolicy(HasSubFolders(path) ? QTreeWidgetItem::ShowIndicator
                                                      : QTreeWidgetItem::DontShowIndicator);
    return item;
}

bool FolderTree::setTop(const QString& folder) {
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir()) return false;
    QString path = QDir::cleanPath(info.absoluteFilePath());
    building_ = true;
    clear();
    QTreeWidgetItem* top = makeNode(path, DisplayName(path));
    addTopLevelItem(top);
    building_ = false;
    listChildren(top);
    if (top->childCount() > 0) top->setExpanded(true);
    return true;
}

bool FolderTree::reveal(const QString& folder) {
    if (folder.isEmpty()) return false;
    const QString target = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    auto leadsTo = [&](const QString& path) {
        const QString prefix = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
        return target == path || target.startsWith(prefix);
    };
    QTreeWidgetItem* node = topLevelItem(0);
    if (!node || !leadsTo(pathOf(node))) return false;
    while (pathOf(node) != target) {
        node->setExpanded(true);
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < node->childCount() && !next; ++i)
            if (leadsTo(pathOf(node->child(i)))) next = node->child(i);
        // A hidden folder, or one made since the node was listed, has no node.
        if (!next) return false;
        node = next;
    }
    node->setExpanded(true);
    building_ = true;
    setCurrentItem(node);
    building_ = false;
    scrollToItem(node);
    return true;
}

void FolderTree::listChildren(QTreeWidgetItem* item) {
    const QString path = pathOf(item);
    QDir dir(path);
    if (!dir.isReadable()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QStringList names = dir.entryList(FolderFilter);
    SortFolders(names);
    building_ = true;
    QList<QTreeWidgetItem*> children;
    for (const QString& name : names)
        children << makeNode(dir.filePath(name), name);
    item->addChildren(children);
    building_ = false;
    QApplication::restoreOverrideCursor();
}

void FolderTree::onExpanded(QTreeWidgetItem* item) {
    if (item->childCount() == 0) listChildren(item);
}

void FolderTree::onCollapsed(QTreeWidgetItem* item) {
    if (item->childCount() == 0) return;
    building_ = true;
    // The selection may sit in the subtree that goes away; it moves to the collapsed node
    // without reporting a folder, as nothing was chosen.
    for (QTreeWidgetItem* current = currentItem(); current; current = current->parent()) {
        if (current->parent() == item) {
            setCurrentItem(item);
            break;
        }
    }
    qDeleteAll(item->takeChildren());
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    building_ = false;
}

void FolderTree::setPath(QTreeWidgetItem* item, const QString& path) {
    item->setData(0, PathRole, path);
}

void FolderTree::onItemChanged(QTreeWidgetItem* item, int) {
    if (building_) return;
    const QString oldPath = pathOf(item);
    const QString oldName = DisplayName(oldPath);
    const QString newName = item->text(0);
    if (newName == oldName) return;
    auto restore = [&] {
        building_ = true;
        item->setText(0, oldName);
        building_ = false;
    };
    // The top node is never renamed: its label goes back.
    if (!item->parent() || !IsAcceptableFolderName(newName)) {
        restore();
        return;
    }
    QDir parentDir(pathOf(item->parent()));
    const QString newPath = parentDir.filePath(newName);
    // rename() would silently replace an empty folder of the new name; refuse any existing name.
    if (QFileInfo::exists(newPath) || !parentDir.rename(oldName, newName)) {
        restore();
        return;
    }
    building_ = true;
    setPath(item, newPath);
    // Nodes below keep absolute paths: list them again when the node is next expanded.
    const bool wasExpanded = item->isExpanded();
    qDeleteAll(item->takeChildren());
    item->setChildIndicatorPolicy(HasSubFolders(newPath) ? QTreeWidgetItem::ShowIndicator
                                                         : QTreeWidgetItem::DontShowIndicator);
    building_ = false;
    if (wasExpanded) listChildren(item);
    emit folderRenamed(oldPath, newPath);
}

void FolderTree::keyPressEvent(QKeyEvent* event) {
    // Enter on a node does nothing (it would otherwise start editing on some styles).
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        state() != QAbstractItemView::EditingState && currentItem()) {
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

} // namespace orvanta
