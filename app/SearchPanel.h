// The " 検索" tab: a search field for the texts of the folder's drawings, with
// "サブフォルダも含める" and the choice to show only the matching drawings in the list, and the
// hits grouped by drawing. It shows what it is given and reports what the user does; the
// window runs the search.
#pragma once

#include "browse/TextIndex.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace orvanta {

class SearchPanel : public QWidget {
    Q_OBJECT
  public:
    enum Column { TextColumn, KindColumn, LayerColumn, LayoutColumn };

    explicit SearchPanel(QWidget* parent = nullptr);

    // Lists the hits of `result` under their drawings, each drawing named relative to `folder`
    // (the folder searched) with its number of matching texts; the first drawing opened.
    void showResult(const SearchResult& result, const QString& folder);
    // Says how the search stands ("索引作成中 ..."), or why it cannot be used.
    void showState(const QString& text);
    // Empties the list.
    void clearResult();

    QLineEdit* field() const { return field_; }
    QCheckBox* subfoldersBox() const { return subfolders_; }
    QCheckBox* filterBox() const { return filter_; }
    QTreeWidget* hitList() const { return hits_; }
    QLabel* stateLabel() const { return state_; }
    // The query as typed.
    QString query() const;

    // The words the kind of a text is shown with.
    static QString KindText(const IndexedText& text);

  signals:
    // The query changed and the user paused typing (or pressed Enter).
    void queryChanged(const QString& query);
    void subfoldersToggled(bool on);
    void filterToggled(bool on);
    // A hit was double-clicked or chosen with Enter.
    void hitChosen(const QString& path, const IndexedText& text);

  private:
    void onItemActivated(QTreeWidgetItem* item);

    QLineEdit* field_ = nullptr;
    QCheckBox* subfolders_ = nullptr;
    QCheckBox* filter_ = nullptr;
    QLabel* state_ = nullptr;
    QTreeWidget* hits_ = nullptr;
    QTimer* typing_ = nullptr;
    // The hits listed, by the index stored in each item.
    std::vector<SearchHit> shown_;
};

} // namespace orvanta
