#include "app/PrintWindow.h"

#include "app/Dialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>

#include <new>

namespace orvanta {

namespace {

// A text the window shows, in the window's language: the Japanese source text, or its
// translation (app/translations) when the window speaks another language.
QString Tr(const char* text) {
    return QCoreApplication::translate("PrintWindow", text);
}

QButtonGroup* AddChoices(QGroupBox* group, const QStringList& captions, int checked) {
    auto* choice = new QButtonGroup(group);
    auto* layout = new QHBoxLayout(group);
    for (int i = 0; i < captions.size(); ++i) {
        auto* button = new QRadioButton(captions[i], group);
        choice->addButton(button, i);
        layout->addWidget(button);
    }
    choice->button(checked)->setChecked(true);
    return choice;
}

} // namespace

PrintWindow::PrintWindow(PrintKind kind, PrintSource source, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint), kind_(kind),
      source_(std::move(source)), dialogs_(dialogs), printer_(QPrinter::HighResolution) {
    setWindowTitle(kind == PrintKind::List ? Tr("一覧印刷") : Tr("詳細印刷"));
    setModal(true);
    // Margins are placed by the print code from the paper's edges.
    printer_.setFullPage(true);
    // Without a configured printer the pages go to a PDF file the user chooses.
    toPdf_ = QPrinterInfo::availablePrinters().isEmpty() || printer_.printerName().isEmpty();
    if (toPdf_) printer_.setOutputFormat(QPrinter::PdfFormat);

    auto* layout = new QVBoxLayout(this);

    auto* printerGroup = new QGroupBox(Tr("プリンター"), this);
    auto* printerLayout = new QGridLayout(printerGroup);
    printerName_ = new QLabel(printerGroup);
    paperName_ = new QLabel(printerGroup);
    orientation_ = new QLabel(printerGroup);
    auto* setup = new QPushButton(Tr("セットアップ"), printerGroup);
    printerLayout->addWidget(printerName_, 0, 0, 1, 2);
    printerLayout->addWidget(paperName_, 1, 0);
    printerLayout->addWidget(orientation_, 1, 1);
    printerLayout->addWidget(setup, 0, 2, 2, 1);
    layout->addWidget(printerGroup);
    connect(setup, &QPushButton::clicked, this, [this]() {
        if (dialogs_.printerSetup(printer_)) showPrinter();
    });

    division_ = new QGroupBox(Tr("分割"), this);
    auto* divisionLayout = new QHBoxLayout(division_);
    columns_ = new QSpinBox(division_);
    columns_->setRange(1, 16);
    columns_->setValue(2);
    rows_ = new QLineEdit(QStringLiteral("4"), division_);
    rows_->setReadOnly(true);
    pages_ = new QLineEdit(QStringLiteral("1"), division_);
    pages_->setReadOnly(true);
    for (QLineEdit* edit : {rows_, pages_})
        edit->setMaximumWidth(48);
    divisionLayout->addWidget(new QLabel(Tr("横"), division_));
    divisionLayout->addWidget(columns_);
    divisionLayout->addWidget(new QLabel(Tr("縦"), division_));
    divisionLayout->addWidget(rows_);
    divisionLayout->addWidget(new QLabel(Tr("全"), division_));
    divisionLayout->addWidget(pages_);
    divisionLayout->addWidget(new QLabel(QStringLiteral("ﾍﾟｰｼﾞ"), division_));
    layout->addWidget(division_);
    connect(columns_, &QSpinBox::valueChanged, this, [this]() { updateDivision(); });

    range_ = new QGroupBox(Tr("出力範囲"), this);
    rangeChoice_ = AddChoices(range_, {Tr("全体"), Tr("現画面")}, 0);
    layout->addWidget(range_);
    division_->setVisible(kind == PrintKind::List);
    range_->setVisible(kind == PrintKind::Detail);

    auto* colourGroup = new QGroupBox(Tr("色"), this);
    colourChoice_ = AddChoices(colourGroup, {Tr("カラー"), Tr("黒"), Tr("カラー反転")}, 1);
    layout->addWidget(colourGroup);

    auto* buttons = new QHBoxLayout;
    printButton_ = new QPushButton(Tr("印刷"), this);
    stopButton_ = new QPushButton(Tr("中止"), this);
    printButton_->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(printButton_);
    buttons->addWidget(stopButton_);
    layout->addLayout(buttons);
    connect(printButton_, &QPushButton::clicked, this, &PrintWindow::print);
    connect(stopButton_, &QPushButton::clicked, this, &PrintWindow::stop);

    progress_ = new QProgressBar(this);
    progress_->setTextVisible(false);
    progress_->setValue(0);
    layout->addWidget(progress_);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    showPrinter();
    if (QScreen* screen = QApplication::primaryScreen()) {
        adjustSize();
        move(screen->availableGeometry().center() - rect().center());
    }
}

int PrintWindow::columns() const {
    return columns_->value();
}
int PrintWindow::rows() const {
    return rows_->text().toInt();
}
int PrintWindow::pages() const {
    return pages_->text().toInt();
}
void PrintWindow::setColumns(int columns) {
    columns_->setValue(columns);
}
int PrintWindow::colourIndex() const {
    return colourChoice_->checkedId();
}
void PrintWindow::setColourIndex(int index) {
    if (QAbstractButton* b = colourChoice_->button(index)) b->setChecked(true);
}
ColorModeValue PrintWindow::colourMode() const {
    const int index = colourIndex();
    if (index <= 0) return ColorModeColor;
    return index == 1 ? ColorModeMonochrome : ColorModeInverted;
}
int PrintWindow::rangeIndex() const {
    return rangeChoice_->checkedId();
}
PrintRange PrintWindow::range() const {
    return rangeIndex() != 0 ? PrintRange::View : PrintRange::Whole;
}
void PrintWindow::setRangeIndex(int index) {
    if (QAbstractButton* b = rangeChoice_->button(index)) b->setChecked(true);
}

void PrintWindow::showPrinter() {
    printerName_->setText(toPdf_ ? Tr("PDF ファイル") : printer_.printerName());
    const QPageLayout page = printer_.pageLayout();
    paperName_->setText(page.pageSize().name());
    // The same words as the division's across and down, read here as the paper's orientation.
    orientation_->setText(page.orientation() == QPageLayout::Landscape
                              ? QCoreApplication::translate("PrintWindow", "横", "orientation")
                              : QCoreApplication::translate("PrintWindow", "縦", "orientation"));
    updateDivision();
}

void PrintWindow::updateDivision() {
    const bool landscape = printer_.pageLayout().orientation() == QPageLayout::Landscape;
    const int rows = PrintRows(columns_->value(), landscape);
    rows_->setText(QString::number(rows));
    pages_->setText(QString::number(
        PrintPages(static_cast<int>(source_.names.size()), columns_->value(), rows)));
}

bool PrintWindow::choosePdfFile() {
    int pdfFilter = 0;
    QString file =
        dialogs_.saveFile(Tr("PDF ファイルに印刷"), {QStringLiteral("PDF (*.pdf)")}, pdfFilter);
    if (file.isEmpty()) return false;
    if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".pdf");
    // The save dialog leaves the question of an existing file to its callers.
    if (QFileInfo::exists(file) &&
        !dialogs_.question(file + Tr("\rは既に存在します．上書きしますか？"), Tr("確認")))
        return false;
    printer_.setOutputFileName(file);
    return true;
}

