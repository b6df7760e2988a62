#include "app/MainWindow.h"

#include "app/AboutBox.h"
#include "app/ExportWindow.h"
#include "app/FileListPanel.h"
#include "app/FolderSearch.h"
#include "app/FolderTree.h"
#include "app/PreviewGrid.h"
#include "app/SearchPanel.h"
#include "app/SidePanel.h"
#include "bridges/CadHost.h"
#include "browse/PreviewPool.h"
#include "model/Abort.h"
#include "render/qt/RasterImages.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QScreen>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace orvanta {

namespace {

const char* const StartCaption = "Orvanta Ver.2016.9.30b";
const char* const FolderCaptionPrefix = "Orvanta2017 [";
const char* const ApplicationTitle = "Orvanta2017";
const char* const InitialPathText = "Path:";
const QString RootFolder = QStringLiteral("/");

// A text of the menus and tabs in the window's language: the Japanese source text, or its
// translation (app/translations) when the window speaks another language.
QString Tr(const char* text) {
    return QCoreApplication::translate("MainWindow", text);
}

// Design size of the window's client area.
constexpr int DesignWidth = 680;
constexpr int DesignHeight = 443;
constexpr int StatusPanelWidths[MainWindow::StatusPanels] = {300, 200, 200, 50, 200, 180};

// The encodings of 表示 > 文字コード, after "自動" (the rules).
constexpr const char* EncodingChoices[] = {"",     "Shift-JIS", "UTF-8",        "GBK",
                                           "Big5", "EUC-KR",    "Windows-1252", "Windows-1251"};

// A status bar panel: as wide as designed when there is room, narrower when there is not.
class StatusLabel : public QLabel {
  public:
    explicit StatusLabel(int designWidth) : designWidth_(designWidth) {
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        setFrameShape(QFrame::Panel);
        setFrameShadow(QFrame::Sunken);
        setTextFormat(Qt::PlainText);
    }
    QSize sizeHint() const override { return {designWidth_, QLabel::sizeHint().height()}; }
    // The narrow elapsed-time panel keeps its width; the wide ones give way.
    QSize minimumSizeHint() const override {
        return {std::min(designWidth_, 50), QLabel::minimumSizeHint().height()};
    }

  private:
    int designWidth_;
};

// Menu texts show '&' as a mnemonic marker; a folder's name must show as it is.
QString MenuText(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('&'), QLatin1String("&&"));
    return escaped;
}

QString FolderCaption(const QString& folder) {
    return QString::fromUtf8(FolderCaptionPrefix) + folder + QLatin1Char(']');
}

} // namespace

AppEnvironment DefaultEnvironment(const QString& commandLineFile) {
    AppEnvironment env;
    const QString configFolder =
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    const QString cacheFolder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    env.settingsPath = QString::fromStdString(SettingsPathFor(
        QCoreApplication::applicationFilePath().toStdString(), configFolder.toStdString()));
    // Converted drawings go to a folder only this program writes, never to a folder of the user's.
    env.convertedFolder = cacheFolder + QStringLiteral("/converted");
    env.indexFile = QString::fromStdString(TextIndex::DefaultFile());
    // File managers hand over a path, or a file:// URI when they open a drawing by its URI.
    const QString path = commandLineFile.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)
                             ? QUrl(commandLineFile).toLocalFile()
                             : commandLineFile;
    env.commandLineFile = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    return env;
}

MainWindow::MainWindow(AppEnvironment environment, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), env_(std::move(environment)), dialogs_(dialogs) {
    setWindowTitle(QString::fromUtf8(StartCaption));
    setWindowIcon(ProgramIcon());
    setAcceptDrops(true);
    builtInPresenter_.attach(this);

    buildLayout();
    buildMenus();
    // Tool tips are off everywhere; wheel steps over the window reach the detail view.
    qApp->installEventFilter(this);

    // The history entries start empty and hidden; the settings fill them.
    refreshHistoryMenu();
    applySettings();
    buildSearch();

    selectTabQuietly(settings_.pageTab);
    if (!env_.commandLineFile.isEmpty()) {
        selectTabQuietly(DetailTab);
        const QFileInfo file(env_.commandLineFile);
        if (!file.isDir()) {
            pendingName_ = file.fileName();
            pending_ = true;
        }
    }
    for (int i = 0; i < HistorySize; ++i)
        history_.set(i, settings_.history[i]);
    refreshHistoryMenu();

    sidePanel_->clearCounts();
    drawingLabel_->clear();

    tree_->setTop(RootFolder);
    // A stored top folder that cannot be found now is not used, but kept for the next start.
    const QString baseFolder = QString::fromStdString(settings_.baseFolder);
    if (!baseFolder.isEmpty() && QFileInfo(baseFolder).isDir()) tree_->setTop(baseFolder);

    // Raster images too large to decode while the picture is drawn arrive afterwards.
    RasterImageCache::Shared().setDecodedListener([this] {
        QMetaObject::invokeMethod(
            this, [this] { presenter_->picturesDecoded(); }, Qt::QueuedConnection);
    });

    detailView_->clearCanvas();
    placeWindow();
    applySidePanelForTab();
    fileList_->table()->setFocus();
}

