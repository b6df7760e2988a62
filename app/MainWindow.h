// The browser's main window: folder tree, file list, the preview and detail tabs, the right-hand
// panel, progress bar and status bar, with the menus, the settings file and dropped files.
#pragma once

#include "app/DetailView.h"
#include "app/Dialogs.h"
#include "browse/FolderHistory.h"
#include "browse/Settings.h"
#include "load/LoadDrawing.h"
#include "model/AcadDxfUnit.h"

#include <QElapsedTimer>
#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QSplitter;
class QTabBar;
class QTabWidget;

namespace orvanta {

enum class PrintKind;

class CadHost;
class CadHostWindows;
class FileListPanel;
class FolderSearch;
class FolderTree;
struct DrawingFile;
struct IndexedText;
class SearchPanel;
class PreviewGrid;
class PreviewPool;
struct PreviewFacts;
class SidePanel;

// Where the window keeps and finds things; tests point these at temporary folders.
struct AppEnvironment {
    QString settingsPath;    // the settings file
    QString convertedFolder; // where the converter writes converted drawings
    QString commandLineFile; // the drawing given on the command line; empty without one
    QString indexFile;       // the search index of drawing texts; empty: no search
};

// The environment of the running program: the settings file beside the executable (or in the
// user's configuration folder), converted drawings in the program folder (or the user's cache).
AppEnvironment DefaultEnvironment(const QString& commandLineFile);

class MainWindow : public QMainWindow, public DetailHost {
    Q_OBJECT
  public:
    enum Tab { PreviewTab = 0, DetailTab = 1, SearchTab = 2 };
    static constexpr int StatusPanels = 6;

