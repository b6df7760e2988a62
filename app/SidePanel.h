// The right-hand panel of the window: the layer check-list with "点滅表示", the text list with
// its filter, the thirteen count labels and the view selector, all filled from the drawing just
// read.
#pragma once

#include "app/DetailView.h"
#include "model/AcadDxfUnit.h"

#include <QWidget>

#include <array>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListView;
class QModelIndex;
class QTabWidget;

namespace orvanta {

class SidePanel : public QWidget {
    Q_OBJECT
  public:
    static constexpr int CountLabels = 13;

    explicit SidePanel(QWidget* parent = nullptr);

    // The drawing whose texts the filter searches; owned by the window.
    void setDrawing(const Drawing* drawing) { drawing_ = drawing; }

    // Fills every part of the panel from a loaded drawing: the layer check-list, the view
    // selector, the text list (with an empty filter) of the texts the file holds, and the counts
    // of the records as read. `readCounts` are the file's counts; the texts the file holds are
    // the first of TextAry (the drawing's blocks add theirs after them). `sheetCounts` are the
    // counts of each sheet by space, shown for the sheet the detail view shows.
    void showDrawing(const Drawing& drawing, const std::array<TableCount, 13>& readCounts,
                     std::vector<std::array<TableCount, 13>> sheetCounts = {});
    // Empties every part of the panel: no drawing is loaded.
    void clearDrawing();
    void showLayers(const Drawing& drawing);
    void showViews(const Drawing& drawing);
    void showCounts(const std::array<TableCount, 13>& counts);
    void clearCounts();
    // Empties the filter box, which lists every text again.
    void clearFilter();
    // Rebuilds the text list from the drawing with the current filter.
    void rebuildTexts();
    // Lists the texts and counts of what the detail view shows: the model's texts as the file
    // holds them (space 0), or every text of a layout's sheet.
    void showSpace(std::int16_t space);

    LayerChecks layerChecks() const;
    bool blinkChecked() const;

    QListWidget* layerList() const { return layerList_; }
    QCheckBox* blinkBox() const { return blinkBox_; }
    QLineEdit* textFilter() const { return textFilter_; }
    QListView* textList() const { return textList_; }
    // The texts of the text list, top to bottom.
    QStringList textItems() const;
    QComboBox* viewSelector() const { return viewSelector_; }
    QLabel* countLabel(int index) const { return countLabels_.at(index); }
    QTabWidget* pages() const { return pages_; }

  signals:
    void layerChecksChanged();
    void layerClicked(const QString& name);
    void textChosen(std::size_t textIndex);
    void viewSelected(int index, const QString& name);

  private:
    class TextListModel;
    void onTextChosen(const QModelIndex& index);

    const Drawing* drawing_ = nullptr;
    // How many of the first texts of the drawing the list offers.
    std::size_t listedTexts_ = 0;
    std::int16_t space_ = 0;
    std::vector<std::array<TableCount, 13>> sheetCounts_;
    QTabWidget* pages_;
    QCheckBox* blinkBox_;
    QListWidget* layerList_;
    QLineEdit* textFilter_;
    QListView* textList_;
    TextListModel* textModel_;
    std::array<QLabel*, CountLabels> countLabels_;
    QComboBox* viewSelector_;
    bool filling_ = false;
};

// True when the first layer called `name` is visible, or when no layer has that name.
bool LayerShownByName(const Drawing& drawing, const std::string& name);

} // namespace orvanta