MainWindow::~MainWindow() {
    // The drawing goes with the window; the presenter, which may outlive it, lets go of it.
    presenter_->drawingWillLoad();
    RasterImageCache::Shared().setDecodedListener({});
    stopPreviews();
    stopSearch();
    qApp->removeEventFilter(this);
    if (!settingsSaved_) saveSettings();
}

void MainWindow::buildLayout() {
    tree_ = new FolderTree;
    fileList_ = new FileListPanel;

    tabs_ = new QTabWidget;
    previewPage_ = new QWidget;
    previewPage_->setAutoFillBackground(true);
    {
        QPalette p = previewPage_->palette();
        p.setColor(QPalette::Window, Qt::white);
        previewPage_->setPalette(p);
    }
    previewPage_->setContextMenuPolicy(Qt::CustomContextMenu);
    previewGrid_ = new PreviewGrid;
    previewGrid_->setContextMenuPolicy(Qt::CustomContextMenu);
    {
        auto* previewLayout = new QVBoxLayout(previewPage_);
        previewLayout->setContentsMargins(0, 0, 0, 0);
        previewLayout->addWidget(previewGrid_);
    }
    auto* detailPage = new QWidget;
    drawingLabel_ = new QLabel;
    drawingLabel_->setTextFormat(Qt::PlainText);
    drawingLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    detailView_ = new DetailView;
    detailView_->setPresenter(presenter_);
    detailView_->setActionRunner(
        [this](const std::function<void()>& action) { runUserAction(action); });
    auto* detailLayout = new QVBoxLayout(detailPage);
    detailLayout->setContentsMargins(0, 0, 0, 0);
    detailLayout->setSpacing(0);
    detailLayout->addWidget(drawingLabel_);
    detailLayout->addWidget(detailView_, 1);
    // The model and the layouts of the drawing shown, as tabs under the picture.
    layoutTabs_ = new QTabBar;
    layoutTabs_->setShape(QTabBar::RoundedSouth);
    layoutTabs_->setExpanding(false);
    layoutTabs_->setDrawBase(false);
    layoutTabs_->hide();
    detailLayout->addWidget(layoutTabs_);
    connect(layoutTabs_, &QTabBar::currentChanged, this, [this](int index) {
        if (index < 0 || fillingLayoutTabs_) return;
        const auto space = static_cast<std::int16_t>(layoutTabs_->tabData(index).toInt());
        sidePanel_->showSpace(space);
        runUserAction([this, space] { presenter_->spaceSelected(space); });
    });
    tabs_->addTab(previewPage_, Tr(" 一覧"));
    tabs_->addTab(detailPage, Tr(" 詳細"));

    centreSplitter_ = new QSplitter(Qt::Vertical);
    centreSplitter_->addWidget(fileList_);
    centreSplitter_->addWidget(tabs_);
    centreSplitter_->setStretchFactor(0, 0);
    centreSplitter_->setStretchFactor(1, 1);
    centreSplitter_->setCollapsible(1, false);

    sidePanel_ = new SidePanel;
    sidePanel_->setDrawing(&drawing_);

    mainSplitter_ = new QSplitter(Qt::Horizontal);
    mainSplitter_->addWidget(tree_);
    mainSplitter_->addWidget(centreSplitter_);
    mainSplitter_->addWidget(sidePanel_);
    mainSplitter_->setStretchFactor(0, 0);
    mainSplitter_->setStretchFactor(1, 1);
    mainSplitter_->setStretchFactor(2, 0);
    mainSplitter_->setCollapsible(1, false);
    for (QWidget* panel : {static_cast<QWidget*>(tree_), static_cast<QWidget*>(sidePanel_),
                           static_cast<QWidget*>(fileList_)})
        panel->setMinimumSize(0, 0);

    progressBar_ = new QProgressBar;
    progressBar_->setFixedHeight(12);
    progressBar_->setTextVisible(false);
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(mainSplitter_, 1);
    layout->addWidget(progressBar_);
    setCentralWidget(central);

    for (int i = 0; i < StatusPanels; ++i) {
        statusPanels_[i] = new StatusLabel(StatusPanelWidths[i]);
        statusBar()->addWidget(statusPanels_[i], i == StatusPanels - 1 ? 1 : 0);
    }

    connect(tree_, &FolderTree::folderSelected, this, &MainWindow::showFolder);
    connect(tree_, &FolderTree::folderRenamed, this, &MainWindow::onFolderRenamed);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { treeMenu_->popup(tree_->viewport()->mapToGlobal(at)); });
    connect(previewPage_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { previewMenu_->popup(previewPage_->mapToGlobal(at)); });
    // The grid's own pop-up is the preview page's.
    connect(previewGrid_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        emit previewPage_->customContextMenuRequested(
            previewPage_->mapFromGlobal(previewGrid_->viewport()->mapToGlobal(at)));
    });
    connect(previewGrid_, &PreviewGrid::cellClicked, this, &MainWindow::previewCellClicked);
    connect(previewGrid_, &PreviewGrid::cellDoubleClicked, this,
            &MainWindow::previewCellDoubleClicked);
    connect(fileList_->pathLabel(), &PathLabel::clicked, this, [this] {
        if (folderChosen_) scanFolder();
    });
    connect(fileList_, &FileListPanel::rowChosen, this, &MainWindow::chooseRow);
    connect(tabs_, &QTabWidget::currentChanged, this, &MainWindow::onTabChanged);
    connect(detailView_, &DetailView::resized, this, [this] {
        if (!detailTabShowing()) return;
        presenter_->clearCrossHair();
        runUserAction([this] { presenter_->viewResized(); });
    });

    connect(sidePanel_, &SidePanel::layerChecksChanged, this, [this] {
        runUserAction([this] { presenter_->layerChecksChanged(sidePanel_->layerChecks()); });
    });
    connect(sidePanel_, &SidePanel::layerClicked, this, [this](const QString& name) {
        presenter_->clearCrossHair();
        runUserAction([&] {
            presenter_->layerClicked(sidePanel_->layerChecks(), name.toStdString(),
                                     sidePanel_->blinkChecked());
        });
    });
    connect(sidePanel_, &SidePanel::textChosen, this, [this](std::size_t index) {
        presenter_->clearCrossHair();
        runUserAction([&] { presenter_->textChosen(index); });
    });
    connect(sidePanel_, &SidePanel::viewSelected, this, [this](int index, const QString& name) {
        runUserAction([&] { presenter_->viewSelected(index, name.toStdString()); });
    });
}

