// The detail view with the real presenter: drawings opened from the file list, and the user's
// gestures on the picture, driven with QTest events on the offscreen platform.
#include "app/DrawingPresenter.h"
#include "app/FileListPanel.h"
#include "app/MainWindow.h"
#include "app/SidePanel.h"
#include "render/Colors.h"
#include "render/DrawDxf.h"
#include "render/qt/QtCanvas.h"

#include "support/AppTesting.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPainter>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace orvanta {
namespace {

using test::Dxf;
using test::ProcessEvents;

// Three lines (two of them parallel, 20 apart), a circle and an arc on their own layers, a text,
// a named view and a layer without entities.
std::string MeasureDrawing() {
    return Dxf({"0",  "SECTION", "2",  "HEADER",  "9",   "$ACADVER", "1",  "AC1015", "0",  "ENDSEC",
                "0",  "SECTION", "2",  "TABLES",  "0",   "TABLE",    "2",  "LAYER",  "0",  "LAYER",
                "2",  "lines",   "62", "1",       "370", "211",      "0",  "LAYER",  "2",  "round",
                "62", "3",       "0",  "LAYER",   "2",   "empty",    "62", "5",      "0",  "ENDTAB",
                "0",  "TABLE",   "2",  "VIEW",    "0",   "VIEW",     "2",  "Detail", "70", "0",
                "10", "150",     "20", "50",      "40",  "30",       "41", "40",     "0",  "ENDTAB",
                "0",  "ENDSEC",  "0",  "SECTION", "2",   "ENTITIES", "0",  "LINE",   "8",  "lines",
                "10", "0",       "20", "0",       "11",  "100",      "21", "0",      "0",  "LINE",
                "8",  "lines",   "10", "0",       "20",  "20",       "11", "100",    "21", "20",
                "0",  "LINE",    "8",  "lines",   "10",  "50",       "20", "40",     "11", "50",
                "21", "100",     "0",  "CIRCLE",  "8",   "round",    "10", "150",    "20", "50",
                "40", "10",      "0",  "ARC",     "8",   "round",    "10", "150",    "20", "120",
                "40", "15",      "50", "0",       "51",  "180",      "0",  "TEXT",   "8",  "lines",
                "10", "20",      "20", "60",      "40",  "5",        "1",  "Mark",   "0",  "ENDSEC",
                "0",  "EOF"});
}

// The window on the detail tab with the real presenter; its drawings come from `folder`.
struct DetailWindow {
    test::WindowHarness harness;
    DrawingPresenter presenter;
    std::unique_ptr<MainWindow> window;

    DetailWindow() {
        presenter.setBlinkPause(0);
        window = harness.open();
        window->setDetailPresenter(&presenter);
        window->resize(900, 640);
        window->tabs()->setCurrentIndex(MainWindow::DetailTab);
        ProcessEvents();
    }
    ~DetailWindow() { window.reset(); }

    MainWindow& w() { return *window; }
    DetailView& view() { return window->detailView(); }
    const DetailViewState& state() const { return presenter.viewState(); }
    const QImage& picture() { return view().picture(); }

    double unitsPerPixel() {
        return UnitsPerPixel(state().DrawWidth, state().DrawHeight, picture().width(),
                             picture().height(), state().ZoomRate);
    }
    QPoint pixelOf(double x, double y) {
        const TPoint p =
            WorldToScreen(PointDiff({x, y, 0}, state().ViewCenter),
                          ViewOriginOf(picture().width(), picture().height()), unitsPerPixel());
        return {p.x, p.y};
    }
    TAcadPoint worldOf(QPoint pixel) {
        return ScreenToWorld(state().ViewCenter, {pixel.x(), pixel.y()}, picture().width(),
                             picture().height(), state().DrawWidth, state().DrawHeight,
                             state().ZoomRate);
    }

    void drag(Qt::MouseButton button, QPoint from, QPoint to) {
        QTest::mousePress(&view(), button, {}, from);
        QTest::mouseMove(&view(), to);
        QTest::mouseRelease(&view(), button, {}, to);
    }
    void shiftClick(QPoint at) {
        QTest::mousePress(&view(), Qt::LeftButton, Qt::ShiftModifier, at);
        QTest::mouseRelease(&view(), Qt::LeftButton, Qt::ShiftModifier, at);
    }
    // A wheel step, as far as the first picture it shows.
    void sendWheel(QPoint at, int delta) {
        QWheelEvent event(at, view().mapToGlobal(QPointF(at)), {}, {0, delta}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&view(), &event);
    }
    // A wheel step, as far as the picture of the new view.
    void wheel(QPoint at, int delta) {
        sendWheel(at, delta);
        finishPicture();
    }
    void finishPicture() {
        while (presenter.renderPending())
            QCoreApplication::processEvents();
    }
    void chooseRow(int row) { window->fileList()->table()->setCurrentCell(row, 0); }
};

int LitPixels(const QImage& image) {
    int lit = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0) ++lit;
    return lit;
}

