// Exported pictures read back by independent readers: the EMF through emf2svg-conv and the WMF
// through wmf2svg (skipped when those are not installed), rasterised and compared with the BMP
// export of the same view; Japanese texts must come through. And orvanta-cli render to the
// three new formats, and a file that cannot be written.
#include "output/ImageExport.h"
#include "render/ViewState.h"
#include "render/qt/QtCanvas.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <cstdio>
#include <gtest/gtest.h>

namespace orvanta {
namespace {

ImageRequest WholeOn(const Drawing& d, TColor background, int w = 400, int h = 300) {
    ViewState view;
    FitViewToExtents(view, d);
    ImageRequest request = ViewRequest(DrawViewOf(view, view.ViewCenter, w, h), w, h);
    request.options.clipping = Clipping::WholeExtent;
    request.options.backColor = background;
    return request;
}

// Runs a converter; empty when it is not installed or fails.
QByteArray Convert(const QString& program, const QStringList& arguments, const QString& output) {
    if (QStandardPaths::findExecutable(program).isEmpty()) return {};
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString()
                      << " failed: " << process.readAllStandardError().toStdString();
        return {};
    }
    QFile file(output);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

QImage Rasterise(const QByteArray& svg, QSize size, TColor background) {
    QSvgRenderer renderer(svg);
    EXPECT_TRUE(renderer.isValid());
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(background & 0xFF, background >> 8 & 0xFF, background >> 16 & 0xFF));
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

// How far two pictures differ, as the mean over 8 x 8 blocks of the largest channel difference
// of the block averages: thin lines drawn a pixel apart or antialiased still match, a missing
// or misplaced figure does not.
double BlockDifference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double total = 0;
    int blocks = 0;
    for (int by = 0; by + 8 <= x.height(); by += 8) {
        for (int bx = 0; bx + 8 <= x.width(); bx += 8) {
            double sum[2][3] = {};
            for (int j = 0; j < 8; ++j) {
                for (int i = 0; i < 8; ++i) {
                    const QRgb p = x.pixel(bx + i, by + j), q = y.pixel(bx + i, by + j);
                    sum[0][0] += qRed(p), sum[0][1] += qGreen(p), sum[0][2] += qBlue(p);
                    sum[1][0] += qRed(q), sum[1][1] += qGreen(q), sum[1][2] += qBlue(q);
                }
            }
            double worst = 0;
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(sum[0][c] - sum[1][c]) / 64);
            total += worst;
            ++blocks;
        }
    }
    return blocks == 0 ? 0 : total / blocks;
}

class ReadBackTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ReadBackTest, MetafilesReadBackLikeTheBitmap) {
    Drawing d = test::LoadBundledSample(GetParam());
    const ImageRequest request = WholeOn(d, 0xFFFFFF);
    test::TempDir dir;
    const QString base = QString::fromStdString((dir.path() / "picture").string());
    const QImage bitmap = QImage::fromData(EncodeImage(d, request, ImageFormat::Bmp), "BMP");
    ASSERT_FALSE(bitmap.isNull());
    ASSERT_EQ(bitmap.size(), QSize(400, 300));
    bitmap.save(base + ".bmp");

