// The print window: the printer and its paper, the division of a list page or the range and
// scale of a detail print, the colours, and the buttons that start and stop a run. The same
// window turns a folder's drawings into PDF files in one run.
#pragma once

#include "browse/Settings.h"
#include "output/Printing.h"

#include <QDialog>
#include <QPrinter>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace orvanta {

class Dialogs;

enum class PrintKind {
    List,   // the drawings of the file list tiled over pages
    Detail, // the drawing of the detail view on one page
    Batch,  // the drawings of the file list into PDF files, a page each
};

// What the window prints. A list print and a batch need the folder and its file names; a detail
// print the drawing, the view of it the window shows and the caption (the file name label).
struct PrintSource {
    std::string folder;
    std::vector<std::string> names;
    DrawingConverter* converter = nullptr;
    std::shared_ptr<const FileEncodings> encodings; // the user's encodings of files
    const Drawing* drawing = nullptr;
    DrawView view;
    QString caption;
    // Whether lines are printed as wide as their lineweights ("線の太さを表示").
    bool lineweights = false;
    // The sheet each drawing of a list print shows: "saved" or "model" ("常にモデルで開く").
    std::string sheet = "saved";
    // The choices of the last print, read when the window opens and kept when it prints; may be
    // null.
    PrintSettings* settings = nullptr;
    // Status panel 0 of the main window; may be empty.
    std::function<void(const QString&)> status;
    // Told what the reader made of each file of a list print; may be empty.
    std::function<void(int index, const LoadedDrawing& loaded, const std::string& failure)>
        fileRead;
};

class PrintWindow : public QDialog, private PrintMonitor {
    Q_OBJECT
  public:
    PrintWindow(PrintKind kind, PrintSource source, Dialogs& dialogs, QWidget* parent = nullptr);

    // Set while a run is going on; the stop button clears it.
    bool PrintActive = false;

    QPrinter& printer() { return printer_; }
    int columns() const;
    int rows() const;
    int pages() const;
    void setColumns(int columns);
    // 0 "カラー", 1 "黒", 2 "カラー反転", 3 "印刷スタイル" (enabled once a table is read).
    int colourIndex() const;
    ColorModeValue colourMode() const;
    void setColourIndex(int index);
    // Reads the plot style table at `path` for "印刷スタイル". A table that cannot be read is
    // named with the reason: in a box when the user `chosen` it, else beside the choice.
    bool loadStyleTable(const QString& path, bool chosen);
    // The table the print uses: null unless "印刷スタイル" is chosen.
    const PlotStyleTable* styleTable() const;
    // What the window says of the table: its file name, or why it cannot be read.
    QString styleText() const;
    // 0 "全体", 1 "現画面".
    int rangeIndex() const;
    PrintRange range() const;
    void setRangeIndex(int index);
    // 0 "用紙に合わせる", 1 "1 : N", 2 "レイアウトの用紙と縮尺".
    int scaleIndex() const;
    void setScaleIndex(int index);
    void setRatio(double ratio);
    PrintScaleChoice scale() const;
    // How much of the range fits at 1 : N ("範囲の 62 % が用紙に入ります"); empty otherwise.
    QString shareText() const;
    // The paper of a PDF, by its name among the standard papers.
    void setPaper(const QString& name, bool landscape);
    // A batch: 0 "一つのPDF", 1 "図面ごとのPDF".
    void setOutputIndex(int index);
    // What the last run printed.
    const PrintReport& report() const { return report_; }

    // The "印刷" and "中止" buttons.
    void print();
    void stop();

    void reject() override;

  private:
    void showPrinter();
    void updateDivision();
    void updateScale();
    void applyPaper();
    // Asks where the PDF goes when no printer is configured; false when the user cancelled.
    bool choosePdfFile();
    // Asks for the folder of a batch's PDF files and whether to replace those that exist; false
    // when the user cancelled.
    bool chooseBatchFolder(PdfBatchRequest& request);
    void printBatch();
    void keepChoices() const;

    void setProgressRange(int maximum) override;
    void setProgress(int value) override;
    void setStatus(const QString& text) override;
    bool keepPrinting() override;
    void fileRead(int index, const LoadedDrawing& loaded, const std::string& failure) override;

    PrintKind kind_;
    PrintSource source_;
    Dialogs& dialogs_;
    QPrinter printer_;
    bool toPdf_ = false;
    PrintReport report_;

    QLabel* printerName_ = nullptr;
    QLabel* paperName_ = nullptr;
    QLabel* orientation_ = nullptr;
    QGroupBox* division_ = nullptr;
    QSpinBox* columns_ = nullptr;
    QLineEdit* rows_ = nullptr;
    QLineEdit* pages_ = nullptr;
    QComboBox* paperChoice_ = nullptr;
    QComboBox* orientationChoice_ = nullptr;
    QGroupBox* range_ = nullptr;
    QGroupBox* scale_ = nullptr;
    QButtonGroup* scaleChoice_ = nullptr;
    QComboBox* ratio_ = nullptr;
    QLabel* share_ = nullptr;
    QGroupBox* output_ = nullptr;
    QButtonGroup* outputChoice_ = nullptr;
    QButtonGroup* rangeChoice_ = nullptr;
    QButtonGroup* colourChoice_ = nullptr;
    std::shared_ptr<const PlotStyleTable> style_;
    QString stylePath_;
    QLabel* styleName_ = nullptr;
    QPushButton* printButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QProgressBar* progress_ = nullptr;
};

} // namespace orvanta