QString Folder(const test::TempDir& dir) {
    return QString::fromStdString(dir.path().string());
}

TEST(DetailView, ABundledSampleOpensWithItsPanelsAndAPicture) {
    DetailWindow d;
    d.w().showFolder(QString::fromStdString(test::SourcePath("samples").string()));
    const int row = d.w().fileList()->findRow("floor-plan.dxf");
    ASSERT_GE(row, 0);
    d.chooseRow(row);
    ASSERT_TRUE(d.harness.dialogs.messages.empty());
    EXPECT_EQ(d.w().currentDrawingLabel()->text(), "floor-plan.dxf");

    SidePanel* side = d.w().sidePanel();
    EXPECT_EQ(side->countLabel(0)->text(), "Layer : 13");
    EXPECT_EQ(side->countLabel(1)->text(), "Line : 47");
    EXPECT_EQ(side->countLabel(8)->text(), "Insert : 8");
    EXPECT_EQ(side->countLabel(12)->text(), "View : 3");
    EXPECT_EQ(side->layerList()->count(), 13);
    EXPECT_FALSE(side->textItems().isEmpty());
    EXPECT_GT(side->viewSelector()->count(), 1);
    EXPECT_EQ(side->viewSelector()->itemText(0), "*AllView*");

    const QImage& picture = d.picture();
    EXPECT_EQ(picture.format(), QImage::Format_RGB32);
    EXPECT_EQ(picture.size(), d.view().size());
    EXPECT_GT(LitPixels(picture), 2000);
    EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d\\d$")
                    .match(d.w().statusText(StatusPanel::Elapsed))
                    .hasMatch())
        << d.w().statusText(StatusPanel::Elapsed).toStdString();
    // The inserts are expanded and the view fits the extents.
    EXPECT_TRUE(d.w().drawing().InsertAry.empty());
    EXPECT_DOUBLE_EQ(d.state().DrawWidth, d.w().drawing().ExtMax.x - d.w().drawing().ExtMin.x);

    // Every other sample opens as well and shows something.
    for (int r = 0; r < d.w().fileList()->rowCount(); ++r) {
        d.chooseRow(r);
        const QString name = d.w().fileList()->cell(r, FileListPanel::NameColumn);
        EXPECT_EQ(d.w().currentDrawingLabel()->text(), name);
        EXPECT_GT(LitPixels(d.picture()), 500) << name.toStdString();
    }
    EXPECT_TRUE(d.harness.dialogs.messages.empty());
}

// The measuring drawing, open on the detail tab.
struct MeasureWindow : DetailWindow {
    test::TempDir folder;
    MeasureWindow() {
        folder.write("measure.dxf", MeasureDrawing());
        window->showFolder(Folder(folder));
    }
};

