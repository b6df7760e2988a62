#include "app/ExportWindow.h"

#include "render/Colors.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include <new>
#include <stdexcept>

namespace orvanta {

namespace {

const char* const WindowTitle = "画像保存";
const char* const ExtensionCaption = "Quelvar.exe";
const char* const OverwriteCaption = "Quelvar";
const char* const BitmapExtensionQuestion = "拡張子が.BMPではありません．変更しますか？ ";
const char* const MetafileExtensionQuestion = "拡張子が.WMF / .EMFではありません．変更しますか？ ";
const char* const OverwriteQuestion = "同名のファイルが存在します．上書きしますか？ ";
const char* const SaveFailedText = "画像ファイルを保存できませんでした．";
const char* const CopyFailedText = "画像をクリップボードにコピーできませんでした．";

// The vector formats offered in the save dialog, in the order of its filters; a name without an
// extension takes the chosen filter's.
struct VectorFilter {
    const char* filter;
    const char* extension;
    ImageFormat format;
};
constexpr VectorFilter VectorFilters[] = {
    {"*.WMF (*.wmf)", ".wmf", ImageFormat::Wmf},
    {"*EMF (*.emf)", ".emf", ImageFormat::Emf},
    {"*.SVG (*.svg)", ".svg", ImageFormat::Svg},
    {"*.PDF (*.pdf)", ".pdf", ImageFormat::Pdf},
};
const char* const BitmapFilter = "*.BMP (*.bmp)";

// The colours of the background picker, black first.
struct PickerColour {
    const char* name;
    TColor colour;
};
constexpr PickerColour PickerColours[] = {
    {"黒", RgbColor(0, 0, 0)},         {"栗色", RgbColor(128, 0, 0)},
    {"緑", RgbColor(0, 128, 0)},       {"オリーブ", RgbColor(128, 128, 0)},
    {"紺", RgbColor(0, 0, 128)},       {"紫", RgbColor(128, 0, 128)},
    {"青緑", RgbColor(0, 128, 128)},   {"灰色", RgbColor(128, 128, 128)},
    {"銀色", RgbColor(192, 192, 192)}, {"赤", RgbColor(255, 0, 0)},
    {"ライム", RgbColor(0, 255, 0)},   {"黄", RgbColor(255, 255, 0)},
    {"青", RgbColor(0, 0, 255)},       {"赤紫", RgbColor(255, 0, 255)},
    {"水色", RgbColor(0, 255, 255)},   {"白", RgbColor(255, 255, 255)},
};

// The colour modes of the colour choices, in their order.
constexpr ColorModeValue ColourChoices[] = {ColorModeColor, ColorModeMonochrome, ColorModeInverted};

constexpr int MinSide = 16;
constexpr int MaxSide = 1024;
constexpr int PreviewWidth = 360;
constexpr int PreviewHeight = 240;

QString U(const char* text) {
    return QString::fromUtf8(text);
}

// A text the window shows, in the window's language.
QString Tr(const char* text) {
    return QCoreApplication::translate("ExportWindow", text);
}

// ".BMP" for "a/b.bmp", empty for a name without one.
QString UpperExtension(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    return suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix.toUpper();
}

QString WithExtension(const QString& path, const QString& extension) {
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.isEmpty()) return path + extension;
    return path.left(path.size() - suffix.size() - 1) + extension;
}

QRadioButton* Radio(const char* text, QButtonGroup* group, QLayout* layout) {
    auto* button = new QRadioButton(Tr(text));
    group->addButton(button);
    layout->addWidget(button);
    return button;
}

} // namespace

void StepSpinBox::stepBy(int steps) {
    QSpinBox::stepBy(steps);
    emit stepped();
}