void MainWindow::buildMenus() {
    auto item = [this](QMenu* menu, const char* text, bool enabled = true) {
        QAction* action = menu->addAction(Tr(text));
        action->setEnabled(enabled);
        return action;
    };
    QMenuBar* bar = menuBar();

    QMenu* file = bar->addMenu(Tr("ファイル"));
    connect(item(file, "現フォルダを履歴に追加"), &QAction::triggered, this,
            &MainWindow::addCurrentFolderToHistory);
    for (int i = 0; i < HistorySize; ++i) {
        historyActions_[i] = file->addAction(QString());
        connect(historyActions_[i], &QAction::triggered, this, [this, i] { openHistoryEntry(i); });
    }
    historySeparator_ = file->addSeparator();
    connect(item(file, "現フォルダを履歴から削除"), &QAction::triggered, this,
            &MainWindow::removeCurrentFolderFromHistory);
    file->addSeparator();
    exportAction_ = item(file, "WMF/EMF・BMP作成", false);
    connect(exportAction_, &QAction::triggered, this, &MainWindow::openImageExport);
    connect(file, &QMenu::aboutToShow, this, &MainWindow::updateExportAction);
    file->addSeparator();
    connect(item(file, "終了"), &QAction::triggered, this, &QWidget::close);

    // Exploded insertion and the other CAD program are not offered: their items stay disabled,
    // so that the menus read as users of the other programs know them.
    QMenu* batch = bar->addMenu(Tr("一括処理"));
    connect(item(batch, "一覧用イメージ作成"), &QAction::triggered, this,
            &MainWindow::saveCacheFiles);
    connect(item(batch, "一覧用イメージ削除"), &QAction::triggered, this,
            &MainWindow::deleteCacheFiles);
    connect(item(batch, "DXFバージョン取得"), &QAction::triggered, this,
            [this] { runUserAction([this] { readVersions(); }); });
    batch->addSeparator();
    item(batch, "取り消し");

    QMenu* print = bar->addMenu(Tr("印刷"));
    QAction* printList = item(print, "一覧を印刷", false);
    QAction* printDetail = item(print, "詳細を印刷", false);
    QAction* printBatch = item(print, "一括PDF", false);
    connect(printList, &QAction::triggered, this, &MainWindow::printList);
    connect(printDetail, &QAction::triggered, this, &MainWindow::printDetail);
    connect(printBatch, &QAction::triggered, this, &MainWindow::printBatch);
    // A detail print needs a drawing shown on the detail tab, a list print a listed drawing on
    // the preview tab; a batch a listed drawing on either.
    connect(print, &QMenu::aboutToShow, this, [this, printList, printDetail, printBatch]() {
        const bool listed =
            folderChosen_ && !fileList_->cell(0, FileListPanel::NameColumn).isEmpty();
        printList->setEnabled(!detailTabShowing() && listed);
        printDetail->setEnabled(detailTabShowing() && !currentDrawingPath_.isEmpty());
        printBatch->setEnabled(listed);
    });
    print->addSeparator();
    item(print, "取り消し");

    auto addInsertItems = [&](QMenu* menu) {
        connect(item(menu, "AutoCAD / LT (2014~2017) へブロック挿入"), &QAction::triggered, this,
                &MainWindow::insertIntoCadHost);
        item(menu, "AutoCAD / LT (2014~2017) へ分解挿入", false);
        item(menu, "Bricscad V13 へブロック挿入", false);
    };
    QMenu* insert = bar->addMenu(Tr("挿入"));
    addInsertItems(insert);
    insert->addSeparator();
    item(insert, "取り消し");

    QMenu* view = bar->addMenu(Tr("表示"));
    monochromeAction_ = item(view, "モノクロ表示");
    monochromeAction_->setCheckable(true);
    connect(monochromeAction_, &QAction::toggled, this, &MainWindow::onColorModeToggled);
    lineweightAction_ = item(view, "線の太さを表示");
    lineweightAction_->setCheckable(true);
    // Triggered, not toggled: the check mark set from the settings at start redraws nothing.
    connect(lineweightAction_, &QAction::triggered, this, &MainWindow::onLineweightsToggled);
    alwaysModelAction_ = item(view, "常にモデルで開く");
    alwaysModelAction_->setCheckable(true);
    connect(alwaysModelAction_, &QAction::triggered, this,
            [this](bool checked) { settings_.alwaysModel = checked; });
    // The encoding of the shown drawing's texts: the rules, or one the user chooses for the file.
    QMenu* encodings = view->addMenu(Tr("文字コード"));
    auto* encodingGroup = new QActionGroup(encodings);
    for (const char* name : EncodingChoices) {
        QAction* action =
            name[0] ? encodings->addAction(QString::fromUtf8(name)) : item(encodings, "自動");
        action->setCheckable(true);
        action->setData(QString::fromUtf8(name));
        encodingGroup->addAction(action);
        connect(action, &QAction::triggered, this,
                [this, name] { runUserAction([&] { chooseEncoding(name); }); });
    }
    connect(encodings, &QMenu::aboutToShow, this, [this, encodings] {
        const QString path = encodingTarget();
        const auto chosen = settings_.fileEncodings.find(path.toStdString());
        const QString name = chosen == settings_.fileEncodings.end()
                                 ? QString()
                                 : QString::fromStdString(chosen->second);
        for (QAction* action : encodings->actions()) {
            action->setEnabled(!path.isEmpty());
            action->setChecked(action->data().toString() == name);
        }
    });
    QMenu* sizes = view->addMenu(Tr("一覧イメージサイズ"));
    for (int i = 0; i < CellSizeCount; ++i) {
        cellSizeActions_[i] = item(sizes, CellSizeChoices[i].text);
        cellSizeActions_[i]->setCheckable(true);
        connect(cellSizeActions_[i], &QAction::triggered, this, [this, i] { chooseCellSize(i); });
    }
    view->addSeparator();
    hideTreeAction_ = item(view, "フォルダツリービュー非表示");
    hideFileListAction_ = item(view, "ファイルリスト非表示");
    hideSidePanelAction_ = item(view, "画層・文字列非表示");
    for (QAction* a : {hideTreeAction_, hideFileListAction_, hideSidePanelAction_})
        a->setCheckable(true);
    connect(hideTreeAction_, &QAction::triggered, this, [this](bool checked) {
        setTreePanelWidth(checked ? 0 : AppSettings::DefaultTreeWidth);
    });
    connect(hideFileListAction_, &QAction::triggered, this, [this](bool checked) {
        setFileListPanelHeight(checked ? 0 : AppSettings::DefaultFileListHeight);
    });
    connect(hideSidePanelAction_, &QAction::triggered, this, [this](bool checked) {
        if (checked)
            setSidePanelWidth(0);
        else if (detailTabShowing())
            setSidePanelWidth(AppSettings::DefaultSidePanelWidth);
    });
    view->addSeparator();
    connect(item(view, "ツリービューのトップを「デスクトップ」に戻す"), &QAction::triggered, this,
            [this] { setTreeTopToRoot(false); });
    connect(item(view, "ツリービューのトップを「現フォルダ」に"), &QAction::triggered, this,
            [this] { setTreeTopToCurrentFolder(false); });
    connect(item(view, "ツリービューのトップを「デスクトップ」に（次回起動時も）"),
            &QAction::triggered, this, [this] { setTreeTopToRoot(true); });
    connect(item(view, "ツリービューのトップを「現フォルダ」に（次回起動時も）"),
            &QAction::triggered, this, [this] { setTreeTopToCurrentFolder(true); });
    view->addSeparator();
    connect(item(view, "TeighaFileConverter.exe を登録"), &QAction::triggered, this,
            &MainWindow::registerConverter);
    showConverterAction_ = item(view, "変換中 TeighaFileConverter を表示");
    showConverterAction_->setCheckable(true);
    connect(showConverterAction_, &QAction::toggled, this,
            [this](bool checked) { settings_.converterShow = checked; });

    QMenu* help = bar->addMenu(Tr("ヘルプ"));
    connect(item(help, "バージョン情報"), &QAction::triggered, this, [this] { dialogs_.about(); });

    treeMenu_ = new QMenu(this);
    connect(item(treeMenu_, "トップを「デスクトップ」に戻す"), &QAction::triggered, this,
            [this] { setTreeTopToRoot(false); });
    connect(item(treeMenu_, "トップを現フォルダに"), &QAction::triggered, this,
            [this] { setTreeTopToCurrentFolder(false); });

    previewMenu_ = new QMenu(this);
    addInsertItems(previewMenu_);
}