TEST(DetailView, ZoomGesturesFollowTheTenPixelRule) {
    MeasureWindow d;
    ASSERT_GT(d.state().DrawWidth, 0);
    const ViewState fitted = d.state();

    // A click re-centres on the clicked point; so does a drag of exactly ten pixels.
    QPoint at = d.pixelOf(40, 30);
    TAcadPoint target = d.worldOf(at);
    QTest::mouseClick(&d.view(), Qt::LeftButton, {}, at);
    EXPECT_DOUBLE_EQ(d.state().ViewCenter.x, target.x);
    EXPECT_DOUBLE_EQ(d.state().ViewCenter.y, target.y);
    EXPECT_DOUBLE_EQ(d.state().DrawWidth, fitted.DrawWidth);
    EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d\\d$")
                    .match(d.w().statusText(StatusPanel::Elapsed))
                    .hasMatch());

    const QPoint from(100, 100);
    const TAcadPoint a = d.worldOf(from);
    const TAcadPoint b = d.worldOf(from + QPoint(10, 10));
    d.drag(Qt::LeftButton, from, from + QPoint(10, 10));
    EXPECT_DOUBLE_EQ(d.state().ViewCenter.x, (a.x + b.x) / 2);
    EXPECT_DOUBLE_EQ(d.state().DrawWidth, fitted.DrawWidth);

    // Eleven pixels both ways is a drag: the window zoom to that rectangle.
    const TAcadPoint a11 = d.worldOf(from);
    const TAcadPoint b11 = d.worldOf(from + QPoint(11, 11));
    d.drag(Qt::LeftButton, from, from + QPoint(11, 11));
    EXPECT_DOUBLE_EQ(d.state().DrawWidth, b11.x - a11.x);
    EXPECT_DOUBLE_EQ(d.state().DrawHeight, a11.y - b11.y);

    // Eleven pixels right and down, with the right button as well: the window zoom.
    const ViewState before = d.state();
    const TAcadPoint c = d.worldOf(QPoint(50, 60));
    const TAcadPoint e = d.worldOf(QPoint(150, 120));
    d.drag(Qt::RightButton, QPoint(50, 60), QPoint(150, 120));
    EXPECT_DOUBLE_EQ(d.state().DrawWidth, e.x - c.x);
    EXPECT_DOUBLE_EQ(d.state().DrawHeight, c.y - e.y);
    EXPECT_DOUBLE_EQ(d.state().ViewCenter.x, (c.x + e.x) / 2);
    EXPECT_DOUBLE_EQ(d.state().PrevDrawWidth, before.DrawWidth);
    const ViewState zoomed = d.state();

    // Left and up: zoom out around the same centre.
    d.drag(Qt::LeftButton, QPoint(200, 200), QPoint(150, 150));
    EXPECT_DOUBLE_EQ(d.state().DrawWidth, zoomed.DrawWidth * 2);
    EXPECT_DOUBLE_EQ(d.state().ViewCenter.x, zoomed.ViewCenter.x);

    // Left and down: back to the zoomed view, twice the same.
    for (int i = 0; i < 2; ++i) {
        d.drag(Qt::LeftButton, QPoint(200, 200), QPoint(150, 250));
        EXPECT_DOUBLE_EQ(d.state().DrawWidth, zoomed.DrawWidth);
        EXPECT_DOUBLE_EQ(d.state().ViewCenter.y, zoomed.ViewCenter.y);
    }

    // Right and up: the whole drawing again.
    d.drag(Qt::LeftButton, QPoint(100, 200), QPoint(150, 150));
    EXPECT_DOUBLE_EQ(d.state().DrawWidth, fitted.DrawWidth);
    EXPECT_DOUBLE_EQ(d.state().ViewCenter.x, fitted.ViewCenter.x);
    EXPECT_DOUBLE_EQ(d.state().PrevDrawWidth, zoomed.DrawWidth);
    EXPECT_FALSE(d.state().ZoomBoxDragging);
}

