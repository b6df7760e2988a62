#include "support/GoldenImage.h"

#include <QColor>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace orvanta::test {

namespace {

QImage Normalised(const QImage& image) {
    return image.convertToFormat(QImage::Format_RGB32);
}

int ChannelDifference(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

std::string PathText(const std::filesystem::path& path) {
    return path.string();
}

} // namespace

ImageDifference CompareImages(const QImage& actual, const QImage& expected,
                              const GoldenTolerance& tolerance) {
    ImageDifference difference;
    if (actual.size() != expected.size()) {
        difference.sameSize = false;
        return difference;
    }
    const QImage a = Normalised(actual);
    const QImage e = Normalised(expected);
    for (int y = 0; y < a.height(); ++y) {
        const auto* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rowE = reinterpret_cast<const QRgb*>(e.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const QRgb pa = rowA[x];
            const QRgb pe = rowE[x];
            if (pa == pe) continue;
            difference.sumChannels += std::abs(qRed(pa) - qRed(pe)) +
                                      std::abs(qGreen(pa) - qGreen(pe)) +
                                      std::abs(qBlue(pa) - qBlue(pe));
            const int channel = ChannelDifference(pa, pe);
            difference.maxChannel = std::max(difference.maxChannel, channel);
            if (channel > tolerance.channel) ++difference.pixelsBeyond;
        }
    }
    return difference;
}

QImage DifferenceImage(const QImage& actual, const QImage& expected,
                       const GoldenTolerance& tolerance) {
    const QImage a = Normalised(actual);
    const QImage e = Normalised(expected);
    const int w = std::max(a.width(), e.width());
    const int h = std::max(a.height(), e.height());
    QImage diff(w, h, QImage::Format_RGB32);
    diff.fill(qRgb(0, 0, 128)); // where only one of the pictures has pixels
    for (int y = 0; y < std::min(a.height(), e.height()); ++y) {
        for (int x = 0; x < std::min(a.width(), e.width()); ++x) {
            const QRgb pa = a.pixel(x, y);
            const QRgb pe = e.pixel(x, y);
            const int channel = ChannelDifference(pa, pe);
            if (channel > tolerance.channel) {
                diff.setPixel(x, y, qRgb(255, 0, 0));
            } else if (channel > 0) {
                diff.setPixel(x, y, qRgb(255, 255, 0));
            } else {
                const int grey = 64 + qGray(pe) / 4;
                diff.setPixel(x, y, qRgb(grey, grey, grey));
            }
        }
    }
    return diff;
}

std::filesystem::path GoldenPath(const std::string& name) {
    return std::filesystem::path(ORVANTA_SOURCE_DIR) / "tests" / "goldens" / (name + ".png");
}

std::filesystem::path GoldenFailureFolder() {
    return std::filesystem::path(ORVANTA_BINARY_DIR) / "golden-failures";
}

bool RefreshGoldensRequested() {
    const char* value = std::getenv("ORVANTA_REFRESH_GOLDENS");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

testing::AssertionResult MatchesGolden(const QImage& image, const std::filesystem::path& goldenPath,
                                       const GoldenTolerance& tolerance) {
    const QString goldenFile = QString::fromStdString(PathText(goldenPath));
    if (RefreshGoldensRequested()) {
        std::filesystem::create_directories(goldenPath.parent_path());
        if (!Normalised(image).save(goldenFile, "PNG"))
            return testing::AssertionFailure() << "could not write the golden " << goldenPath;
        return testing::AssertionSuccess() << "golden rewritten: " << goldenPath;
    }

    QImage expected;
    if (!std::filesystem::exists(goldenPath) || !expected.load(goldenFile, "PNG")) {
        return testing::AssertionFailure()
               << "no golden at " << goldenPath
               << "; run the test with ORVANTA_REFRESH_GOLDENS=1 to create it, then look at it";
    }

    const ImageDifference difference = CompareImages(image, expected, tolerance);
    if (difference.sameSize && difference.pixelsBeyond <= tolerance.pixels)
        return testing::AssertionSuccess();

    const std::filesystem::path folder = GoldenFailureFolder();
    std::filesystem::create_directories(folder);
    const std::string stem = goldenPath.stem().string();
    const std::filesystem::path actualPath = folder / (stem + ".actual.png");
    const std::filesystem::path diffPath = folder / (stem + ".diff.png");
    Normalised(image).save(QString::fromStdString(PathText(actualPath)), "PNG");
    DifferenceImage(image, expected, tolerance)
        .save(QString::fromStdString(PathText(diffPath)), "PNG");

    testing::AssertionResult failure = testing::AssertionFailure();
    failure << "picture differs from the golden " << goldenPath << "\n";
    if (!difference.sameSize) {
        failure << "  size " << image.width() << "x" << image.height() << ", golden "
                << expected.width() << "x" << expected.height() << "\n";
    } else {
        failure << "  pixels beyond a channel difference of " << tolerance.channel << ": "
                << difference.pixelsBeyond << " (allowed " << tolerance.pixels << ")\n"
                << "  largest channel difference: " << difference.maxChannel << "\n"
                << "  summed channel difference: " << difference.sumChannels << "\n";
    }
    failure << "  actual: " << actualPath << "\n  difference: " << diffPath << "\n"
            << "  if the change is intended, rerun with ORVANTA_REFRESH_GOLDENS=1 and commit the "
               "new golden";
    return failure;
}

} // namespace orvanta::test
