// The window's folder search: the " 検索" tab, Ctrl+F, the index kept current in the background
// for the folder shown, the file list and the grid narrowed to the matching drawings, and a hit
// opened where its text stands.
#include "app/FileListPanel.h"
#include "app/FolderSearch.h"
#include "app/MainWindow.h"
#include "app/SearchPanel.h"
#include "bridges/qt/DwgConverter.h"
#include "browse/FolderScan.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>

#include <atomic>

namespace orvanta {

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("MainWindow", text);
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

// Turns DWG files into DXF for the index without a word to the user: the index thread calls it,
// and a file that fails is recorded with its reason like any drawing that cannot be read.
class MainWindow::IndexConverter : public DrawingConverter {
  public:
    IndexConverter(QString exePath, QString convertedRoot, int timeoutSeconds)
        : exePath_(std::move(exePath)), root_(std::move(convertedRoot)),
          timeoutSeconds_(timeoutSeconds) {}

    std::string convert(const std::string& source) override {
        const ConversionTarget target = ConversionTargetOf(Q(source), root_);
        if (ConversionIsCurrent(target, Q(source))) return target.dxf.toStdString();
        QDir().mkpath(target.folder);
        ConverterOptions options{target.folder, false, timeoutSeconds_,
                                 [this] { return stop_.load(); }};
        return ConvertedDxf(RunConverter(exePath_, Q(source), options, nullptr), source, target,
                            timeoutSeconds_);
    }
    // Stops a conversion under way; no other starts.
    void stop() { stop_ = true; }