void MainWindow::applySettings() {
    IniFile file;
    file.load(env_.settingsPath.toStdString());
    settings_ = ReadSettings(file);

    // The centre takes what the side panels leave of the design width.
    const int centre = std::max(1, DesignWidth - settings_.treeWidth - settings_.sidePanelWidth -
                                       mainSplitter_->handleWidth() * 2);
    mainSplitter_->setSizes({settings_.treeWidth, centre, settings_.sidePanelWidth});
    hideTreeAction_->setChecked(settings_.treeWidth == 0);
    centreSplitter_->setSizes(
        {settings_.fileListHeight, std::max(1, DesignHeight - settings_.fileListHeight)});
    hideFileListAction_->setChecked(settings_.fileListHeight == 0);
    hideSidePanelAction_->setChecked(settings_.sidePanelWidth == 0);

    showConverterAction_->setChecked(settings_.converterShow);
    lineweightAction_->setChecked(settings_.showLineweights);
    alwaysModelAction_->setChecked(settings_.alwaysModel);
    for (int i = 0; i < CellSizeCount; ++i)
        cellSizeActions_[i]->setChecked(settings_.cellWidth == CellSizeChoices[i].width);
    previewGrid_->setCellSize(cellSize());
}

void MainWindow::placeWindow() {
    resize(DesignWidth, DesignHeight + menuBar()->sizeHint().height());
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    QPoint at((available.width() - width()) / 2 + available.left(),
              (available.height() - height()) / 2 + available.top());
    if (settings_.left && settings_.top) {
        // A stored position is taken when the window would still be reachable there.
        const QRect stored(*settings_.left, *settings_.top, width(), height());
        for (const QScreen* s : QGuiApplication::screens()) {
            const QRect seen = stored.intersected(s->availableGeometry());
            if (seen.width() >= 100 && seen.height() >= 50) {
                at = stored.topLeft();
                break;
            }
        }
    }
    move(at);
}

