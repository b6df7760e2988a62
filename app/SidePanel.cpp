#include "app/SidePanel.h"

#include "browse/Collation.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace orvanta {

namespace {

// A text the window shows, in the window's language: the Japanese source text, or its
// translation (app/translations) when the window speaks another language.
QString Tr(const char* text) {
    return QCoreApplication::translate("SidePanel", text);
}

const char* const AllViews = "*AllView*";
const char* const NoView = "NoView";

QStringList SortedNames(const QStringList& names) {
    const std::vector<QString> texts(names.begin(), names.end());
    QStringList sorted;
    for (std::size_t i : CollationOrder(texts))
        sorted << texts[i];
    return sorted;
}

} // namespace

// The text list holds one row per text of the drawing, which can be tens of thousands: a model
// filled in one step keeps that fast where list items one by one would not be.
class SidePanel::TextListModel : public QAbstractListModel {
  public:
    using QAbstractListModel::QAbstractListModel;

    void setTexts(std::vector<QString> texts, std::vector<std::size_t> indices) {
        beginResetModel();
        texts_ = std::move(texts);
        indices_ = std::move(indices);
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(texts_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount()) return {};
        if (role == Qt::DisplayRole) return texts_[index.row()];
        if (role == Qt::UserRole) return QVariant::fromValue<qulonglong>(indices_[index.row()]);
        return {};
    }

  private:
    std::vector<QString> texts_;
    std::vector<std::size_t> indices_; // TextAry index of each row
};

bool LayerShownByName(const Drawing& drawing, const std::string& name) {
    for (const TLayer& layer : drawing.LayerAry)
        if (layer.Name == name) return layer.visible;
    return true;
}

SidePanel::SidePanel(QWidget* parent) : QWidget(parent) {
    pages_ = new QTabWidget;
    auto* layerPage = new QWidget;
    blinkBox_ = new QCheckBox(Tr("点滅表示"));
    layerList_ = new QListWidget;
    auto* layerLayout = new QVBoxLayout(layerPage);
    layerLayout->setContentsMargins(2, 2, 2, 2);
    layerLayout->setSpacing(2);
    layerLayout->addWidget(blinkBox_);
    layerLayout->addWidget(layerList_, 1);
    pages_->addTab(layerPage, Tr("画層"));

    auto* textPage = new QWidget;
    textFilter_ = new QLineEdit;
    textList_ = new QListView;
    textModel_ = new TextListModel(this);
    textList_->setModel(textModel_);
    textList_->setUniformItemSizes(true);
    textList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    textList_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* textLayout = new QVBoxLayout(textPage);
    textLayout->setContentsMargins(2, 2, 2, 2);
    textLayout->setSpacing(2);
    textLayout->addWidget(textFilter_);
    textLayout->addWidget(textList_, 1);
    pages_->addTab(textPage, Tr("文字列"));

    auto* counts = new QFrame;
    counts->setFrameShape(QFrame::StyledPanel);
    auto* countLayout = new QVBoxLayout(counts);
    countLayout->setContentsMargins(4, 2, 4, 2);
    countLayout->setSpacing(0);
    for (QLabel*& label : countLabels_) {
        label = new QLabel;
        countLayout->addWidget(label);
    }

    viewSelector_ = new QComboBox;

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(pages_, 1);
    layout->addWidget(counts);
    layout->addWidget(viewSelector_);

    connect(layerList_, &QListWidget::itemChanged, this, [this] {
        if (!filling_) emit layerChecksChanged();
    });
    connect(layerList_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { emit layerClicked(item->text()); });
    connect(textFilter_, &QLineEdit::textChanged, this, [this] { rebuildTexts(); });
    connect(textList_, &QListView::clicked, this, &SidePanel::onTextChosen);
    // Moving through the list with the keyboard chooses texts as clicks do.
    connect(textList_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) {
                if (!filling_ && index.isValid() && QApplication::mouseButtons() == Qt::NoButton)
                    onTextChosen(index);
            });
    connect(viewSelector_, &QComboBox::activated, this,
            [this](int index) { emit viewSelected(index, viewSelector_->itemText(index)); });
}

void SidePanel::showDrawing(const Drawing& drawing, const std::array<TableCount, 13>& readCounts,
                            std::vector<std::array<TableCount, 13>> sheetCounts) {
    space_ = 0;
    listedTexts_ = readCounts[5].count;
    sheetCounts_ = std::move(sheetCounts);
    showLayers(drawing);
    showViews(drawing);
    clearFilter();
    showCounts(sheetCounts_.empty() ? readCounts : sheetCounts_[0]);
}

