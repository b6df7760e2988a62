#include "support/GoldenImage.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace orvanta::test {
namespace {

// Sets or clears the refresh switch for one test and puts the old value back.
class RefreshSwitch {
  public:
    explicit RefreshSwitch(bool on) {
        if (const char* value = std::getenv("ORVANTA_REFRESH_GOLDENS")) old_ = value;
        if (on)
            setenv("ORVANTA_REFRESH_GOLDENS", "1", 1);
        else
            unsetenv("ORVANTA_REFRESH_GOLDENS");
    }
    ~RefreshSwitch() {
        if (old_)
            setenv("ORVANTA_REFRESH_GOLDENS", old_->c_str(), 1);
        else
            unsetenv("ORVANTA_REFRESH_GOLDENS");
    }

  private:
    std::optional<std::string> old_;
};

QImage Picture() {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(qRgb(10, 20, 30));
    for (int x = 5; x < 35; ++x)
        image.setPixel(x, 15, qRgb(200, 100, 50));
    return image;
}

TEST(GoldenImageTest, SmallDifferencesWithinTheToleranceMatch) {
    RefreshSwitch off(false);
    TempDir dir;
    const auto golden = dir.path() / "g.png";
    ASSERT_TRUE(Picture().save(QString::fromStdString(golden.string()), "PNG"));
    EXPECT_TRUE(MatchesGolden(Picture(), golden));
    QImage slightly = Picture();
    slightly.setPixel(1, 1, qRgb(20, 20, 30)); // 10 below the channel tolerance of 16
    EXPECT_TRUE(MatchesGolden(slightly, golden));
    slightly.setPixel(2, 2, qRgb(110, 20, 30));
    EXPECT_FALSE(MatchesGolden(slightly, golden));
    EXPECT_TRUE(MatchesGolden(slightly, golden, {16, 1}));
}

TEST(GoldenImageTest, AMismatchSaysHowMuchAndLeavesThePicturesBehind) {
    RefreshSwitch off(false);
    TempDir dir;
    const auto golden = dir.path() / "mismatch_case.png";
    ASSERT_TRUE(Picture().save(QString::fromStdString(golden.string()), "PNG"));
    QImage changed = Picture();
    changed.setPixel(3, 3, qRgb(110, 20, 30)); // red channel 100 off
    changed.setPixel(4, 3, qRgb(10, 25, 30));  // 5 off, within tolerance
    const testing::AssertionResult result = MatchesGolden(changed, golden);
    ASSERT_FALSE(result);
    const std::string message = result.message();
    EXPECT_NE(message.find("beyond a channel difference of 16: 1"), std::string::npos) << message;
    EXPECT_NE(message.find("largest channel difference: 100"), std::string::npos) << message;
    EXPECT_NE(message.find("summed channel difference: 105"), std::string::npos) << message;
    const auto diffPath = GoldenFailureFolder() / "mismatch_case.diff.png";
    QImage diff;
    ASSERT_TRUE(diff.load(QString::fromStdString(diffPath.string())));
    EXPECT_EQ(diff.pixel(3, 3), qRgb(255, 0, 0));
    EXPECT_EQ(diff.pixel(4, 3), qRgb(255, 255, 0));
    EXPECT_TRUE(std::filesystem::exists(GoldenFailureFolder() / "mismatch_case.actual.png"));

    QImage larger(41, 30, QImage::Format_RGB32);
    larger.fill(Qt::black);
    const testing::AssertionResult sized = MatchesGolden(larger, golden);
    EXPECT_FALSE(sized);
    EXPECT_NE(std::string(sized.message()).find("size 41x30, golden 40x30"), std::string::npos);
}

TEST(GoldenImageTest, GoldensAreWrittenOnlyOnRequest) {
    TempDir dir;
    const auto golden = dir.path() / "sub" / "new.png";
    {
        RefreshSwitch off(false);
        const testing::AssertionResult missing = MatchesGolden(Picture(), golden);
        EXPECT_FALSE(missing);
        EXPECT_NE(std::string(missing.message()).find("ORVANTA_REFRESH_GOLDENS=1"),
                  std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(golden));
    }
    {
        RefreshSwitch on(true);
        EXPECT_TRUE(MatchesGolden(Picture(), golden));
        EXPECT_TRUE(std::filesystem::exists(golden));
    }
    RefreshSwitch off(false);
    EXPECT_TRUE(MatchesGolden(Picture(), golden));
    QImage other = Picture();
    other.fill(Qt::white);
    EXPECT_FALSE(MatchesGolden(other, golden));
}

} // namespace
} // namespace orvanta::test