    MainWindow(AppEnvironment environment, Dialogs& dialogs, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Installs the code that renders the drawing and answers gestures on the picture; nullptr
    // puts back the built-in one, which keeps the picture black.
    void setDetailPresenter(DetailPresenter* presenter);
    // Where CAD hosts are looked for; nullptr puts back the desktop's windows.
    void setCadHostWindows(CadHostWindows* windows);

    // DetailHost
    Drawing& drawing() override { return drawing_; }
    DetailView& detailView() override { return *detailView_; }
    void setStatusText(StatusPanel panel, const QString& text) override;
    ColorModeValue colorMode() const override { return colorMode_; }
    bool lineweightsShown() const override { return settings_.showLineweights; }
    bool alwaysModel() const override { return settings_.alwaysModel; }
    // Fills the tabs under the detail picture with the model and the drawing's layouts, the tab
    // of `space` chosen, and lists that space's texts.
    void showLayoutTabs(std::int16_t space);
    bool detailTabShowing() const override;

    // What the user does, callable directly.
    // Shows `folder` in the path label and the caption and scans it.
    void showFolder(const QString& folder);
    // Lists the drawings of the current folder; on the detail tab opens the pending or the first.
    void scanFolder();
    // The file list's row `row` became current.
    void chooseRow(int row);
    // Loads a drawing into the model, the side panels and the picture. On failure shows the load
    // error box and throws SilentAbort.
    void OpenDrawing(const QString& path);
    // Files dropped on the window.
    void dropFiles(const QStringList& paths);
    // Inserts the selected drawing as a block into a running CAD host: on the detail tab the
    // drawing shown, on the preview tab the drawing of the grid's current cell. Without a host,
    // or on an empty cell, nothing happens.
    void insertIntoCadHost();
    void addCurrentFolderToHistory();
    void removeCurrentFolderFromHistory();
    void openHistoryEntry(int index);
    // The tree starts at `folder` ("/" for the root); the text filter is emptied first.
    void setTreeTop(const QString& folder);
    // The tree starts at the current folder; with `persistent` also at the next start. Nothing
    // happens when the current folder cannot be resolved.
    void setTreeTopToCurrentFolder(bool persistent);
    void setTreeTopToRoot(bool persistent);
    // Opens the export window "画像保存" on the drawing the detail view shows; nothing happens
    // while it shows none.
    void openImageExport();
    // "一覧を印刷": the drawings of the file list tiled over pages; "詳細を印刷": the drawing of
    // the detail tab. Both open the print window.
    void printList();
    void printDetail();
    // Every drawing of the file list into PDF files ("一括PDF").
    void printBatch();
    // Reads the drawing the encoding menu is about in the encoding `name` ("GBK"; empty: the
    // rules) from now on, remembered for its path, and shows it again.
    void chooseEncoding(const std::string& name);
    // The file the encoding menu is about: the shown drawing, else the file chosen in the list.
    QString encodingTarget() const;
    // The user's encodings of files as the loads take them.
    std::shared_ptr<const FileEncodings> fileEncodings();
    // Makes the preview grid's pictures of the file list's drawings anew, on worker threads; the
    // cells fill in as their pictures are ready. A build under way is stopped first.
    void buildThumbnails();
    // Whether a build of the preview pictures is under way.
    bool previewsBuilding() const;
    // Lets events through until the build under way has reported its last picture.
    void waitForPreviews();
    // Worker threads of the next build (0: one per processor).
    void setPreviewJobs(int jobs) { previewJobs_ = jobs; }
    // The batch commands of the preview pictures.
    void saveCacheFiles();
    void deleteCacheFiles();
    void readVersions();
    // The cell size of the menu item `index` (CellSizeChoices); rebuilds the grid.
    void chooseCellSize(int index);
    QSize cellSize() const;
    // Writes the settings file now (it is written once, at the latest when the window goes).
    void saveSettings();
    // Shows the search tab with its field focused and its text selected (Ctrl+F).
    void focusSearch();
    // Opens the drawing of a search hit on the detail tab, on the sheet of the text, centred on
    // the text and marked. A drawing of a subfolder shows its folder; the search stays as it is.
    void openSearchHit(const QString& path, const IndexedText& text);

    // Parts of the window, for the tests and the window's own helpers.
    FolderTree* folderTree() const { return tree_; }
    FileListPanel* fileList() const { return fileList_; }
    SidePanel* sidePanel() const { return sidePanel_; }
    QTabWidget* tabs() const { return tabs_; }
    // The model's and the layouts' tabs under the detail picture.
    QTabBar* layoutTabs() const { return layoutTabs_; }
    PreviewGrid* previewGrid() const { return previewGrid_; }
    SearchPanel* searchPanel() const { return searchPanel_; }
    // The search of the folder's texts; null when the window has no index file.
    FolderSearch* folderSearch() const { return folderSearch_.get(); }
    QLabel* currentDrawingLabel() const { return drawingLabel_; }
    QProgressBar* progressBar() const { return progressBar_; }
    QString statusText(StatusPanel panel) const;
    const FolderHistory& history() const { return history_; }
    const AppSettings& settings() const { return settings_; }
    // The menu item with exactly this text, or nullptr.
    QAction* action(const QString& text) const;
    bool pendingFileSet() const { return pending_; }
    QString pendingFileName() const { return pendingName_; }
    int treePanelWidth() const;
    int fileListPanelHeight() const;
    int sidePanelWidth() const;

  protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The list print or the batch of the file list's drawings.
    void printFolder(PrintKind kind);
    void buildLayout();
    void buildMenus();
    void applySettings();
    void placeWindow();
    void activate();
    void firstActivation();
    void refreshHistoryMenu();
    void onTabChanged(int index);
    void applySidePanelForTab();
    void selectTabQuietly(int index);
    void setTreePanelWidth(int width);
    void setFileListPanelHeight(int height);
    void setSidePanelWidth(int width);
    void onColorModeToggled(bool checked);
    void onLineweightsToggled(bool checked);
    void registerConverter();
    // "WMF/EMF・BMP作成" is available while the detail tab shows a drawing.
    void updateExportAction();
    void stopPreviews();
    void previewReady(int index, const QImage& picture, const PreviewFacts& facts);
    void finishPreviews();
    void followRowInGrid(int row);
    void previewCellClicked(int index);
    void previewCellDoubleClicked(int index);
    void onFolderRenamed(const QString& from, const QString& to);
    // The path label's folder, or empty while no folder has been chosen.
    QString currentFolderText() const;
    // The full path of the drawing the insertion items mean, or empty when there is none.
    QString selectedDrawingPath() const;
    // Runs the converter on `source` for the load routine: the path of the DXF it made, empty
    // when it could not be started (the user has been told). Throws SilentAbort when it fails,
    // is stopped or runs out of time.
    QString convert(const QString& source);
    // The converter the load routine calls, or nullptr when none is registered.
    class WindowConverter;
    DrawingConverter* registeredConverter();
    // Writes what the reader made of a file into its row: the release, and in the kind column
    // the content ("DWG", "BinaryDXF"), "busy" for a file another program holds, or `failure`.
    void showReaderStatus(int row, const LoadedDrawing& loaded, const QString& failure = {});
    // No drawing is loaded: the model, the side panel and the picture are emptied.
    void forgetDrawing();
    // Runs one user action: a silent abort ends it quietly, any other failure with a box.
    void runUserAction(const std::function<void()>& action);
    // The search tab and the background index of the shown folder.
    void buildSearch();
    void stopSearch();
    // Indexes and searches the folder shown (and its subfolders when asked) from now on.
    void updateSearchScope();
    // Says what the search does while no query is typed.
    void showSearchState();
    // The file list (and with it the grid) shows the drawings of the folder, only those in
    // `matches` when the user asked for that and a query is typed.
    void applySearchFilter(std::set<std::string> matches);
    std::vector<DrawingFile> listedFiles() const;
    // Shows listedFiles() in the file list, unless (and `always` is false) it shows those names
    // already; true when it was filled anew.
    bool showListedFiles(bool always);
    class IndexConverter;

    AppEnvironment env_;
    Dialogs& dialogs_;
    AppSettings settings_;
    FolderHistory history_;
    Drawing drawing_;
    // The full path of the drawing shown on the detail tab; empty when none is.
    QString currentDrawingPath_;
    DetailPresenter builtInPresenter_;
    std::unique_ptr<DrawingConverter> windowConverter_;
    std::shared_ptr<IndexConverter> indexConverter_;
    std::unique_ptr<FolderSearch> folderSearch_;
    SearchPanel* searchPanel_ = nullptr;
    // Every drawing of the folder shown, as scanned; the list shows all or the matching ones.
    std::vector<DrawingFile> folderFiles_;
    std::vector<std::string> listedNames_;
    // The drawings (full paths) that match the query typed.
    std::set<std::string> searchMatches_;
    // Set while a search hit opens its drawing's folder, which does not change the search.
    bool keepSearchScope_ = false;
    DetailPresenter* presenter_ = &builtInPresenter_;
    std::unique_ptr<CadHostWindows> desktopWindows_;
    std::unique_ptr<CadHost> cadHost_;

    ColorModeValue colorMode_ = ColorModeColor;
    bool pending_ = false;
    QString pendingName_;
    QString lastPreviewFolder_;
    bool folderChosen_ = false;
    bool activatedOnce_ = false;
    bool settingsSaved_ = false;
    bool closing_ = false;
    int scanGeneration_ = 0;
    // Wheel rotation over the picture not yet turned into whole steps, in eighths of a degree.
    int wheelDelta_ = 0;

    QSplitter* mainSplitter_ = nullptr;
    QSplitter* centreSplitter_ = nullptr;
    FolderTree* tree_ = nullptr;
    FileListPanel* fileList_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QWidget* previewPage_ = nullptr;
    PreviewGrid* previewGrid_ = nullptr;
    std::unique_ptr<PreviewPool> previewPool_;
    // Counts builds, so that pictures of a replaced build are dropped when they arrive.
    int previewGeneration_ = 0;
    int previewJobs_ = 0;
    int previewDone_ = 0;
    int previewStep_ = 1;
    QElapsedTimer previewTimer_;
    QStringList previewFailures_;
    QLabel* drawingLabel_ = nullptr;
    DetailView* detailView_ = nullptr;
    SidePanel* sidePanel_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    std::array<QLabel*, StatusPanels> statusPanels_{};
    // A copy of settings_.fileEncodings that loads on other threads may hold; replaced, never
    // changed, when a choice changes.
    std::shared_ptr<const FileEncodings> fileEncodings_;

    std::array<QAction*, HistorySize> historyActions_{};
    QAction* historySeparator_ = nullptr;
    std::array<QAction*, 4> cellSizeActions_{};
    QAction* exportAction_ = nullptr;
    QAction* monochromeAction_ = nullptr;
    QAction* lineweightAction_ = nullptr;
    QAction* alwaysModelAction_ = nullptr;
    // The tabs of the model and the layouts under the detail picture; set while they are being
    // refilled, when a change of tab chooses nothing.
    QTabBar* layoutTabs_ = nullptr;
    bool fillingLayoutTabs_ = false;
    QAction* hideTreeAction_ = nullptr;
    QAction* hideFileListAction_ = nullptr;
    QAction* hideSidePanelAction_ = nullptr;
    QAction* showConverterAction_ = nullptr;
    QMenu* treeMenu_ = nullptr;
    QMenu* previewMenu_ = nullptr;
};

} // namespace orvanta