ExportWindow::ExportWindow(Drawing& drawing, const DrawOptions& shown, Dialogs& dialogs,
                           QWidget* parent)
    : QDialog(parent), drawing_(drawing), shown_(shown), dialogs_(dialogs) {
    setWindowTitle(Tr(WindowTitle));
    setModal(true);
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto group = [](const char* title) {
        auto* box = new QGroupBox(Tr(title));
        return box;
    };

    auto* kindBox = group("画像");
    auto* kindLayout = new QVBoxLayout(kindBox);
    auto* kinds = new QButtonGroup(this);
    metafile_ = Radio("WMF/EMF", kinds, kindLayout);
    bitmap_ = Radio("BMP", kinds, kindLayout);
    metafile_->setChecked(true);

    auto* sizeBox = group("サイズ");
    auto* sizeLayout = new QGridLayout(sizeBox);
    auto* sizes = new QButtonGroup(this);
    currentSize_ = new QRadioButton(Tr("現サイズ"));
    givenSize_ = new QRadioButton(Tr("指定サイズ"));
    sizes->addButton(currentSize_);
    sizes->addButton(givenSize_);
    currentSize_->setChecked(true);
    width_ = new StepSpinBox;
    height_ = new StepSpinBox;
    for (StepSpinBox* field : {width_, height_})
        field->setRange(MinSide, MaxSide);
    sizeLayout->addWidget(currentSize_, 0, 0, 1, 2);
    sizeLayout->addWidget(givenSize_, 1, 0, 1, 2);
    sizeLayout->addWidget(new QLabel(QStringLiteral("W")), 2, 0);
    sizeLayout->addWidget(width_, 2, 1);
    sizeLayout->addWidget(new QLabel(QStringLiteral("H")), 3, 0);
    sizeLayout->addWidget(height_, 3, 1);

    auto* colourBox = group("色");
    auto* colourLayout = new QVBoxLayout(colourBox);
    auto* colours = new QButtonGroup(this);
    colours_[0] = Radio("カラー", colours, colourLayout);
    colours_[1] = Radio("白黒", colours, colourLayout);
    colours_[2] = Radio("カラー反転", colours, colourLayout);
    colours_[0]->setChecked(true);

    auto* backBox = group("背景色");
    auto* backLayout = new QVBoxLayout(backBox);
    background_ = new QComboBox;
    for (const PickerColour& c : PickerColours) {
        QPixmap swatch(16, 16);
        swatch.fill(QColor(RedOf(c.colour), GreenOf(c.colour), BlueOf(c.colour)));
        background_->addItem(QIcon(swatch), Tr(c.name), static_cast<uint>(c.colour));
    }
    noBackground_ = new QCheckBox(Tr("なし"));
    backLayout->addWidget(background_);
    backLayout->addWidget(noBackground_);

    auto* rangeBox = group("範囲");
    auto* rangeLayout = new QVBoxLayout(rangeBox);
    auto* ranges = new QButtonGroup(this);
    currentView_ = Radio("現表示", ranges, rangeLayout);
    wholeDrawing_ = Radio("全図形", ranges, rangeLayout);
    currentView_->setChecked(true);

    auto* penBox = group("ペンサイズ");
    auto* penLayout = new QVBoxLayout(penBox);
    penSize_ = new StepSpinBox;
    penSize_->setRange(0, 5);
    penSize_->setValue(0);
    penLayout->addWidget(penSize_);

    clipboardButton_ = new QPushButton(Tr("クリップボードにコピー"));
    saveButton_ = new QPushButton(Tr("ファイルに保存"));
    clipboardButton_->setAutoDefault(false);
    saveButton_->setAutoDefault(false);

    previewLabel_ = new QLabel;
    previewLabel_->setFixedSize(PreviewWidth, PreviewHeight);
    previewLabel_->setAlignment(Qt::AlignCenter);
    previewLabel_->setFrameShape(QFrame::StyledPanel);

    auto* controls = new QGridLayout;
    controls->addWidget(kindBox, 0, 0);
    controls->addWidget(sizeBox, 0, 1, 2, 1);
    controls->addWidget(colourBox, 0, 2);
    controls->addWidget(backBox, 1, 0);
    controls->addWidget(rangeBox, 1, 2);
    controls->addWidget(penBox, 2, 0);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(clipboardButton_);
    buttons->addWidget(saveButton_);
    controls->addLayout(buttons, 2, 1, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(previewLabel_, 0, Qt::AlignHCenter);

    const auto refresh = [this] { MakeImage(Sender::Refresh); };
    // Only the choice that becomes checked refreshes, not the one that is left.
    for (QButtonGroup* g : {kinds, sizes, colours, ranges})
        connect(g, &QButtonGroup::buttonToggled, this, [refresh](QAbstractButton*, bool on) {
            if (on) refresh();
        });
    for (StepSpinBox* field : {width_, height_, penSize_})
        connect(field, &StepSpinBox::stepped, this, refresh);
    connect(background_, &QComboBox::currentIndexChanged, this, refresh);
    connect(noBackground_, &QCheckBox::toggled, this, refresh);
    connect(clipboardButton_, &QPushButton::clicked, this,
            [this] { MakeImage(Sender::Clipboard); });
    connect(saveButton_, &QPushButton::clicked, this, [this] { MakeImage(Sender::Save); });
}

void ExportWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - rect().center());
    }
    // The fields take the detail picture's size as far as they can hold it.
    width_->setValue(shown_.view.pixW);
    height_->setValue(shown_.view.pixH);
    MakeImage(Sender::Refresh);
}

QSize ExportWindow::pictureSize() const {
    if (currentSize_->isChecked())
        return QSize(shown_.view.pixW, shown_.view.pixH).expandedTo(QSize(1, 1));
    return {width_->value(), height_->value()};
}

ImageRequest ExportWindow::request() const {
    const QSize size = pictureSize();
    ImageRequest request = wholeDrawing_->isChecked()
                               ? WholeDrawingRequest(drawing_, shown_.view.zoom, size.width(),
                                                     size.height(), shown_.view.space)
                               : ViewRequest(shown_.view, size.width(), size.height());
    request.options.backColor = static_cast<TColor>(background_->currentData().toUInt());
    request.noBackground = noBackground_->isChecked();
    request.options.penWidth = penSize_->value();
    request.options.lineweights = shown_.lineweights;
    for (int choice = 0; choice < 3; ++choice)
        if (colours_[choice]->isChecked()) request.options.colorMode = ColourChoices[choice];
    return request;
}

