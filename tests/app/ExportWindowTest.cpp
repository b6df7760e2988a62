// The export window offscreen, its dialogs answered by the test: defaults, the extension and
// overwrite questions, the formats chosen by name and filter, the clipboard, and a save that
// cannot be written.
#include "app/ExportWindow.h"
#include "render/ViewState.h"
#include "support/AppTesting.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace orvanta {
namespace {

class ExportWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        drawing = test::LoadBundledSample("floor-plan");
        FitViewToExtents(view, drawing);
        window = std::make_unique<ExportWindow>(
            drawing, ViewDrawOptions(view, view.ViewCenter, 1600, 900, {}), dialogs);
    }

    QString file(const char* name) const {
        return QString::fromStdString((dir.path() / name).string());
    }
    QByteArray contents(const QString& path) const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    Drawing drawing;
    ViewState view;
    test::RecordingDialogs dialogs;
    test::TempDir dir;
    std::unique_ptr<ExportWindow> window;
};

TEST_F(ExportWindowTest, OpensWithItsDefaultsAndTheDetailSize) {
    window->show();
    test::ProcessEvents();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("画像保存"));
    EXPECT_TRUE(window->metafileChoice()->isChecked());
    EXPECT_TRUE(window->currentSizeChoice()->isChecked());
    EXPECT_TRUE(window->colourChoice(0)->isChecked());
    EXPECT_EQ(window->backgroundBox()->currentIndex(), 0);
    EXPECT_EQ(window->backgroundBox()->currentData().toUInt(), 0u) << "black first";
    EXPECT_FALSE(window->noBackgroundBox()->isChecked());
    EXPECT_TRUE(window->currentViewChoice()->isChecked());
    EXPECT_EQ(window->penSizeField()->value(), 0);
    // The fields stop at 1024; the current size does not.
    EXPECT_EQ(window->widthField()->value(), 1024);
    EXPECT_EQ(window->heightField()->value(), 900);
    EXPECT_EQ(window->preview().size(), QSize(1600, 900));

    window->givenSizeChoice()->setChecked(true);
    window->widthField()->setValue(1024);
    window->heightField()->setValue(16);
    window->wholeDrawingChoice()->setChecked(true);
    EXPECT_EQ(window->preview().size(), QSize(1024, 16));
    // Typing alone does not refresh; the up/down buttons do.
    window->heightField()->setValue(40);
    EXPECT_EQ(window->preview().height(), 16);
    window->heightField()->stepBy(1);
    EXPECT_EQ(window->preview().height(), 41);
}

TEST_F(ExportWindowTest, BitmapExtensionQuestionDecidesWhatIsWritten) {
    window->bitmapChoice()->setChecked(true);
    dialogs.nextFile = file("plan.png");
    dialogs.answers = {false};
    EXPECT_FALSE(window->MakeImage(ExportWindow::Sender::Save));
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0].text,
              QStringLiteral("拡張子が.BMPではありません．変更しますか？ "));
    EXPECT_EQ(dialogs.questions[0].caption, QStringLiteral("Quelvar.exe"));
    EXPECT_EQ(dialogs.saveDialogs.back(), QStringList{"*.BMP (*.bmp)"});
    EXPECT_FALSE(QFile::exists(file("plan.png")));
    EXPECT_FALSE(QFile::exists(file("plan.bmp")));

    dialogs.answers = {true};
    EXPECT_TRUE(window->MakeImage(ExportWindow::Sender::Save));
    EXPECT_TRUE(contents(file("plan.bmp")).startsWith("BM"));
    EXPECT_FALSE(QFile::exists(file("plan.png")));
}