  private:
    const QString exePath_;
    const QString root_;
    const int timeoutSeconds_;
    std::atomic<bool> stop_{false};
};

void MainWindow::buildSearch() {
    searchPanel_ = new SearchPanel;
    tabs_->addTab(searchPanel_, Tr(" 検索"));
    searchPanel_->subfoldersBox()->setChecked(settings_.searchSubfolders);

    // Ctrl+F anywhere in the window goes to the search field.
    auto* find = new QShortcut(QKeySequence::Find, this);
    find->setContext(Qt::WindowShortcut);
    connect(find, &QShortcut::activated, this, &MainWindow::focusSearch);

    connect(searchPanel_, &SearchPanel::queryChanged, this, [this](const QString& query) {
        if (folderSearch_ && folderSearch_->available()) folderSearch_->search(query);
        if (query.isEmpty()) {
            searchPanel_->clearResult();
            showSearchState();
            applySearchFilter({});
        }
    });
    connect(searchPanel_, &SearchPanel::subfoldersToggled, this, [this](bool on) {
        settings_.searchSubfolders = on;
        updateSearchScope();
    });
    connect(searchPanel_, &SearchPanel::filterToggled, this,
            [this](bool) { applySearchFilter(searchMatches_); });
    connect(searchPanel_, &SearchPanel::hitChosen, this,
            [this](const QString& path, const IndexedText& text) {
                runUserAction([&] { openSearchHit(path, text); });
            });

    if (env_.indexFile.isEmpty()) {
        searchPanel_->showState(Tr("検索は使えません"));
        return;
    }
    std::shared_ptr<DrawingConverter> converter;
    if (!settings_.converterExePath.empty() &&
        QFileInfo(Q(settings_.converterExePath)).isExecutable()) {
        indexConverter_ = std::make_shared<IndexConverter>(
            Q(settings_.converterExePath), env_.convertedFolder + QStringLiteral("-index"),
            settings_.converterTimeoutSeconds);
        converter = indexConverter_;
    }
    folderSearch_ = std::make_unique<FolderSearch>(env_.indexFile.toStdString(), converter);
    connect(folderSearch_.get(), &FolderSearch::progressed, this, [this](int done, int total) {
        const QString text = Tr("索引作成中 ... %1 / %2").arg(done).arg(total);
        setStatusText(StatusPanel::Search, text);
        if (searchPanel_->query().isEmpty()) searchPanel_->showState(text);
    });
    connect(folderSearch_.get(), &FolderSearch::updated, this, [this](int drawings, int failed) {
        setStatusText(StatusPanel::Search,
                      failed > 0 ? Tr("索引: %1 図面 (読めない図面 %2)").arg(drawings).arg(failed)
                                 : Tr("索引: %1 図面").arg(drawings));
        if (searchPanel_->query().isEmpty()) showSearchState();
    });
    connect(folderSearch_.get(), &FolderSearch::answered, this,
            [this](const QString& query, const SearchResult& result) {
                if (query != searchPanel_->query()) return;
                if (query.isEmpty()) return;
                searchPanel_->showResult(result, Q(folderSearch_->scope().folder));
                std::set<std::string> matches;
                for (const SearchResult::DrawingCount& drawing : result.drawings)
                    matches.insert(drawing.path);
                applySearchFilter(std::move(matches));
            });
    connect(folderSearch_.get(), &FolderSearch::damaged, this, [this](const QString& moved) {
        dialogs_.message(
            Tr("検索用の索引が壊れていたため、作り直します。\n元の索引は次の名前で残しました:\n") +
                QDir::toNativeSeparators(moved),
            QStringLiteral("Orvanta"), Dialogs::Icon::Warning);
    });
    connect(folderSearch_.get(), &FolderSearch::unavailable, this, [this](const QString& why) {
        const QString text = Tr("検索は使えません: ") + why;
        searchPanel_->showState(text);
        setStatusText(StatusPanel::Search, Tr("検索は使えません"));
    });
}

void MainWindow::stopSearch() {
    if (indexConverter_) indexConverter_->stop();
    folderSearch_.reset();
}

void MainWindow::focusSearch() {
    if (tabs_->currentWidget() != searchPanel_) tabs_->setCurrentWidget(searchPanel_);
    searchPanel_->field()->setFocus(Qt::ShortcutFocusReason);
    searchPanel_->field()->selectAll();
}

void MainWindow::showSearchState() {
    if (!folderSearch_) return;
    if (!folderSearch_->available())
        searchPanel_->showState(Tr("検索は使えません: ") + folderSearch_->failure());
    else if (!folderSearch_->updating())
        searchPanel_->showState(
            Tr("%1 の図面の文字を検索します")
                .arg(QDir::toNativeSeparators(Q(folderSearch_->scope().folder))));
}

void MainWindow::updateSearchScope() {
    if (!folderSearch_ || !folderChosen_) return;
    QString folder = QDir::cleanPath(QFileInfo(fileList_->folder()).absoluteFilePath());
    folderSearch_->setScope({folder.toStdString(), settings_.searchSubfolders}, fileEncodings());
    setStatusText(StatusPanel::Search, Tr("索引作成中 ..."));
}

std::vector<DrawingFile> MainWindow::listedFiles() const {
    if (!searchPanel_ || !searchPanel_->filterBox()->isChecked() || searchPanel_->query().isEmpty())
        return folderFiles_;
    std::vector<DrawingFile> files;
    const QDir folder(fileList_->folder());
    for (const DrawingFile& file : folderFiles_)
        if (searchMatches_.count(
                QDir::cleanPath(folder.absoluteFilePath(Q(file.name))).toStdString()))
            files.push_back(file);
    return files;
}

bool MainWindow::showListedFiles(bool always) {
    const std::vector<DrawingFile> files = listedFiles();
    std::vector<std::string> names;
    for (const DrawingFile& file : files)
        names.push_back(file.name);
    if (!always && names == listedNames_) return false;
    listedNames_ = std::move(names);
    fileList_->setFiles(files);
    return true;
}

void MainWindow::applySearchFilter(std::set<std::string> matches) {
    searchMatches_ = std::move(matches);
    if (!showListedFiles(false)) return;
    lastPreviewFolder_.clear();
    if (tabs_->currentIndex() == PreviewTab) {
        buildThumbnails();
        lastPreviewFolder_ = fileList_->pathLabel()->text();
    }
}

void MainWindow::openSearchHit(const QString& path, const IndexedText& text) {
    const QFileInfo file(path);
    const int row = QDir(file.absolutePath()) == QDir(fileList_->folder())
                        ? fileList_->findRow(file.fileName())
                        : -1;
    // Opening a drawing of a subfolder shows its folder, but the search stays where it is.
    keepSearchScope_ = true;
    if (row >= 0) {
        fileList_->setCurrentRowQuietly(row);
        if (detailTabShowing())
            chooseRow(row);
        else
            tabs_->setCurrentIndex(DetailTab);
    } else {
        pendingName_ = file.fileName();
        pending_ = true;
        selectTabQuietly(DetailTab);
        applySidePanelForTab();
        showFolder(file.absolutePath());
    }
    keepSearchScope_ = false;
    if (currentDrawingPath_ != path || text.textIndex < 0 ||
        static_cast<std::size_t>(text.textIndex) >= drawing_.TextAry.size())
        return;
    const std::size_t index = static_cast<std::size_t>(text.textIndex);
    const std::int16_t space = drawing_.TextAry[index].code67;
    for (int tab = 0; tab < layoutTabs_->count(); ++tab)
        if (layoutTabs_->tabData(tab).toInt() == space) layoutTabs_->setCurrentIndex(tab);
    presenter_->clearCrossHair();
    presenter_->textChosen(index);
}

} // namespace orvanta