void MainWindow::saveSettings() {
    settingsSaved_ = true;
    settings_.left = pos().x();
    settings_.top = pos().y();
    settings_.treeWidth = treePanelWidth();
    settings_.pageTab = tabs_->currentIndex() == DetailTab ? DetailTab : PreviewTab;
    for (int i = 0; i < HistorySize; ++i)
        settings_.history[i] = history_.at(i);

    const std::string path = env_.settingsPath.toStdString();
    // Keys this window does not write keep what the file holds now.
    IniFile file;
    file.load(path);
    WriteSettings(file, settings_);
    // Without a folder shown this time (the stored one could not be found), the stored one stays.
    if (folderChosen_) WriteShellPath(file, fileList_->pathLabel()->text().toStdString());
    QDir().mkpath(QFileInfo(env_.settingsPath).absolutePath());
    file.save(path);
}

void MainWindow::setDetailPresenter(DetailPresenter* presenter) {
    presenter_ = presenter ? presenter : &builtInPresenter_;
    presenter_->attach(this);
    detailView_->setPresenter(presenter_);
}

void MainWindow::setStatusText(StatusPanel panel, const QString& text) {
    QLabel* label = statusPanels_[static_cast<int>(panel)];
    label->setText(text);
    // A narrow window cuts the panels' texts; the whole text shows under the mouse.
    label->setToolTip(text);
}

