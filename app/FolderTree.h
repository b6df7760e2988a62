// The folder tree of the left panel: the folders of the file system (no files, no hidden
// folders), starting at the root of the file system or at a chosen top folder.
//
// Sub-folders are listed when a node is first expanded and forgotten when it is collapsed, so
// the tree always shows the folders as they are now. Selecting a node reports its folder; a
// node's label can be edited to rename the folder.
#pragma once

#include <QTreeWidget>

namespace orvanta {

class FolderTree : public QTreeWidget {
    Q_OBJECT
  public:
    static constexpr int PathRole = Qt::UserRole;

    explicit FolderTree(QWidget* parent = nullptr);

    // Rebuilds the tree with `folder` as its only top node, expanded. False, and the tree left
    // as it was, when `folder` is no folder.
    bool setTop(const QString& folder);
    QString topFolder() const;
    // Opens the nodes down to `folder`, expands and selects its node (without reporting it as
    // chosen) and scrolls it into view. False when the tree does not show `folder`.
    bool reveal(const QString& folder);

    // The folder of a node.
    static QString pathOf(const QTreeWidgetItem* item);

  signals:
    // The user selected the node of `folder`.
    void folderSelected(const QString& folder);
    // The user renamed the folder `from` to `to`.
    void folderRenamed(const QString& from, const QString& to);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QTreeWidgetItem* makeNode(const QString& path, const QString& text);
    void listChildren(QTreeWidgetItem* item);
    void onExpanded(QTreeWidgetItem* item);
    void onCollapsed(QTreeWidgetItem* item);
    void onItemChanged(QTreeWidgetItem* item, int column);
    void setPath(QTreeWidgetItem* item, const QString& path);

    bool building_ = false;
};

// Whether a folder holds at least one folder that the tree would show.
bool HasSubFolders(const QString& folder);

} // namespace orvanta