TEST_F(ExportWindowTest, VectorFormatFollowsTheFilterOrTheName) {
    // No extension under the second filter: an enhanced metafile.
    dialogs.nextFile = file("plan");
    dialogs.nextFilter = 1;
    EXPECT_TRUE(window->MakeImage(ExportWindow::Sender::Save));
    EXPECT_TRUE(contents(file("plan.emf")).startsWith(QByteArray("\x01\0\0\0", 4)));
    EXPECT_TRUE(dialogs.questions.empty());

    // A name ending in .wmf under the second filter: a Windows metafile.
    dialogs.nextFile = file("plan.wmf");
    EXPECT_TRUE(window->MakeImage(ExportWindow::Sender::Save));
    EXPECT_TRUE(contents(file("plan.wmf")).startsWith("\xD7\xCD\xC6\x9A"));

    // SVG and PDF by their names.
    dialogs.nextFile = file("plan.svg");
    EXPECT_TRUE(window->MakeImage(ExportWindow::Sender::Save));
    EXPECT_TRUE(contents(file("plan.svg")).contains("<svg"));
    dialogs.nextFile = file("plan.PDF");
    EXPECT_TRUE(window->MakeImage(ExportWindow::Sender::Save));
    EXPECT_TRUE(contents(file("plan.PDF")).startsWith("%PDF"));

    // An unknown extension, Yes: changed to the filter's.
    dialogs.nextFile = file("other.txt");
    dialogs.nextFilter = 0;
    dialogs.answers = {true};
    EXPECT_TRUE(window->MakeImage(ExportWindow::Sender::Save));
    EXPECT_EQ(dialogs.questions.back().text,
              QStringLiteral("拡張子が.WMF / .EMFではありません．変更しますか？ "));
    EXPECT_TRUE(QFile::exists(file("other.wmf")));
    EXPECT_FALSE(QFile::exists(file("other.txt")));
}

TEST_F(ExportWindowTest, OverwriteQuestionNoKeepsTheFile) {
    dialogs.nextFile = file("plan.emf");
    dialogs.nextFilter = 1;
    ASSERT_TRUE(window->MakeImage(ExportWindow::Sender::Save));
    const QByteArray first = contents(file("plan.emf"));
    window->penSizeField()->setValue(3);
    dialogs.answers = {false};
    EXPECT_FALSE(window->MakeImage(ExportWindow::Sender::Save));
    EXPECT_EQ(dialogs.questions.back().text,
              QStringLiteral("同名のファイルが存在します．上書きしますか？ "));
    EXPECT_EQ(dialogs.questions.back().caption, QStringLiteral("Quelvar"));
    EXPECT_EQ(contents(file("plan.emf")), first);
    dialogs.answers = {true};
    EXPECT_TRUE(window->MakeImage(ExportWindow::Sender::Save));
    EXPECT_NE(contents(file("plan.emf")), first);
}

TEST_F(ExportWindowTest, AFileThatCannotBeWrittenIsReportedWithPathAndReason) {
    dialogs.nextFile = file("missing-folder/plan.wmf");
    EXPECT_FALSE(window->MakeImage(ExportWindow::Sender::Save));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const QString text = dialogs.messages[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("画像ファイルを保存できませんでした．\r")));
    EXPECT_TRUE(text.contains(file("missing-folder/plan.wmf")));
    EXPECT_FALSE(text.endsWith(file("missing-folder/plan.wmf"))) << "and a reason after it";
    EXPECT_EQ(dialogs.messages[0].icon, Dialogs::Icon::Error);
}

TEST_F(ExportWindowTest, ClipboardGetsTheMetafileAndABitmap) {
    ASSERT_TRUE(window->MakeImage(ExportWindow::Sender::Clipboard));
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->data(QStringLiteral("image/x-emf")).startsWith(QByteArray("\x01\0\0\0", 4)));
    EXPECT_TRUE(data->hasImage());

    window->bitmapChoice()->setChecked(true);
    window->noBackgroundBox()->setChecked(true);
    ASSERT_TRUE(window->MakeImage(ExportWindow::Sender::Clipboard));
    const QImage image = QApplication::clipboard()->image();
    EXPECT_EQ(image.size(), QSize(1600, 900));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "no background is transparent";
}

} // namespace
} // namespace orvanta