void PrintWindow::print() {
    if (PrintActive) return;
    if (toPdf_ && !choosePdfFile()) return;
    printButton_->setEnabled(false);
    PrintActive = true;
    bool finished = false;
    try {
        if (kind_ == PrintKind::List) {
            ListPrintRequest request;
            request.folder = source_.folder;
            request.names = source_.names;
            request.retu = columns();
            request.gyou = rows();
            request.cosw = colourMode();
            request.converter = source_.converter;
            request.lineweights = source_.lineweights;
            request.sheet = source_.sheet;
            report_ = PrintAll(printer_, request, *this);
        } else if (source_.drawing) {
            report_ = {};
            PrintZoom(printer_, *source_.drawing, source_.view, source_.caption, range(),
                      colourMode(), source_.lineweights);
            report_.pages = 1;
            report_.drawn = 1;
        }
        finished = true;
    } catch (const PrintError& e) {
        dialogs_.message(QString::fromUtf8(e.what()) + QStringLiteral("\n") +
                             printer_.outputFileName(),
                         Tr("印刷"), Dialogs::Icon::Error);
    } catch (const std::bad_alloc&) {
        dialogs_.message(Tr("メモリが足りません"), Tr("印刷"), Dialogs::Icon::Error);
    }
    const bool stopped = !PrintActive;
    PrintActive = false;
    printButton_->setEnabled(true);
    if (finished && !stopped) {
        if (!report_.failures.empty()) {
            QString text = Tr("%1 件の図面は印刷できませんでした (空の枠で印刷):")
                               .arg(report_.failures.size());
            for (std::size_t i = 0; i < report_.failures.size() && i < 10; ++i)
                text +=
                    QStringLiteral("\n") + QString::fromStdString(report_.failures[i].name + ": " +
                                                                  report_.failures[i].reason);
            if (report_.failures.size() > 10) text += QStringLiteral("\n...");
            dialogs_.message(text, Tr("印刷"), Dialogs::Icon::Warning);
        }
        accept();
    }
}

void PrintWindow::stop() {
    PrintActive = false;
    printButton_->setEnabled(true);
    QDialog::reject();
}

// Closing the window during a run stops it like the stop button.
void PrintWindow::reject() {
    stop();
}

void PrintWindow::setProgressRange(int maximum) {
    progress_->setRange(0, maximum);
    progress_->setValue(0);
}

void PrintWindow::setProgress(int value) {
    progress_->setValue(value);
}

void PrintWindow::setStatus(const QString& text) {
    if (source_.status) source_.status(text);
}

void PrintWindow::fileRead(int index, const LoadedDrawing& loaded, const std::string& failure) {
    if (source_.fileRead) source_.fileRead(index, loaded, failure);
}

bool PrintWindow::keepPrinting() {
    QCoreApplication::processEvents();
    return PrintActive;
}

} // namespace orvanta
