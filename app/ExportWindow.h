// The export window "画像保存": the loaded drawing as a picture for other programs, a metafile
// (WMF/EMF, or SVG and PDF) or a bitmap, of the detail picture's size or a given one, showing the
// current view or the whole drawing, previewed and then copied to the clipboard or saved.
#pragma once

#include "app/Dialogs.h"
#include "model/AcadDxfUnit.h"
#include "output/ImageExport.h"
#include "render/qt/QtCanvas.h"

#include <QDialog>
#include <QSpinBox>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace orvanta {

// A number field whose up/down buttons (and arrow keys) announce themselves: they refresh the
// preview, typing does not.
class StepSpinBox : public QSpinBox {
    Q_OBJECT
  public:
    using QSpinBox::QSpinBox;
    void stepBy(int steps) override;
  signals:
    void stepped();
};

class ExportWindow : public QDialog {
    Q_OBJECT
  public:
    // What asked for the picture: a change of a setting only refreshes the preview.
    enum class Sender { Refresh, Clipboard, Save };

    // `shown` are the options the detail picture is drawn with: the picture's size, the view it
    // shows and whether lines are as wide as their lineweights, which the preview follows.
    ExportWindow(Drawing& drawing, const DrawOptions& shown, Dialogs& dialogs,
                 QWidget* parent = nullptr);

    // Builds the picture from the current settings and shows it in the preview; then puts it on
    // the clipboard or saves it, as the sender asks. Returns false when a save or copy failed or
    // was refused.
    bool MakeImage(Sender sender);

    // The picture's size as the settings give it.
    QSize pictureSize() const;

    // The preview as last made.
    const QImage& preview() const { return preview_; }

    // The controls, for tests.
    QRadioButton* metafileChoice() const { return metafile_; }
    QRadioButton* bitmapChoice() const { return bitmap_; }
    QRadioButton* currentSizeChoice() const { return currentSize_; }
    QRadioButton* givenSizeChoice() const { return givenSize_; }
    StepSpinBox* widthField() const { return width_; }
    StepSpinBox* heightField() const { return height_; }
    QRadioButton* colourChoice(int mode) const { return colours_[mode]; }
    QComboBox* backgroundBox() const { return background_; }
    QCheckBox* noBackgroundBox() const { return noBackground_; }
    QRadioButton* currentViewChoice() const { return currentView_; }
    QRadioButton* wholeDrawingChoice() const { return wholeDrawing_; }
    StepSpinBox* penSizeField() const { return penSize_; }
    QPushButton* clipboardButton() const { return clipboardButton_; }
    QPushButton* saveButton() const { return saveButton_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    ImageRequest request() const;
    bool copyToClipboard(const ImageRequest& request, const QImage& bitmap);
    bool save(const ImageRequest& request, const QImage& bitmap);
    // The final file name, after the extension and overwrite questions; empty when the user
    // refused or cancelled.
    QString chooseFileName();
    void reportFailure(const QString& path, const QString& reason);

    Drawing& drawing_;
    DrawOptions shown_;
    Dialogs& dialogs_;
    TextShapeCache shapes_;
    QImage preview_;

    QRadioButton* metafile_ = nullptr;
    QRadioButton* bitmap_ = nullptr;
    QRadioButton* currentSize_ = nullptr;
    QRadioButton* givenSize_ = nullptr;
    StepSpinBox* width_ = nullptr;
    StepSpinBox* height_ = nullptr;
    QRadioButton* colours_[3] = {};
    QComboBox* background_ = nullptr;
    QCheckBox* noBackground_ = nullptr;
    QRadioButton* currentView_ = nullptr;
    QRadioButton* wholeDrawing_ = nullptr;
    StepSpinBox* penSize_ = nullptr;
    QPushButton* clipboardButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QLabel* previewLabel_ = nullptr;
};

} // namespace orvanta