QString MainWindow::statusText(StatusPanel panel) const {
    return statusPanels_[static_cast<int>(panel)]->text();
}

bool MainWindow::detailTabShowing() const {
    return tabs_->currentIndex() == DetailTab;
}

QAction* MainWindow::action(const QString& text) const {
    // Menu actions belong to their menus, which belong to the window.
    const QList<QAction*> actions = findChildren<QAction*>();
    for (QAction* a : actions)
        if (a->text() == text) return a;
    return nullptr;
}

int MainWindow::treePanelWidth() const {
    return mainSplitter_->sizes().value(0);
}
int MainWindow::fileListPanelHeight() const {
    return centreSplitter_->sizes().value(0);
}
int MainWindow::sidePanelWidth() const {
    return mainSplitter_->sizes().value(2);
}

void MainWindow::setTreePanelWidth(int width) {
    QList<int> sizes = mainSplitter_->sizes();
    sizes[1] = std::max(1, sizes[1] + sizes[0] - width);
    sizes[0] = width;
    mainSplitter_->setSizes(sizes);
}

void MainWindow::setFileListPanelHeight(int height) {
    QList<int> sizes = centreSplitter_->sizes();
    sizes[1] = std::max(1, sizes[1] + sizes[0] - height);
    sizes[0] = height;
    centreSplitter_->setSizes(sizes);
}

void MainWindow::setSidePanelWidth(int width) {
    QList<int> sizes = mainSplitter_->sizes();
    if (sizes[2] == width) return;
    sizes[1] = std::max(1, sizes[1] + sizes[2] - width);
    sizes[2] = width;
    mainSplitter_->setSizes(sizes);
}

void MainWindow::applySidePanelForTab() {
    if (detailTabShowing() && !hideSidePanelAction_->isChecked())
        setSidePanelWidth(AppSettings::DefaultSidePanelWidth);
    else
        setSidePanelWidth(0);
}

void MainWindow::selectTabQuietly(int index) {
    const QSignalBlocker block(tabs_);
    tabs_->setCurrentIndex(index);
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) activate();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // A window that is never made active (no window manager) still starts as if it had been.
    if (!activatedOnce_)
        QTimer::singleShot(0, this, [this] {
            if (!activatedOnce_) activate();
        });
}

void MainWindow::activate() {
    applySidePanelForTab();
    if (!activatedOnce_) {
        activatedOnce_ = true;
        firstActivation();
    }
}