bool ExportWindow::MakeImage(Sender sender) {
    const ImageRequest request = this->request();
    // The bitmap is both the preview and, for a bitmap export, the picture itself.
    QImage bitmap;
    try {
        bitmap = MakeBitmap(drawing_, request, &shapes_);
    } catch (const std::bad_alloc&) {
    }
    if (bitmap.isNull()) {
        preview_ = QImage();
        previewLabel_->clear();
        if (sender != Sender::Refresh)
            reportFailure(QString(), QStringLiteral("%1 x %2: not enough memory for the picture")
                                         .arg(request.width)
                                         .arg(request.height));
        return false;
    }
    preview_ = bitmap;
    previewLabel_->setPixmap(QPixmap::fromImage(bitmap.scaled(
        previewLabel_->size() - QSize(4, 4), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    switch (sender) {
    case Sender::Refresh:
        return true;
    case Sender::Clipboard:
        return copyToClipboard(request, bitmap);
    case Sender::Save:
        return save(request, bitmap);
    }
    return true;
}

bool ExportWindow::copyToClipboard(const ImageRequest& request, const QImage& bitmap) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (bitmap_->isChecked()) {
        clipboard->setImage(bitmap);
        return true;
    }
    // The metafile as an enhanced metafile, and the bitmap for programs that take only pictures.
    QByteArray emf;
    try {
        emf = EncodeImage(drawing_, request, ImageFormat::Emf, &shapes_);
    } catch (const std::exception& e) {
        dialogs_.message(Tr(CopyFailedText) + QLatin1Char('\r') + QString::fromUtf8(e.what()),
                         Tr(WindowTitle), Dialogs::Icon::Error);
        return false;
    }
    auto* data = new QMimeData;
    data->setData(QStringLiteral("image/x-emf"), emf);
    data->setImageData(bitmap);
    clipboard->setMimeData(data);
    return true;
}

QString ExportWindow::chooseFileName() {
    const bool vector = metafile_->isChecked();
    QStringList filters;
    if (vector) {
        for (const VectorFilter& f : VectorFilters)
            filters << U(f.filter);
    } else {
        filters << U(BitmapFilter);
    }
    int filterIndex = 0;
    QString name = dialogs_.saveFile(Tr(WindowTitle), filters, filterIndex);
    if (name.isEmpty()) return QString();
    filterIndex = std::clamp(filterIndex, 0, static_cast<int>(filters.size()) - 1);

    const QString extension = UpperExtension(name);
    if (vector) {
        const QString chosen = U(VectorFilters[filterIndex].extension);
        bool known = false;
        for (const VectorFilter& f : VectorFilters)
            known = known || extension == U(f.extension).toUpper();
        if (extension.isEmpty()) {
            name += chosen;
        } else if (!known) {
            if (!dialogs_.question(Tr(MetafileExtensionQuestion), U(ExtensionCaption)))
                return QString();
            name = WithExtension(name, chosen);
        }
    } else {
        if (extension.isEmpty()) {
            name += QStringLiteral(".bmp");
        } else if (extension != QLatin1String(".BMP")) {
            if (!dialogs_.question(Tr(BitmapExtensionQuestion), U(ExtensionCaption)))
                return QString();
            name = WithExtension(name, QStringLiteral(".bmp"));
        }
    }
    if (QFileInfo::exists(name) && !dialogs_.question(Tr(OverwriteQuestion), U(OverwriteCaption)))
        return QString();
    return name;
}

bool ExportWindow::save(const ImageRequest& request, const QImage& bitmap) {
    const QString name = chooseFileName();
    if (name.isEmpty()) return false;
    QByteArray bytes;
    try {
        if (bitmap_->isChecked()) {
            bytes = EncodeImage(drawing_, request, ImageFormat::Bmp, &shapes_);
        } else {
            const QString extension = UpperExtension(name);
            ImageFormat format = ImageFormat::Wmf;
            for (const VectorFilter& f : VectorFilters)
                if (extension == U(f.extension).toUpper()) format = f.format;
            bytes = EncodeImage(drawing_, request, format, &shapes_);
        }
    } catch (const std::bad_alloc&) {
        reportFailure(name, QStringLiteral("not enough memory for the picture"));
        return false;
    } catch (const std::exception& e) {
        reportFailure(name, QString::fromUtf8(e.what()));
        return false;
    }
    const QString reason = WriteFileReplacing(name, bytes);
    if (!reason.isEmpty()) {
        reportFailure(name, reason);
        return false;
    }
    return true;
}

void ExportWindow::reportFailure(const QString& path, const QString& reason) {
    QString text = Tr(SaveFailedText);
    if (!path.isEmpty()) text += QLatin1Char('\r') + path;
    text += QLatin1Char('\r') + reason;
    dialogs_.message(text, Tr(WindowTitle), Dialogs::Icon::Error);
}

} // namespace orvanta
