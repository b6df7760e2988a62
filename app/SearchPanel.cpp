#include "app/SearchPanel.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <map>

namespace orvanta {

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("SearchPanel", text);
}

// The item's role that holds the index of its hit in the list shown.
constexpr int HitRole = Qt::UserRole + 1;

// Typing pauses this long before the query is asked.
constexpr int TypingPauseMs = 150;

} // namespace

SearchPanel::SearchPanel(QWidget* parent) : QWidget(parent) {
    field_ = new QLineEdit;
    field_->setPlaceholderText(Tr("図面の文字を検索 (Ctrl+F)"));
    field_->setClearButtonEnabled(true);
    subfolders_ = new QCheckBox(Tr("サブフォルダも含める"));
    filter_ = new QCheckBox(Tr("一覧を該当図面にしぼる"));
    state_ = new QLabel;
    state_->setTextFormat(Qt::PlainText);
    hits_ = new QTreeWidget;
    hits_->setColumnCount(4);
    hits_->setHeaderLabels({Tr("図面 / 文字"), Tr("種類"), Tr("画層"), Tr("レイアウト")});
    hits_->setUniformRowHeights(true);
    hits_->setRootIsDecorated(true);
    hits_->header()->setStretchLastSection(false);
    hits_->header()->setSectionResizeMode(TextColumn, QHeaderView::Stretch);

    auto* top = new QHBoxLayout;
    top->addWidget(field_, 1);
    top->addWidget(subfolders_);
    top->addWidget(filter_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top);
    layout->addWidget(state_);
    layout->addWidget(hits_, 1);

    typing_ = new QTimer(this);
    typing_->setSingleShot(true);
    typing_->setInterval(TypingPauseMs);
    connect(field_, &QLineEdit::textEdited, typing_, qOverload<>(&QTimer::start));
    connect(field_, &QLineEdit::textChanged, this, [this](const QString& text) {
        // The clear button changes the text without an edit.
        if (text.isEmpty()) typing_->start();
    });
    connect(typing_, &QTimer::timeout, this, [this] { emit queryChanged(query()); });
    connect(field_, &QLineEdit::returnPressed, this, [this] {
        typing_->stop();
        emit queryChanged(query());
    });
    connect(subfolders_, &QCheckBox::toggled, this, &SearchPanel::subfoldersToggled);
    connect(filter_, &QCheckBox::toggled, this, &SearchPanel::filterToggled);
    connect(hits_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { onItemActivated(item); });
}

QString SearchPanel::query() const {
    return field_->text().trimmed();
}

QString SearchPanel::KindText(const IndexedText& text) {
    switch (text.kind) {
    case IndexedTextKind::FileName:
        return Tr("ファイル名");
    case IndexedTextKind::Text:
        return Tr("文字");
    case IndexedTextKind::MText:
        return Tr("マルチテキスト");
    case IndexedTextKind::Attribute:
        return text.tag.empty()
                   ? Tr("属性")
                   : Tr("属性") + QStringLiteral(" ") + QString::fromStdString(text.tag);
    case IndexedTextKind::Dimension:
        return Tr("寸法");
    case IndexedTextKind::MLeader:
        return Tr("マルチ引出線");
    case IndexedTextKind::BlockName:
        return Tr("ブロック名");
    case IndexedTextKind::LayerName:
        return Tr("画層名");
    }
    return {};
}

void SearchPanel::clearResult() {
    hits_->clear();
    shown_.clear();
}

void SearchPanel::showResult(const SearchResult& result, const QString& folder) {
    hits_->setUpdatesEnabled(false);
    clearResult();
    shown_ = result.hits;
    std::map<std::string, std::size_t> counts;
    for (const SearchResult::DrawingCount& drawing : result.drawings)
        counts[drawing.path] = drawing.texts;
    const QDir base(folder);
    QTreeWidgetItem* group = nullptr;
    std::string groupPath;
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        const SearchHit& hit = shown_[i];
        if (!group || hit.path != groupPath) {
            groupPath = hit.path;
            const QString path = QString::fromStdString(hit.path);
            group = new QTreeWidgetItem(hits_);
            group->setText(TextColumn, base.relativeFilePath(path) + QStringLiteral("  (") +
                                           QString::number(counts[hit.path]) + QStringLiteral(")"));
            group->setToolTip(TextColumn, QDir::toNativeSeparators(path));
            group->setData(TextColumn, HitRole, static_cast<qulonglong>(i));
            group->setExpanded(hits_->topLevelItemCount() <= 20);
        }
        const IndexedText& t = hit.text;
        auto* item = new QTreeWidgetItem(group);
        QString text = QString::fromStdString(t.text);
        item->setToolTip(TextColumn, text);
        text.replace(QLatin1Char('\n'), QStringLiteral(" / "));
        item->setText(TextColumn, text);
        item->setText(KindColumn, KindText(t));
        if (t.textIndex >= 0) {
            item->setText(LayerColumn, QString::fromStdString(t.layer));
            item->setText(LayoutColumn,
                          t.layout.empty() ? Tr("モデル") : QString::fromStdString(t.layout));
        }
        item->setData(TextColumn, HitRole, static_cast<qulonglong>(i));
    }
    hits_->resizeColumnToContents(KindColumn);
    hits_->setUpdatesEnabled(true);

    std::size_t texts = 0;
    for (const SearchResult::DrawingCount& drawing : result.drawings)
        texts += drawing.texts;
    if (result.drawings.empty())
        showState(Tr("見つかりません"));
    else
        showState(Tr("%1 図面、%2 件").arg(result.drawings.size()).arg(texts) +
                  (result.truncated ? Tr(" (先頭 %1 件を表示)").arg(shown_.size()) : QString()));
}

void SearchPanel::showState(const QString& text) {
    state_->setText(text);
}

void SearchPanel::onItemActivated(QTreeWidgetItem* item) {
    if (!item) return;
    const auto index = item->data(TextColumn, HitRole).toULongLong();
    if (index >= shown_.size()) return;
    // A drawing's own line opens the drawing at its first hit.
    emit hitChosen(QString::fromStdString(shown_[index].path), shown_[index].text);
}

} // namespace orvanta