void MainWindow::firstActivation() {
    // The folder the window starts on: the command-line drawing's, else the one shown last.
    QString folder;
    if (!env_.commandLineFile.isEmpty()) {
        const QFileInfo file(env_.commandLineFile);
        folder = file.isDir() ? file.absoluteFilePath() : file.absolutePath();
    } else {
        IniFile file;
        file.load(env_.settingsPath.toStdString());
        folder = QString::fromStdString(
            ReadShellPath(file, fileList_->pathLabel()->text().toStdString()));
    }
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) showFolder(folder);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    closing_ = true;
    stopPreviews();
    stopSearch();
    saveSettings();
    QMainWindow::closeEvent(event);
}

void MainWindow::refreshHistoryMenu() {
    for (int i = 0; i < HistorySize; ++i) {
        const QString path = QString::fromStdString(history_.at(i));
        historyActions_[i]->setText(MenuText(path));
        historyActions_[i]->setData(path);
        historyActions_[i]->setVisible(history_.visible(i));
    }
    historySeparator_->setVisible(history_.anyVisible());
}

QString MainWindow::currentFolderText() const {
    return folderChosen_ ? fileList_->pathLabel()->text() : QString();
}

void MainWindow::addCurrentFolderToHistory() {
    history_.add(currentFolderText().toStdString());
    refreshHistoryMenu();
}

void MainWindow::removeCurrentFolderFromHistory() {
    history_.remove(currentFolderText().toStdString());
    refreshHistoryMenu();
}

void MainWindow::openHistoryEntry(int index) {
    const QString path = QString::fromStdString(history_.at(index));
    if (!path.isEmpty() && QFileInfo(path).isDir()) {
        showFolder(path);
        return;
    }
    history_.removeAt(index);
    refreshHistoryMenu();
}

void MainWindow::setTreeTop(const QString& folder) {
    sidePanel_->clearFilter();
    tree_->setTop(folder);
    if (folderChosen_) tree_->reveal(fileList_->folder());
}

void MainWindow::setTreeTopToRoot(bool persistent) {
    setTreeTop(RootFolder);
    if (persistent) settings_.baseFolder.clear();
}

void MainWindow::setTreeTopToCurrentFolder(bool persistent) {
    QString path = currentFolderText();
    if (path.isEmpty() || !QFileInfo(path).isDir()) return;
    if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    setTreeTop(path);
    if (persistent) settings_.baseFolder = path.toStdString();
}

void MainWindow::onFolderRenamed(const QString& from, const QString& to) {
    // The current folder, or the folder it lies in, was renamed: keep showing the same folder.
    const QString current = fileList_->folder();
    if (!folderChosen_) return;
    if (current == from || current.startsWith(from + QLatin1Char('/'))) {
        const QString renamed = to + current.mid(from.size());
        fileList_->pathLabel()->setText(renamed);
        setWindowTitle(FolderCaption(renamed));
    }
}

void MainWindow::updateExportAction() {
    exportAction_->setEnabled(detailTabShowing() && presenter_->drawingShown());
}

void MainWindow::openImageExport() {
    updateExportAction();
    if (!exportAction_->isEnabled()) return;
    presenter_->clearCrossHair();
    const ViewState& view = presenter_->viewState();
    const QSize size = detailView_->picture().size();
    ExportWindow window(
        drawing_,
        ViewDrawOptions(view, view.ViewCenter, size.width(), size.height(), {lineweightsShown()}),
        dialogs_, this);
    window.exec();
}

void MainWindow::onTabChanged(int index) {
    presenter_->clearCrossHair();
    if (index == DetailTab) {
        applySidePanelForTab();
        if (fileList_->currentRow() < 0) fileList_->setCurrentRowQuietly(0);
        const int row = fileList_->currentRow();
        const QString name = fileList_->cell(row, FileListPanel::NameColumn);
        const QString path = QDir(fileList_->folder()).filePath(name);
        if (!name.isEmpty() && currentDrawingPath_ != path)
            runUserAction([&] { OpenDrawing(path); });
    } else {
        setSidePanelWidth(0);
        for (StatusPanel panel : {StatusPanel::Elapsed, StatusPanel::Progress,
                                  StatusPanel::ViewSize, StatusPanel::Mouse})
            setStatusText(panel, QString());
        const QString folder = fileList_->pathLabel()->text();
        // The search tab shows no pictures: the grid is made when its tab is shown.
        if (index == PreviewTab && folder != lastPreviewFolder_) {
            // The build's time is shown when its last picture is in.
            buildThumbnails();
            lastPreviewFolder_ = folder;
            drawingLabel_->clear();
            currentDrawingPath_.clear();
        }
    }
    updateExportAction();
}