TEST(DetailView, TheRubberBandAndTheCrossHairComeOffAsTheyWentOn) {
    MeasureWindow d;
    const QImage clean = d.picture().copy();

    QTest::mouseMove(&d.view(), QPoint(120, 90));
    EXPECT_TRUE(d.state().CrossHairShown);
    EXPECT_EQ(d.state().CrossHairPos, (TPoint{120, 90}));
    const QImage crossed = d.picture().copy();
    EXPECT_EQ(crossed.pixel(5, 89) ^ clean.pixel(5, 89), 0x008000u) << "green xor on row y - 1";
    EXPECT_EQ(crossed.pixel(119, 5) ^ clean.pixel(119, 5), 0x008000u) << "and column x - 1";
    const TAcadPoint under = d.worldOf(QPoint(120, 90));
    EXPECT_EQ(d.w().statusText(StatusPanel::Mouse),
              QString::asprintf("X= %.2f , Y= %.2f", under.x, under.y));
    const double u = d.unitsPerPixel();
    EXPECT_EQ(
        d.w().statusText(StatusPanel::ViewSize),
        QString::asprintf("W= %.2f , H= %.2f", d.picture().width() * u, d.picture().height() * u));

    // Moving on erases the old cross-hair; clearing it leaves the picture as it was.
    QTest::mouseMove(&d.view(), QPoint(300, 200));
    EXPECT_EQ(d.picture().pixel(5, 89), clean.pixel(5, 89));
    d.presenter.clearCrossHair();
    EXPECT_EQ(d.picture(), clean);

    // A left press draws the band; moving it redraws it; the release renders the zoomed view.
    QTest::mousePress(&d.view(), Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(&d.view(), QPoint(200, 180));
    d.presenter.clearCrossHair();
    const QImage banded = d.picture().copy();
    int inverted = 0;
    for (int x = 100; x <= 200; ++x)
        if ((banded.pixel(x, 100) & 0xFFFFFF) == (~clean.pixel(x, 100) & 0xFFFFFF)) ++inverted;
    EXPECT_GT(inverted, 30) << "the dash-dot-dot band inverts the picture along its edge";
    EXPECT_EQ(banded.pixel(150, 140), clean.pixel(150, 140)) << "and is hollow";
    EXPECT_TRUE(d.state().ZoomBoxDragging);
    QTest::mouseMove(&d.view(), QPoint(200, 100));
    EXPECT_EQ(d.state().DragLastPoint, (TPoint{200, 180})) << "a move along a side keeps the band";
    QTest::mouseRelease(&d.view(), Qt::LeftButton, {}, QPoint(200, 180));
    EXPECT_FALSE(d.state().ZoomBoxDragging);
    EXPECT_FALSE(d.state().CrossHairShown);
}

TEST(DetailView, TheMiddleButtonPansWithARoughPreview) {
    MeasureWindow d;
    const ViewState before = d.state();
    const QPoint from(200, 200), to(260, 170);
    const TAcadPoint a = d.worldOf(from);
    const TAcadPoint b = d.worldOf(to);
    const qint64 key = d.picture().cacheKey();
    QTest::mousePress(&d.view(), Qt::MiddleButton, {}, from);
    EXPECT_TRUE(d.state().PanDragging);
    QTest::mouseMove(&d.view(), to);
    EXPECT_NE(d.picture().cacheKey(), key) << "the preview replaced the picture";
    EXPECT_DOUBLE_EQ(d.state().ViewCenter.x, before.ViewCenter.x) << "the view waits for release";
    EXPECT_FALSE(d.state().PanRedrawBusy);
    QTest::mouseRelease(&d.view(), Qt::MiddleButton, {}, to);
    EXPECT_DOUBLE_EQ(d.state().ViewCenter.x, before.ViewCenter.x + a.x - b.x);
    EXPECT_DOUBLE_EQ(d.state().ViewCenter.y, before.ViewCenter.y + a.y - b.y);
    EXPECT_DOUBLE_EQ(d.state().DrawWidth, before.DrawWidth);
    EXPECT_FALSE(d.state().PanDragging);
    // The point that was under the press is under the release now.
    const QPoint moved = d.pixelOf(a.x, a.y);
    EXPECT_NEAR(moved.x(), to.x(), 1);
    EXPECT_NEAR(moved.y(), to.y(), 1);
}

TEST(DetailView, TheWheelZoomsAroundTheMousePoint) {
    MeasureWindow d;
    const ViewState before = d.state();
    const QPoint at(150, 120);
    const TAcadPoint p = d.worldOf(at);
    d.wheel(at, 120);
    EXPECT_DOUBLE_EQ(d.state().DrawWidth, before.DrawWidth / 2);
    EXPECT_DOUBLE_EQ(d.state().PrevDrawWidth, before.DrawWidth);
    const TAcadPoint q = d.worldOf(at);
    EXPECT_NEAR(q.x, p.x, 1e-9);
    EXPECT_NEAR(q.y, p.y, 1e-9);
    EXPECT_FALSE(d.state().WheelRedrawBusy);

    // Half notches add up to one step; a notch towards the user zooms out.
    d.wheel(at, 60);
    EXPECT_DOUBLE_EQ(d.state().DrawWidth, before.DrawWidth / 2);
    d.wheel(at, 60);
    EXPECT_DOUBLE_EQ(d.state().DrawWidth, before.DrawWidth / 4);
    d.wheel(at, -240);
    EXPECT_DOUBLE_EQ(d.state().DrawWidth, before.DrawWidth);
    EXPECT_NEAR(d.state().ViewCenter.x, before.ViewCenter.x, 1e-9);

    // Over the file list nothing changes.
    QWidget* list = d.w().fileList()->table()->viewport();
    QWheelEvent over(QPointF(5, 5), list->mapToGlobal(QPointF(5, 5)), {}, {0, 120}, Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(list, &over);
    EXPECT_DOUBLE_EQ(d.state().DrawWidth, before.DrawWidth);
}

// The picture the renderer makes of the whole model at the presenter's current view.
QImage WholeModelPicture(DetailWindow& d) {
    QImage image(d.picture().size(), QImage::Format_RGB32);
    QPainter painter(&image);
    TextShapeCache shapes;
    QtCanvas canvas(painter, DefaultTextFace, &shapes);
    ClearCanvas(canvas, image.width(), image.height(), ColorBlack);
    const ViewState& v = d.state();
    DrawOptions options;
    options.view = DrawViewOf(v, v.ViewCenter, image.width(), image.height());
    DrawDxf(d.w().drawing(), options, canvas);
    canvas.flush();
    return image;
}

TEST(DetailView, ZoomedInPicturesShowTheWholeModelsPixels) {
    DetailWindow d;
    d.w().showFolder(QString::fromStdString(test::SourcePath("samples").string()));
    d.chooseRow(d.w().fileList()->findRow("floor-plan.dxf"));
    const QPoint at(d.picture().width() / 3, d.picture().height() / 2);
    for (int step = 0; step < 6; ++step) {
        d.wheel(at, 120);
        EXPECT_EQ(d.picture(), WholeModelPicture(d)) << "step " << step;
    }
    // Panned within and beyond the records chosen for the view.
    for (const QPoint to : {QPoint(at.x() + 40, at.y() - 30), QPoint(at.x() + 400, at.y())}) {
        d.drag(Qt::MiddleButton, at, to);
        EXPECT_EQ(d.picture(), WholeModelPicture(d));
    }
    // A layer switched off since the records were chosen stays off.
    d.w().sidePanel()->layerList()->item(3)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(d.picture(), WholeModelPicture(d));
}

TEST(DetailView, AWheelStepFirstShowsTheLastPictureScaled) {
    MeasureWindow d;
    const QPoint onLine = d.pixelOf(30, 20);
    const QPoint at = onLine + QPoint(10, 10);
    ASSERT_EQ(d.picture().pixel(onLine) & 0xFFFFFF, 0xFF0000u);
    d.sendWheel(at, 120);
    EXPECT_TRUE(d.presenter.renderPending());
    EXPECT_EQ(d.picture().pixel(at + (onLine - at) * 2) & 0xFFFFFF, 0xFF0000u);
    d.finishPicture();
    EXPECT_EQ(d.picture(), WholeModelPicture(d));
}

// A return to the whole drawing shows the picture kept of it, not a redraw; whatever changes
// what the picture shows drops it.
TEST(DetailView, TheWholeDrawingsPictureIsKeptUntilWhatItShowsChanges) {
    MeasureWindow d;
    const QPoint at(150, 120);
    const QPoint onLine = d.pixelOf(30, 0);
    const auto inAndOut = [&] {
        d.wheel(at, 120);
        d.wheel(at, -120);
    };
    const qint64 whole = d.picture().cacheKey();
    QTest::mouseMove(&d.view(), QPoint(200, 200)); // a cross-hair on the shown picture
    inAndOut();
    EXPECT_EQ(d.picture().cacheKey(), whole) << "the kept picture";
    EXPECT_EQ(d.picture(), WholeModelPicture(d)) << "without the cross-hair";

    d.w().action("モノクロ表示")->trigger();
    inAndOut();
    EXPECT_EQ(d.picture().pixel(onLine) & 0xFFFFFF, 0xFFFFFFu) << "in the new colour mode";
    d.w().action("モノクロ表示")->trigger();

    QListWidgetItem* lines =
        d.w().sidePanel()->layerList()->findItems("lines", Qt::MatchExactly)[0];
    lines->setCheckState(Qt::Unchecked);
    inAndOut();
    EXPECT_EQ(d.picture().pixel(onLine) & 0xFFFFFF, 0u) << "the layer stays off";
    lines->setCheckState(Qt::Checked);
    inAndOut();
    EXPECT_EQ(d.picture().pixel(onLine) & 0xFFFFFF, 0xFF0000u);

    d.w().resize(1000, 700);
    ProcessEvents();
    inAndOut();
    EXPECT_EQ(d.picture().size(), d.view().size());
    EXPECT_EQ(d.picture(), WholeModelPicture(d));
}

TEST(DetailView, AShiftClickMeasuresLinesCirclesAndArcs) {
    MeasureWindow d;
    const QImage clean = d.picture().copy();

    // The highlight inverts the line while the button is down and comes off on release.
    const QPoint onLine = d.pixelOf(30, 0);
    QTest::mousePress(&d.view(), Qt::LeftButton, Qt::ShiftModifier, onLine);
    EXPECT_EQ(d.state().PickedLineIndex, 0);
    EXPECT_NE(d.picture(), clean);
    EXPECT_EQ(d.picture().pixel(onLine) & 0xFFFFFF, ~clean.pixel(onLine) & 0xFFFFFF);
    QTest::mouseRelease(&d.view(), Qt::LeftButton, Qt::ShiftModifier, onLine);
    EXPECT_EQ(d.picture(), clean);
    EXPECT_EQ(d.w().statusText(StatusPanel::Progress), "長さ = 100.000");

    // The parallel line 20 above: its length and the distance between the two.
    d.shiftClick(d.pixelOf(30, 20));
    EXPECT_EQ(d.w().statusText(StatusPanel::Progress), "長さ = 100.000 相互距離 = 20.000");
    // A line at right angles to the last: only its length.
    d.shiftClick(d.pixelOf(50, 70));
    EXPECT_EQ(d.w().statusText(StatusPanel::Progress), "長さ = 60.000");

    QTest::mousePress(&d.view(), Qt::LeftButton, Qt::ShiftModifier, d.pixelOf(160, 50));
    EXPECT_EQ(d.w().statusText(StatusPanel::Progress), "円半径 = 10.000");
    EXPECT_EQ(d.state().PickedCircleIndex, 0);
    QTest::mouseRelease(&d.view(), Qt::LeftButton, Qt::ShiftModifier, d.pixelOf(160, 50));
    EXPECT_EQ(d.picture(), clean);

    d.shiftClick(d.pixelOf(150, 135));
    EXPECT_EQ(d.w().statusText(StatusPanel::Progress), "円弧半径 = 15.000");
    EXPECT_EQ(d.picture(), clean);

    // A measurement whose Shift comes up before the button is still a measurement, and leaves
    // the view where it was.
    const ViewState before = d.state();
    QTest::mousePress(&d.view(), Qt::LeftButton, Qt::ShiftModifier, d.pixelOf(30, 0));
    QTest::mouseRelease(&d.view(), Qt::LeftButton, {}, d.pixelOf(30, 0));
    EXPECT_EQ(d.w().statusText(StatusPanel::Progress), "長さ = 100.000")
        << "at right angles to the last line";
    EXPECT_DOUBLE_EQ(d.state().ViewCenter.x, before.ViewCenter.x);
    EXPECT_EQ(d.picture(), clean);
}

TEST(DetailView, TheViewSelectorShowsANamedViewAndEntryZeroTheWholeDrawing) {
    MeasureWindow d;
    const ViewState fitted = d.state();
    QComboBox* views = d.w().sidePanel()->viewSelector();
    ASSERT_EQ(views->count(), 2);
    EXPECT_EQ(views->itemText(1), "Detail");
    views->setCurrentIndex(1);
    emit views->activated(1);
    EXPECT_DOUBLE_EQ(d.state().DrawWidth, 40);
    EXPECT_DOUBLE_EQ(d.state().DrawHeight, 30);
    EXPECT_DOUBLE_EQ(d.state().ViewCenter.x, 150);
    EXPECT_DOUBLE_EQ(d.state().ViewCenter.y, 50);
    EXPECT_DOUBLE_EQ(d.state().PrevDrawWidth, fitted.DrawWidth);
    // The circle fills the view.
    EXPECT_NE(d.picture().pixel(d.pixelOf(160, 50)) & 0xFFFFFF, 0u);

    views->setCurrentIndex(0);
    emit views->activated(0);
    EXPECT_DOUBLE_EQ(d.state().DrawWidth, fitted.DrawWidth);
    EXPECT_DOUBLE_EQ(d.state().PrevDrawWidth, 40);
}

TEST(DetailView, LayersTextsAndColourModeRedrawThePicture) {
    MeasureWindow d;
    SidePanel* side = d.w().sidePanel();
    QListWidget* layers = side->layerList();
    const QPoint onLine = d.pixelOf(30, 0);
    EXPECT_EQ(d.picture().pixel(onLine) & 0xFFFFFF, 0xFF0000u) << "red, colour 1";

    // Monochrome draws every entity in the background's complement.
    d.w().action("モノクロ表示")->trigger();
    EXPECT_EQ(d.picture().pixel(onLine) & 0xFFFFFF, 0xFFFFFFu);
    d.w().action("モノクロ表示")->trigger();
    EXPECT_EQ(d.picture().pixel(onLine) & 0xFFFFFF, 0xFF0000u);

    // The lines' layer weighs 2.11 mm: eight pixels wide once lineweights are shown.
    const QPoint beside = onLine + QPoint(0, 3);
    EXPECT_EQ(d.picture().pixel(beside) & 0xFFFFFF, 0u);
    d.w().action("線の太さを表示")->trigger();
    EXPECT_EQ(d.picture().pixel(beside) & 0xFFFFFF, 0xFF0000u);
    d.w().action("線の太さを表示")->trigger();
    EXPECT_EQ(d.picture().pixel(beside) & 0xFFFFFF, 0u);

    // Switching the layer off takes its lines off the picture.
    QListWidgetItem* lines = layers->findItems("lines", Qt::MatchExactly).value(0);
    ASSERT_TRUE(lines);
    lines->setCheckState(Qt::Unchecked);
    EXPECT_EQ(d.picture().pixel(onLine) & 0xFFFFFF, 0u);
    lines->setCheckState(Qt::Checked);
    EXPECT_EQ(d.picture().pixel(onLine) & 0xFFFFFF, 0xFF0000u);

    // A layer click redraws only when the layer blinked: a pixel set behind the presenter's back
    // shows whether it did.
    const auto clickLayer = [&](const char* name) {
        QListWidgetItem* item = layers->findItems(name, Qt::MatchExactly).value(0);
        QTest::mouseClick(layers->viewport(), Qt::LeftButton, {},
                          layers->visualItemRect(item).center());
    };
    const QRgb marked = 0xFF123456;
    d.view().picture().setPixel(1, 1, marked);
    clickLayer("lines");
    EXPECT_EQ(d.picture().pixel(1, 1), marked) << "no blink without 点滅表示";
    side->blinkBox()->setChecked(true);
    clickLayer("empty");
    EXPECT_EQ(d.picture().pixel(1, 1), marked) << "a layer without entities does not blink";
    clickLayer("lines");
    EXPECT_EQ(d.picture().pixel(1, 1) & 0xFFFFFF, 0u) << "after the blink, a full redraw";
    EXPECT_EQ(d.picture().pixel(onLine) & 0xFFFFFF, 0xFF0000u);

    // A text of the list centres the view on it and marks the centre.
    QListView* texts = side->textList();
    ASSERT_EQ(side->textItems(), QStringList{"Mark"});
    const double width = d.state().DrawWidth;
    QTest::mouseClick(texts->viewport(), Qt::LeftButton, {},
                      texts->visualRect(texts->model()->index(0, 0)).center());
    EXPECT_DOUBLE_EQ(d.state().ViewCenter.x, 20);
    EXPECT_DOUBLE_EQ(d.state().ViewCenter.y, 60);
    EXPECT_DOUBLE_EQ(d.state().DrawWidth, width);
    // The marker points at the centre from the lower left, inverting the black background.
    const QImage& picture = d.picture();
    const int cx = picture.width() / 2, cy = picture.height() / 2;
    const int h8 = picture.height() / 8;
    int white = 0;
    for (int y = cy; y <= cy + h8; ++y)
        for (int x = cx - h8; x <= cx; ++x)
            if ((picture.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF) ++white;
    EXPECT_GT(white, 2 * h8);
    EXPECT_EQ(picture.pixel(cx - h8 / 4, cy + h8 - 2) & 0xFFFFFF, 0u) << "the marker is hollow";
}

TEST(DetailView, TheViewFollowsTheWindowsSize) {
    MeasureWindow d;
    const ViewState before = d.state();
    d.w().resize(1000, 700);
    ProcessEvents();
    EXPECT_EQ(d.picture().size(), d.view().size());
    EXPECT_GT(LitPixels(d.picture()), 200);
    EXPECT_DOUBLE_EQ(d.state().DrawWidth, before.DrawWidth) << "the same extent, larger";
}

TEST(DetailView, AMalformedFileLeavesABlackPictureAndTheNextFileOpens) {
    DetailWindow d;
    test::TempDir folder;
    folder.write("a_bad.dxf", "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\nnot a number\n");
    folder.write("b_good.dxf", MeasureDrawing());
    d.w().showFolder(Folder(folder));
    ASSERT_EQ(d.harness.dialogs.messages.size(), 1u);
    EXPECT_EQ(d.harness.dialogs.messages[0].text,
              Folder(folder) + "/a_bad.dxf\r 読み込みエラーです");
    EXPECT_EQ(d.harness.dialogs.messages[0].caption, "情報");
    EXPECT_EQ(LitPixels(d.picture()), 0);

    // The half-read drawing is never drawn, whatever the user does to the picture.
    d.wheel(QPoint(100, 100), -120);
    QTest::mouseClick(&d.view(), Qt::LeftButton, {}, QPoint(50, 50));
    d.presenter.clearCrossHair();
    EXPECT_EQ(LitPixels(d.picture()), 0);

    d.chooseRow(1);
    EXPECT_EQ(d.w().currentDrawingLabel()->text(), "b_good.dxf");
    EXPECT_GT(LitPixels(d.picture()), 200);
    EXPECT_EQ(d.harness.dialogs.messages.size(), 1u);
}

TEST(DetailView, ReferencedLayersAreListedAndMissingReferencesNamed) {
    DetailWindow d;
    test::TempDir folder;
    folder.write(
        "part.dxf",
        Dxf({"0",     "SECTION", "2",    "TABLES",   "0",  "TABLE", "2",      "LAYER", "0",
             "LAYER", "2",       "WALL", "62",       "1",  "0",     "ENDTAB", "0",     "ENDSEC",
             "0",     "SECTION", "2",    "ENTITIES", "0",  "LINE",  "8",      "WALL",  "10",
             "0",     "20",      "0",    "11",       "50", "21",    "50",     "0",     "ENDSEC"}));
    folder.write(
        "plan.dxf",
        Dxf({"0", "SECTION",  "2", "BLOCKS", "0", "BLOCK",  "2", "PART",    "70", "4",
             "1", "part.dxf", "0", "ENDBLK", "0", "BLOCK",  "2", "GONE",    "70", "4",
             "1", "gone.dxf", "0", "ENDBLK", "0", "ENDSEC", "0", "SECTION", "2",  "ENTITIES",
             "0", "INSERT",   "2", "PART",   "0", "INSERT", "2", "GONE",    "0",  "ENDSEC"}));
    d.w().showFolder(Folder(folder));
    d.chooseRow(d.w().fileList()->findRow("plan.dxf"));
    EXPECT_TRUE(d.harness.dialogs.messages.empty());
    EXPECT_EQ(d.w().statusText(StatusPanel::Progress), "外部参照が見つかりません: GONE");
    EXPECT_EQ(d.w().sidePanel()->countLabel(0)->text(), "Layer : 2");
    EXPECT_FALSE(
        d.w().sidePanel()->layerList()->findItems("PART|WALL", Qt::MatchExactly).isEmpty());
    EXPECT_GT(LitPixels(d.picture()), 50);
}

TEST(DetailView, AMissingTextFaceIsReportedOnce) {
    test::RecordingDialogs dialogs;
    EXPECT_TRUE(ReportTextFaceProblem(dialogs, "No Such Face Anywhere"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains("No Such Face Anywhere"));
    EXPECT_EQ(dialogs.messages[0].icon, Dialogs::Icon::Warning);
    if (TextFaceProblem().empty()) {
        EXPECT_FALSE(ReportTextFaceProblem(dialogs));
        EXPECT_EQ(dialogs.messages.size(), 1u);
    }
}

TEST(DetailView, ImageExportIsOfferedWhileTheDetailTabShowsADrawing) {
    DetailWindow d;
    QAction* exportAction = d.w().action(QStringLiteral("WMF/EMF・BMP作成"));
    ASSERT_NE(exportAction, nullptr);
    // The menu brings the item up to date as it opens.
    const auto openFileMenu = [&] {
        for (QObject* menu : exportAction->associatedObjects())
            QMetaObject::invokeMethod(menu, "aboutToShow");
    };
    openFileMenu();
    EXPECT_FALSE(exportAction->isEnabled()) << "no drawing yet";
    d.w().showFolder(QString::fromStdString(test::SourcePath("samples").string()));
    d.chooseRow(d.w().fileList()->findRow("floor-plan.dxf"));
    openFileMenu();
    EXPECT_TRUE(exportAction->isEnabled());
    d.w().tabs()->setCurrentIndex(MainWindow::PreviewTab);
    EXPECT_FALSE(exportAction->isEnabled());
    d.w().tabs()->setCurrentIndex(MainWindow::DetailTab);
    EXPECT_TRUE(exportAction->isEnabled());
}

} // namespace
} // namespace orvanta
