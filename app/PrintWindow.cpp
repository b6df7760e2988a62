#include "app/PrintWindow.h"

#include "app/Dialogs.h"
#include "geometry/PrintScale.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDoubleValidator>
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

#include <algorithm>
#include <filesystem>
#include <memory>
#include <new>

namespace orvanta {

namespace {

// A text the window shows, in the window's language: the Japanese source text, or its
// translation (app/translations) when the window speaks another language.
QString Tr(const char* text) {
    return QCoreApplication::translate("PrintWindow", text);
}

// Radio buttons with the captions in a row of `group`, the one of index `checked` checked.
QButtonGroup* AddChoices(QGroupBox* group, QBoxLayout* layout, const QStringList& captions,
                         int checked) {
    auto* choice = new QButtonGroup(group);
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
    setWindowTitle(kind == PrintKind::List     ? Tr("一覧印刷")
                   : kind == PrintKind::Detail ? Tr("詳細印刷")
                                               : Tr("一括PDF"));
    setModal(true);
    // Margins are placed by the print code from the paper's edges.
    printer_.setFullPage(true);
    // Without a configured printer the pages go to a PDF file the user chooses.
    // A batch always writes PDF files.
    toPdf_ = kind == PrintKind::Batch || QPrinterInfo::availablePrinters().isEmpty() ||
             printer_.printerName().isEmpty();
    if (toPdf_) printer_.setOutputFormat(QPrinter::PdfFormat);
    const PrintSettings choices = source_.settings ? *source_.settings : PrintSettings();

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
    if (toPdf_) {
        // A PDF's paper is chosen here; a printer's setup dialog chooses its own.
        paperChoice_ = new QComboBox(printerGroup);
        for (const PaperSize& paper : StandardPapers())
            paperChoice_->addItem(
                QString::fromUtf8(paper.name.data(), static_cast<qsizetype>(paper.name.size())));
        orientationChoice_ = new QComboBox(printerGroup);
        orientationChoice_->addItem(
            QCoreApplication::translate("PrintWindow", "縦", "orientation"));
        orientationChoice_->addItem(
            QCoreApplication::translate("PrintWindow", "横", "orientation"));
        const int paper =
            paperChoice_->findText(QString::fromStdString(choices.paper), Qt::MatchFixedString);
        paperChoice_->setCurrentIndex(std::max(0, paper));
        orientationChoice_->setCurrentIndex(choices.landscape ? 1 : 0);
        printerLayout->addWidget(paperChoice_, 1, 0);
        printerLayout->addWidget(orientationChoice_, 1, 1);
        paperName_->hide();
        orientation_->hide();
        setup->hide();
        applyPaper();
        connect(paperChoice_, &QComboBox::currentIndexChanged, this, [this]() { applyPaper(); });
        connect(orientationChoice_, &QComboBox::currentIndexChanged, this,
                [this]() { applyPaper(); });
    }

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
    rangeChoice_ = AddChoices(range_, new QHBoxLayout(range_), {Tr("全体"), Tr("現画面")}, 0);
    layout->addWidget(range_);
    division_->setVisible(kind == PrintKind::List);
    range_->setVisible(kind == PrintKind::Detail);
    connect(rangeChoice_, &QButtonGroup::idClicked, this, [this]() { updateScale(); });

    // The scale: fitted to the frame, 1 : N, or a layout on its own paper at its plot scale.
    scale_ = new QGroupBox(Tr("縮尺"), this);
    auto* scaleLayout = new QGridLayout(scale_);
    scaleChoice_ = new QButtonGroup(scale_);
    const QStringList scaleCaptions{Tr("用紙に合わせる"), QStringLiteral("1 :"),
                                    Tr("レイアウトの用紙と縮尺")};
    for (int i = 0; i < scaleCaptions.size(); ++i) {
        auto* button = new QRadioButton(scaleCaptions[i], scale_);
        scaleChoice_->addButton(button, i);
    }
    ratio_ = new QComboBox(scale_);
    ratio_->setEditable(true);
    for (int n : {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000})
        ratio_->addItem(QString::number(n));
    ratio_->setValidator(new QDoubleValidator(0.001, 1e7, 3, ratio_));
    ratio_->setCurrentText(QString::number(choices.ratio, 'g', 10));
    share_ = new QLabel(scale_);
    auto* ratioRow = new QHBoxLayout;
    ratioRow->addWidget(scaleChoice_->button(1));
    ratioRow->addWidget(ratio_);
    ratioRow->addStretch();
    scaleLayout->addWidget(scaleChoice_->button(0), 0, 0);
    scaleLayout->addLayout(ratioRow, 1, 0);
    scaleLayout->addWidget(scaleChoice_->button(2), 2, 0);
    scaleLayout->addWidget(share_, 3, 0);
    layout->addWidget(scale_);
    scale_->setVisible(kind != PrintKind::List);
    // A layout with plot settings is printed as its author plots it unless told otherwise; a
    // batch does so with each drawing shown on such a layout.
    const bool sheet = kind == PrintKind::Batch ||
                       (source_.drawing && SheetPaper(*source_.drawing, source_.view.space));
    scaleChoice_->button(sheet ? 2 : 0)->setChecked(true);
    connect(scaleChoice_, &QButtonGroup::idClicked, this, [this]() { updateScale(); });
    connect(ratio_, &QComboBox::currentTextChanged, this, [this]() {
        if (scaleChoice_->checkedId() != 1 && ratio_->hasFocus()) setScaleIndex(1);
        updateScale();
    });

    output_ = new QGroupBox(Tr("出力"), this);
    outputChoice_ =
        AddChoices(output_, new QHBoxLayout(output_), {Tr("一つのPDF"), Tr("図面ごとのPDF")}, 0);
    layout->addWidget(output_);
    output_->setVisible(kind == PrintKind::Batch);

    // The colours: three modes, or the colours and lineweights of a plot style table.
    auto* colourGroup = new QGroupBox(Tr("色"), this);
    auto* colourLayout = new QGridLayout(colourGroup);
    auto* modes = new QHBoxLayout;
    colourLayout->addLayout(modes, 0, 0, 1, 3);
    colourChoice_ = AddChoices(colourGroup, modes, {Tr("カラー"), Tr("黒"), Tr("カラー反転")},
                               choices.colour >= 0 && choices.colour <= 2 ? choices.colour : 1);
    auto* styleButton = new QRadioButton(Tr("印刷スタイル"), colourGroup);
    colourChoice_->addButton(styleButton, 3);
    styleName_ = new QLabel(colourGroup);
    styleName_->setWordWrap(true);
    styleName_->setMaximumWidth(260);
    auto* chooseStyle = new QPushButton(Tr("参照..."), colourGroup);
    colourLayout->addWidget(styleButton, 1, 0);
    colourLayout->addWidget(styleName_, 1, 1);
    colourLayout->addWidget(chooseStyle, 1, 2);
    layout->addWidget(colourGroup);
    connect(chooseStyle, &QPushButton::clicked, this, [this]() {
        const QString file =
            dialogs_.openFile(Tr("印刷スタイル"), {Tr("印刷スタイル (*.ctb)"), Tr("すべて (*)")});
        if (!file.isEmpty() && loadStyleTable(file, true)) setColourIndex(3);
    });
    // The table of the last print is read again; one that cannot be read now is named with
    // the reason, and the setting keeps it for when it can.
    if (!choices.styleTable.empty() &&
        loadStyleTable(QString::fromStdString(choices.styleTable), false) && choices.colour == 3)
        setColourIndex(3);
    styleButton->setEnabled(style_ != nullptr);

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
    updateScale();
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
bool PrintWindow::loadStyleTable(const QString& path, bool chosen) {
    try {
        auto table = std::make_shared<PlotStyleTable>(ReadPlotStyleTable(path.toStdString()));
        style_ = std::move(table);
        stylePath_ = path;
        styleName_->setText(QFileInfo(path).fileName());
        if (QAbstractButton* b = colourChoice_->button(3)) b->setEnabled(true);
        return true;
    } catch (const PlotStyleError& e) {
        const QString reason = QString::fromStdString(e.message(Language::Japanese));
        if (chosen)
            dialogs_.message(reason, Tr("印刷スタイル"), Dialogs::Icon::Error);
        else
            styleName_->setText(reason);
    } catch (const std::bad_alloc&) {
        dialogs_.message(Tr("メモリが足りません"), Tr("印刷スタイル"), Dialogs::Icon::Error);
    }
    return false;
}

QString PrintWindow::styleText() const {
    return styleName_->text();
}

const PlotStyleTable* PrintWindow::styleTable() const {
    return colourIndex() == 3 ? style_.get() : nullptr;
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

int PrintWindow::scaleIndex() const {
    return scaleChoice_->checkedId();
}
void PrintWindow::setScaleIndex(int index) {
    if (QAbstractButton* b = scaleChoice_->button(index)) b->setChecked(true);
    updateScale();
}
void PrintWindow::setRatio(double ratio) {
    ratio_->setCurrentText(QString::number(ratio, 'g', 10));
}
PrintScaleChoice PrintWindow::scale() const {
    PrintScaleChoice choice;
    bool ok = false;
    const double ratio = ratio_->currentText().toDouble(&ok);
    switch (scaleIndex()) {
    case 1:
        if (ok && ratio > 0) choice = {PrintScaleChoice::Kind::Ratio, ratio};
        break;
    case 2:
        choice.kind = PrintScaleChoice::Kind::Sheet;
        break;
    default:
        break;
    }
    return choice;
}
QString PrintWindow::shareText() const {
    return share_->text();
}
void PrintWindow::setPaper(const QString& name, bool landscape) {
    if (!paperChoice_) return;
    paperChoice_->setCurrentIndex(std::max(0, paperChoice_->findText(name, Qt::MatchFixedString)));
    orientationChoice_->setCurrentIndex(landscape ? 1 : 0);
}
void PrintWindow::setOutputIndex(int index) {
    if (QAbstractButton* b = outputChoice_->button(index)) b->setChecked(true);
}

// Sets a PDF's page to the chosen paper and orientation.
void PrintWindow::applyPaper() {
    if (!paperChoice_) return;
    const std::optional<PaperSize> paper = PaperNamed(paperChoice_->currentText().toStdString());
    if (!paper) return;
    const QSizeF upright(paper->width, paper->height);
    printer_.setPageLayout(
        PageLayoutOf(orientationChoice_->currentIndex() == 1 ? upright.transposed() : upright));
    showPrinter();
}

// Enables what the choices allow and says how much of the range the paper holds at 1 : N.
void PrintWindow::updateScale() {
    if (!scale_) return;
    const bool layout =
        kind_ == PrintKind::Batch || (source_.drawing && range() == PrintRange::Whole &&
                                      SheetPaper(*source_.drawing, source_.view.space));
    scaleChoice_->button(2)->setEnabled(layout);
    if (!layout && scaleIndex() == 2) scaleChoice_->button(0)->setChecked(true);
    const PrintScaleChoice choice = scale();
    QString share;
    if (choice.kind == PrintScaleChoice::Kind::Ratio && source_.drawing) {
        const QSizeF paper = printer_.pageLayout().fullRect(QPageLayout::Millimeter).size();
        const double fits =
            RangeShareOnPage(*source_.drawing, source_.view, range(), choice.ratio, paper);
        share = Tr("範囲の %1 % が用紙に入ります").arg(static_cast<int>(fits * 100 + 0.5));
    }
    share_->setText(share);
    share_->setVisible(!share.isEmpty());
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
    updateScale();
}

void PrintWindow::updateDivision() {
    if (!columns_) return; // the paper is chosen before the division is built
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

bool PrintWindow::chooseBatchFolder(PdfBatchRequest& request) {
    const QString folder = dialogs_.chooseFolder(Tr("PDF ファイルの保存先"));
    if (folder.isEmpty()) return false;
    request.output = folder.toStdString();
    // The files this run would replace are named once, not one question per file.
    int existing = 0;
    QString first;
    for (std::size_t i = 0; i < request.names.size(); ++i) {
        const QString path = QString::fromStdString(EachPdfPath(request, i));
        if (!QFileInfo::exists(path)) continue;
        if (existing++ == 0) first = path;
    }
    if (existing == 0) return true;
    const QString text = existing == 1 ? first + Tr("\rは既に存在します．上書きしますか？")
                                       : Tr("%1 個の PDF ファイルが既に存在します (%2 など)．"
                                            "上書きしますか？")
                                             .arg(existing)
                                             .arg(first);
    return dialogs_.question(text, Tr("確認"));
}

void PrintWindow::printBatch() {
    PdfBatchRequest request;
    request.folder = source_.folder;
    request.names = source_.names;
    request.converter = source_.converter;
    request.encodings = source_.encodings;
    request.sheet = source_.sheet;
    request.paper = printer_.pageLayout().fullRect(QPageLayout::Millimeter).size();
    request.scale = scale();
    request.cosw = colourMode();
    request.lineweights = source_.lineweights;
    request.style = styleTable();
    request.each = outputChoice_->checkedId() == 1;
    if (request.each) {
        if (!chooseBatchFolder(request)) return;
    } else {
        if (!choosePdfFile()) return;
        request.output = printer_.outputFileName().toStdString();
    }
    report_ = PrintPdfBatch(request, *this);
}

void PrintWindow::keepChoices() const {
    if (!source_.settings) return;
    PrintSettings& settings = *source_.settings;
    settings.colour = colourIndex();
    if (style_) settings.styleTable = stylePath_.toStdString();
    if (paperChoice_) {
        settings.paper = paperChoice_->currentText().toStdString();
        settings.landscape = orientationChoice_->currentIndex() == 1;
    }
    bool ok = false;
    const double ratio = ratio_->currentText().toDouble(&ok);
    if (ok && ratio > 0) settings.ratio = ratio;
}

void PrintWindow::print() {
    if (PrintActive) return;
    if (kind_ != PrintKind::Batch && toPdf_ && !choosePdfFile()) return;
    keepChoices();
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
            request.encodings = source_.encodings;
            request.lineweights = source_.lineweights;
            request.sheet = source_.sheet;
            request.style = styleTable();
            report_ = PrintAll(printer_, request, *this);
        } else if (kind_ == PrintKind::Batch) {
            report_ = {};
            printBatch();
        } else if (source_.drawing) {
            report_ = {};
            PagePrintOptions options;
            options.range = range();
            options.cosw = colourMode();
            options.lineweights = source_.lineweights;
            options.scale = scale();
            options.style = styleTable();
            PrintZoom(printer_, *source_.drawing, source_.view, source_.caption, options);
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
    // A stopped batch still names the drawings that failed before the stop.
    if (finished && (!stopped || kind_ == PrintKind::Batch)) {
        if (!report_.failures.empty()) {
            QString text =
                kind_ == PrintKind::Batch
                    ? Tr("%1 件の図面は PDF にできませんでした:").arg(report_.failures.size())
                    : Tr("%1 件の図面は印刷できませんでした (空の枠で印刷):")
                          .arg(report_.failures.size());
            for (std::size_t i = 0; i < report_.failures.size() && i < 10; ++i)
                text +=
                    QStringLiteral("\n") + QString::fromStdString(report_.failures[i].name + ": " +
                                                                  report_.failures[i].reason);
            if (report_.failures.size() > 10) text += QStringLiteral("\n...");
            dialogs_.message(text, kind_ == PrintKind::Batch ? windowTitle() : Tr("印刷"),
                             Dialogs::Icon::Warning);
        }
        if (!stopped) accept();
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
