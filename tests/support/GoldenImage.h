// Comparing a rendered picture with a stored PNG (a "golden"), with a tolerance for the small
// differences antialiasing brings, and a readable failure.
//
// On a mismatch the failure message gives the largest channel difference, the summed difference
// and the number of pixels beyond the tolerance, and the actual picture and a difference picture
// are written beside each other for a look. Goldens are only ever rewritten on purpose: run the
// tests with ORVANTA_REFRESH_GOLDENS=1, look at the new pictures, and commit them.
#pragma once

#include <QImage>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace orvanta::test {

struct GoldenTolerance {
    // A pixel differs when one of its channels differs by more than this (0..255).
    int channel = 16;
    // How many differing pixels are still a match.
    long long pixels = 0;
};

struct ImageDifference {
    bool sameSize = true;
    int maxChannel = 0;        // largest difference of one channel of one pixel
    long long sumChannels = 0; // summed differences of all channels of all pixels
    long long pixelsBeyond = 0;
};

// Channel-by-channel difference of two pictures of the same size (alpha ignored).
ImageDifference CompareImages(const QImage& actual, const QImage& expected,
                              const GoldenTolerance& tolerance);

// A picture of the differences: the expected picture dimmed, pixels beyond the tolerance red,
// other differing pixels yellow.
QImage DifferenceImage(const QImage& actual, const QImage& expected,
                       const GoldenTolerance& tolerance);

// The stored golden of that name: tests/goldens/NAME.png in the source tree.
std::filesystem::path GoldenPath(const std::string& name);

// Where failed comparisons leave their pictures: golden-failures/ in the build tree.
std::filesystem::path GoldenFailureFolder();

// Whether ORVANTA_REFRESH_GOLDENS=1 asks for the goldens to be rewritten.
bool RefreshGoldensRequested();

// Compares `image` with the PNG at `goldenPath`. With the refresh switch set, the PNG is
// (re)written instead and the comparison passes. A missing golden is a failure that says how to
// create it.
testing::AssertionResult MatchesGolden(const QImage& image, const std::filesystem::path& goldenPath,
                                       const GoldenTolerance& tolerance = {});

} // namespace orvanta::test
