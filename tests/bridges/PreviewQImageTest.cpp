// The preview pictures of the public DWG samples as the window receives them.
#include "bridges/qt/PreviewQImage.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace orvanta {
namespace {

TEST(PreviewQImage, SamplePicturesKeepEveryPixel) {
    const auto samples = test::SharedSamples();
    if (samples.empty()) GTEST_SKIP() << "no shared samples folder";
    EXPECT_TRUE(ToQImage({}).isNull());
    const auto out = std::filesystem::temp_directory_path() / "orvanta-dwg-previews-qt";
    std::filesystem::create_directories(out);
    // A BMP picture of 8 bits, one of 24 bits and a PNG picture.
    for (const char* name : {"DomCR+ACadSharp/samples/sample_AC1015.dwg",
                             "mozman+ezdxf/tests/test_08_addons/807_1.dwg",
                             "DomCR+ACadSharp/samples/sample_AC1032.dwg"}) {
        const auto path = samples / name;
        const DwgPreview preview = ReadDwgPreview(path.string());
        ASSERT_EQ(preview.status, DwgPreview::Status::Picture) << name << ": " << preview.error;
        const QImage image = ToQImage(preview.image);
        ASSERT_EQ(image.size(), QSize(preview.image.width, preview.image.height));
        for (int y = 0; y < image.height(); y += 7)
            for (int x = 0; x < image.width(); x += 5)
                ASSERT_EQ(image.pixel(x, y),
                          preview.image.pixels[static_cast<std::size_t>(y) * image.width() + x])
                    << name << " at " << x << "," << y;
        image.save(QString::fromStdString((out / (path.stem().string() + ".png")).string()));
    }
}

} // namespace
} // namespace orvanta