void SidePanel::clearDrawing() {
    listedTexts_ = 0;
    sheetCounts_.clear();
    space_ = 0;
    filling_ = true;
    layerList_->clear();
    viewSelector_->clear();
    filling_ = false;
    clearFilter();
    clearCounts();
}

void SidePanel::showLayers(const Drawing& drawing) {
    filling_ = true;
    layerList_->clear();
    QStringList names;
    for (const TLayer& layer : drawing.LayerAry)
        names << QString::fromStdString(layer.Name);
    for (const QString& name : SortedNames(names)) {
        auto* item = new QListWidgetItem(name, layerList_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(LayerShownByName(drawing, name.toStdString()) ? Qt::Checked
                                                                          : Qt::Unchecked);
    }
    filling_ = false;
}

void SidePanel::showViews(const Drawing& drawing) {
    viewSelector_->clear();
    QStringList names;
    for (const TViewTbl& view : drawing.ViewAry)
        if (view.code70 == 0) names << QString::fromStdString(view.name);
    // The whole drawing stays the first entry whatever the views are called, so that every
    // named view can be chosen.
    if (names.isEmpty()) {
        viewSelector_->addItem(QString::fromLatin1(NoView));
    } else {
        viewSelector_->addItem(QString::fromLatin1(AllViews));
        viewSelector_->addItems(SortedNames(names));
    }
    viewSelector_->setCurrentIndex(0);
}

void SidePanel::showCounts(const std::array<TableCount, 13>& counts) {
    for (int i = 0; i < CountLabels; ++i)
        countLabels_[i]->setText(QString::fromLatin1(counts[i].name) + QStringLiteral(" : ") +
                                 QString::number(counts[i].count));
}

void SidePanel::clearCounts() {
    for (QLabel* label : countLabels_)
        label->clear();
}

void SidePanel::clearFilter() {
    if (textFilter_->text().isEmpty())
        rebuildTexts();
    else
        textFilter_->clear(); // rebuilds through textChanged
}

void SidePanel::showSpace(std::int16_t space) {
    if (space == space_) return;
    space_ = space;
    rebuildTexts();
    if (space >= 0 && static_cast<std::size_t>(space) < sheetCounts_.size())
        showCounts(sheetCounts_[static_cast<std::size_t>(space)]);
}

void SidePanel::rebuildTexts() {
    filling_ = true;
    std::vector<QString> texts;
    std::vector<std::size_t> indices;
    if (drawing_) {
        const std::string filter = textFilter_->text().toStdString();
        // A sheet's texts come from its block as well as from the file's paper space.
        const std::size_t listed = space_ == 0 ? std::min(listedTexts_, drawing_->TextAry.size())
                                               : drawing_->TextAry.size();
        for (std::size_t i = 0; i < listed; ++i) {
            const TTextBlk& text = drawing_->TextAry[i];
            if (text.code70 != 0 || text.code67 != space_) continue;
            if (!filter.empty() && text.str.find(filter) == std::string::npos) continue;
            texts.push_back(QString::fromStdString(text.str));
            indices.push_back(i);
        }
    }
    std::vector<QString> sortedTexts;
    std::vector<std::size_t> sortedIndices;
    sortedTexts.reserve(texts.size());
    sortedIndices.reserve(texts.size());
    for (std::size_t k : CollationOrder(texts)) {
        sortedTexts.push_back(std::move(texts[k]));
        sortedIndices.push_back(indices[k]);
    }
    textModel_->setTexts(std::move(sortedTexts), std::move(sortedIndices));
    if (textModel_->rowCount() > 0) textList_->setCurrentIndex(textModel_->index(0));
    filling_ = false;
}

QStringList SidePanel::textItems() const {
    QStringList items;
    for (int row = 0; row < textModel_->rowCount(); ++row)
        items << textModel_->data(textModel_->index(row), Qt::DisplayRole).toString();
    return items;
}

void SidePanel::onTextChosen(const QModelIndex& index) {
    if (!index.isValid() || !drawing_) return;
    const auto text = static_cast<std::size_t>(index.data(Qt::UserRole).toULongLong());
    if (text < drawing_->TextAry.size()) emit textChosen(text);
}

LayerChecks SidePanel::layerChecks() const {
    LayerChecks checks;
    for (int i = 0; i < layerList_->count(); ++i) {
        const QListWidgetItem* item = layerList_->item(i);
        checks.emplace_back(item->text().toStdString(), item->checkState() == Qt::Checked);
    }
    return checks;
}

bool SidePanel::blinkChecked() const {
    return blinkBox_->isChecked();
}

} // namespace orvanta
