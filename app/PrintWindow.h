// The print window: the printer and its paper, the division of a list page or the range of a
// detail print, the colours, and the buttons that start and stop a run.
#pragma once

#include "output/Printing.h"

#include <QDialog>
#include <QPrinter>

#include <functional>
#include <string>
#include <vector>

class QButtonGroup;
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
};

// What the window prints. A list print needs the folder and its file names; a detail print the
// drawing, the view of it the window shows and the caption (the file name label).
struct PrintSource {
    std::string folder;
    std::vector<std::string> names;
    DrawingConverter* converter = nullptr;
    const Drawing* drawing = nullptr;
    DrawView view;
    QString caption;
    // Whether lines are printed as wide as their lineweights ("線の太さを表示").
    bool lineweights = false;
    // The sheet each drawing of a list print shows: "saved" or "model" ("常にモデルで開く").
    std::string sheet = "saved";
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
    // 0 "カラー", 1 "黒", 2 "カラー反転".
    int colourIndex() const;
    ColorModeValue colourMode() const;
    void setColourIndex(int index);
    // 0 "全体", 1 "現画面".
    int rangeIndex() const;
    PrintRange range() const;
    void setRangeIndex(int index);
    // What the last run printed.
    const PrintReport& report() const { return report_; }

    // The "印刷" and "中止" buttons.
    void print();
    void stop();

    void reject() override;

  private:
    void showPrinter();
    void updateDivision();
    // Asks where the PDF goes when no printer is configured; false when the user cancelled.
    bool choosePdfFile();

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
    QGroupBox* range_ = nullptr;
    QButtonGroup* rangeChoice_ = nullptr;
    QButtonGroup* colourChoice_ = nullptr;
    QPushButton* printButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QProgressBar* progress_ = nullptr;
};

} // namespace orvanta