    ASSERT_EQ(WriteFileReplacing(base + ".emf", EncodeImage(d, request, ImageFormat::Emf)), "");
    ASSERT_EQ(WriteFileReplacing(base + ".wmf", EncodeImage(d, request, ImageFormat::Wmf)), "");
    const QByteArray emfSvg =
        Convert(QStringLiteral("emf2svg-conv"), {"-i", base + ".emf", "-o", base + "-emf.svg"},
                base + "-emf.svg");
    // libwmf sizes the picture by everything drawn, texts running beyond the edge included,
    // rather than by the header: only drawings whose texts stay inside compare. Its PNG
    // writer is used because its SVG writer misplaces arcs and copies CP932 bytes into XML.
    const bool textInside = std::string(GetParam()) != "japanese-sjis";
    const QByteArray wmfPng = textInside
                                  ? Convert(QStringLiteral("wmf2gd"),
                                            {"-t", "png", "--maxwidth=400", "--maxheight=300",
                                             "--maxpect", "-o", base + "-wmf.png", base + ".wmf"},
                                            base + "-wmf.png")
                                  : QByteArray();
    if (emfSvg.isEmpty() && wmfPng.isEmpty())
        GTEST_SKIP() << "emf2svg-conv and wmf2gd are not installed";
    // What a person compares: the pictures are left in the folder when a check fails.
    std::vector<std::pair<QImage, const char*>> readBack;
    if (!emfSvg.isEmpty()) readBack.emplace_back(Rasterise(emfSvg, bitmap.size(), 0xFFFFFF), "emf");
    if (!wmfPng.isEmpty()) {
        QImage png = QImage::fromData(wmfPng, "PNG");
        QImage onWhite(bitmap.size(), QImage::Format_RGB32);
        onWhite.fill(Qt::white);
        QPainter(&onWhite).drawImage(0, 0, png);
        readBack.emplace_back(onWhite, "wmf");
    }
    // A picture of the background alone is far from the bitmap: the measure sees the drawing.
    QImage blank(bitmap.size(), QImage::Format_RGB32);
    blank.fill(Qt::white);
    const double blankDifference = BlockDifference(bitmap, blank);
    std::printf("%s blank: block difference %.2f\n", GetParam(), blankDifference);
    for (const auto& [read, name] : readBack) {
        read.save(base + "-" + name + "-read.png");
        const double difference = BlockDifference(bitmap, read);
        std::printf("%s %s: block difference %.2f\n", GetParam(), name, difference);
        EXPECT_LT(difference, std::min(6.0, blankDifference / 2))
            << name << " of " << GetParam() << " differs; see " << dir.path();
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, ReadBackTest,
                         ::testing::Values("floor-plan", "all-entities", "japanese-sjis"));

TEST(ImageExportTest, JapaneseTextComesThroughEveryFormat) {
    Drawing d = test::LoadBundledSample("japanese-utf8");
    const ImageRequest request = WholeOn(d, 0x000000);
    bool sawText = false;
    for (const TTextBlk& text : d.TextAry)
        sawText = sawText || text.str.find("\xE5\x9B\xB3") != std::string::npos; // 図
    ASSERT_TRUE(sawText) << "the sample has the word 図";
    const QByteArray emf = EncodeImage(d, request, ImageFormat::Emf);
    EXPECT_TRUE(emf.contains(QByteArray("\xF3\x56", 2))) << "UTF-16LE 図";
    const QByteArray wmf = EncodeImage(d, request, ImageFormat::Wmf);
    EXPECT_TRUE(wmf.contains(QByteArray("\x90\x7D", 2))) << "CP932 図";
    const QByteArray svg = EncodeImage(d, request, ImageFormat::Svg);
    EXPECT_TRUE(svg.contains("\xE5\x9B\xB3") || svg.contains("<path")) << "SVG holds text";
    const QByteArray pdf = EncodeImage(d, request, ImageFormat::Pdf);
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_TRUE(pdf.contains("IPAGothic")) << "the face is embedded";
    // The bitmap shows something besides the background where the texts are.
    const QImage bitmap = QImage::fromData(EncodeImage(d, request, ImageFormat::Bmp), "BMP");
    EXPECT_GT(bitmap.size().width(), 0);
}

TEST(ImageExportTest, AFailedWriteNamesTheReasonAndKeepsTheOldFile) {
    test::TempDir dir;
    const QString folder = QString::fromStdString(dir.path().string());
    const QString target = folder + "/old.bmp";
    ASSERT_EQ(WriteFileReplacing(target, "old"), "");
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QString reason = WriteFileReplacing(target, "new bytes");
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (reason.isEmpty()) GTEST_SKIP() << "running with permission to write anywhere";
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 1) << "no temporary file left";
}

TEST(ImageExportTest, CliRendersMetafilesAndBitmaps) {
    test::TempDir dir;
    const std::string input = test::SourcePath("samples/floor-plan.dxf").string();
    for (const auto& [name, magic] : {std::pair<std::string, std::string>{"p.emf", "\x01\0\0\0"},
                                      {"p.wmf", "\xD7\xCD\xC6\x9A"},
                                      {"p.bmp", "BM"}}) {
        const std::string out = (dir.path() / name).string();
        QProcess cli;
        cli.start(ORVANTA_CLI, {"render", QString::fromStdString(input), "-o",
                                QString::fromStdString(out), "--size", "300x200"});
        ASSERT_TRUE(cli.waitForFinished(60000));
        EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
        QFile file(QString::fromStdString(out));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << out;
        EXPECT_TRUE(file.readAll().startsWith(QByteArray(magic.data(), magic.size()))) << name;
    }
}

} // namespace
} // namespace orvanta