void MainWindow::onColorModeToggled(bool checked) {
    colorMode_ = checked ? ColorModeMonochrome : ColorModeColor;
    if (detailTabShowing()) {
        runUserAction([this] { presenter_->colorModeChanged(); });
    } else {
        lastPreviewFolder_.clear();
        onTabChanged(PreviewTab);
    }
}

void MainWindow::showLayoutTabs(std::int16_t space) {
    fillingLayoutTabs_ = true;
    while (layoutTabs_->count() > 0)
        layoutTabs_->removeTab(0);
    layoutTabs_->addTab(Tr("モデル"));
    layoutTabs_->setTabData(0, 0);
    for (const TLayout& layout : drawing_.LayoutAry) {
        const int tab = layoutTabs_->addTab(QString::fromStdString(layout.name));
        layoutTabs_->setTabData(tab, layout.space);
        if (layout.space == space) layoutTabs_->setCurrentIndex(tab);
    }
    if (space == 0) layoutTabs_->setCurrentIndex(0);
    layoutTabs_->setVisible(!drawing_.LayoutAry.empty());
    fillingLayoutTabs_ = false;
    sidePanel_->showSpace(space);
}

void MainWindow::onLineweightsToggled(bool checked) {
    settings_.showLineweights = checked;
    if (detailTabShowing()) runUserAction([this] { presenter_->colorModeChanged(); });
}

void MainWindow::registerConverter() {
    const QString chosen =
        dialogs_.openFile(Tr("TeighaFileConverter.exe を登録"),
                          {Tr("すべてのファイル (*)"), QStringLiteral("*.exe (*.exe)")});
    if (!chosen.isEmpty()) settings_.converterExePath = chosen.toStdString();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    // Drawings dragged out of the window itself are on their way to another program.
    if (event->source()) return;
    if (event->mimeData()->hasUrls()) {
        for (const QUrl& url : event->mimeData()->urls()) {
            if (url.isLocalFile()) {
                event->acceptProposedAction();
                return;
            }
        }
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    // The drop is finished before anything is opened, so that no box appears while the
    // other program still waits for the drop to end.
    QTimer::singleShot(0, this, [this, paths] { dropFiles(paths); });
}

void MainWindow::dropFiles(const QStringList& paths) {
    if (paths.isEmpty()) return;
    if (paths.size() > 1)
        dialogs_.message(Tr("ファイルは1つずつドラッグしてください。"), Tr("警告"),
                         Dialogs::Icon::Warning);
    const QFileInfo file(paths.first());
    selectTabQuietly(DetailTab);
    applySidePanelForTab();
    if (file.isDir()) {
        pending_ = false;
        pendingName_.clear();
        showFolder(file.absoluteFilePath());
        return;
    }
    pendingName_ = file.fileName();
    pending_ = true;
    showFolder(file.absolutePath());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip) return true;
    if (event->type() == QEvent::Wheel && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        presenter_->clearCrossHair();
        if (!detailTabShowing()) return false;
        auto* wheel = static_cast<QWheelEvent*>(event);
        const QPoint pixel = detailView_->mapFromGlobal(wheel->globalPosition().toPoint());
        if (!detailView_->rect().contains(pixel)) return false;
        // Fine-grained wheels and touchpads send parts of a notch: they add up to whole steps.
        // The event is kept from reaching the parents, where this filter would count it again.
        wheelDelta_ += wheel->angleDelta().y();
        const int steps = wheelDelta_ / 120;
        wheelDelta_ -= steps * 120;
        if (steps == 0) return true;
        bool used = false;
        runUserAction([&] { used = presenter_->wheelTurned(pixel, steps); });
        if (used) tabs_->setFocus();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::runUserAction(const std::function<void()>& action) {
    try {
        action();
    } catch (const SilentAbort&) {
    } catch (const std::exception& e) {
        dialogs_.message(QString::fromUtf8(e.what()), QString::fromUtf8(ApplicationTitle),
                         Dialogs::Icon::Error);
    }
}

} // namespace orvanta
