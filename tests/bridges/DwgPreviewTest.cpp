// The preview picture of DWG files: small DWG-like files made here for the BMP and PNG paths and
// the damaged cases, and the DWG files of the public samples.
#include "bridges/DwgPreview.h"
#include "fuzz/ReadDwgPreviewHarness.h"
#include "support/TestFiles.h"

#include <png.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

namespace orvanta {
namespace {

using Status = DwgPreview::Status;

void Put32(std::string& s, std::size_t at, std::uint32_t v) {
    if (s.size() < at + 4) s.resize(at + 4, '\0');
    for (int i = 0; i < 4; ++i)
        s[at + i] = static_cast<char>(v >> (8 * i));
}
void Append32(std::string& s, std::uint32_t v) {
    Put32(s, s.size(), v);
}
void Append16(std::string& s, std::uint16_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}

// A file with the signature, the preview address at 13 and a preview section whose second entry
// names `picture` by kind, start and size. `start` and `size` default to where the picture is.
std::string DwgLike(const std::string& signature, int kind, const std::string& picture,
                    std::optional<std::uint32_t> start = {},
                    std::optional<std::uint32_t> size = {}) {
    std::string s = signature;
    s.resize(0x20, '\0');
    const std::uint32_t address = 0x20;
    Put32(s, 13, address);
    s.resize(address + 20, '\0');
    s += '\x02';                    // entry count
    s += '\x01';                    // first entry: header data, not read
    Append32(s, 0), Append32(s, 0); //
    s += static_cast<char>(kind);   // second entry
    const std::uint32_t at = static_cast<std::uint32_t>(s.size() + 8);
    Append32(s, start.value_or(at));
    Append32(s, size.value_or(static_cast<std::uint32_t>(picture.size())));
    return s + picture;
}

// A device-independent bitmap of `width` × `height` with the given palette and rows (top row
// first); rows are padded here. Negative `height` stores them top-down.
std::string Dib(int width, int height, int bits, const std::vector<std::uint32_t>& palette,
                const std::vector<std::string>& rowsTopFirst, std::uint32_t coloursUsed) {
    std::string s;
    Append32(s, 40), Append32(s, width), Append32(s, static_cast<std::uint32_t>(height));
    Append16(s, 1), Append16(s, static_cast<std::uint16_t>(bits));
    Append32(s, 0), Append32(s, 0), Append32(s, 0), Append32(s, 0);
    Append32(s, coloursUsed), Append32(s, 0);
    for (std::uint32_t c : palette)
        Append32(s, c);
    const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
    std::vector<std::string> rows = rowsTopFirst;
    if (height > 0) std::reverse(rows.begin(), rows.end());
    for (std::string row : rows) {
        row.resize(stride, '\0');
        s += row;
    }
    return s;
}

std::string Png(int width, int height, const std::vector<std::uint32_t>& argb) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = width;
    png.height = height;
    png.format = PNG_FORMAT_BGRA;
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_to_memory(&png, nullptr, &size, 0, argb.data(), 0, nullptr));
    std::string bytes(size, '\0');
    EXPECT_TRUE(png_image_write_to_memory(&png, bytes.data(), &size, 0, argb.data(), 0, nullptr));
    bytes.resize(size);
    return bytes;
}

void WritePng(const PreviewImage& image, const std::filesystem::path& path) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = image.width;
    png.height = image.height;
    png.format = PNG_FORMAT_BGRA;
    EXPECT_TRUE(png_image_write_to_file(&png, path.c_str(), 0, image.pixels.data(), 0, nullptr));
}

struct DwgPreviewFiles : ::testing::Test {
    test::TempDir dir;
    DwgPreview read(const std::string& bytes) {
        return ReadDwgPreview(dir.write("drawing.dwg", bytes));
    }
};

constexpr std::uint32_t Red = 0xFFFF0000, Green = 0xFF00FF00, Blue = 0xFF0000FF, White = 0xFFFFFFFF,
                        Black = 0xFF000000;

TEST_F(DwgPreviewFiles, BmpPicturesOfEveryDepthAndRowOrder) {
    // 3 × 2 pictures; top row red green blue, bottom row white black red.
    const std::vector<std::uint32_t> expected = {Red, Green, Blue, White, Black, Red};
    const std::vector<std::uint32_t> palette = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF,
                                                0x00000000};
    struct Case {
        int bits;
        std::vector<std::string> rows;
        std::vector<std::uint32_t> palette;
        std::uint32_t coloursUsed;
    };
    const std::vector<Case> cases = {
        // Eight bits with a five-colour palette: the pixels follow those five entries, not a
        // palette of 256.
        {8, {std::string("\x00\x01\x02", 3), std::string("\x03\x04\x00", 3)}, palette, 5},
        {4, {"\x01\x20", std::string("\x34\x00", 2)}, palette, 0},
        {24,
         {std::string("\x00\x00\xff\x00\xff\x00\xff\x00\x00", 9),
          std::string("\xff\xff\xff\x00\x00\x00\x00\x00\xff", 9)},
         {},
         0},
        {32,
         {std::string("\x00\x00\xff\x00\x00\xff\x00\x00\xff\x00\x00\x00", 12),
          std::string("\xff\xff\xff\x00\x00\x00\x00\x00\x00\x00\xff\x00", 12)},
         {},
         0},
    };
    for (const Case& c : cases) {
        std::vector<std::uint32_t> pal = c.palette;
        if (c.bits == 4) pal.resize(16, 0);
        for (const bool topDown : {false, true}) {
            SCOPED_TRACE(std::to_string(c.bits) + (topDown ? " bits top-down" : " bits"));
            const auto result = read(
                DwgLike("AC1015", 2, Dib(3, topDown ? -2 : 2, c.bits, pal, c.rows, c.coloursUsed)));
            ASSERT_EQ(result.status, Status::Picture) << result.error;
            EXPECT_EQ(result.image.width, 3);
            EXPECT_EQ(result.image.height, 2);
            EXPECT_EQ(result.image.pixels, expected);
        }
    }
    // One bit: a 9-pixel row crosses a byte.
    const auto mono = read(DwgLike(
        "AC1014", 2, Dib(9, 1, 1, {0x00000000, 0x00FFFFFF}, {std::string("\xA0\x80", 2)}, 0)));
    ASSERT_EQ(mono.status, Status::Picture) << mono.error;
    EXPECT_EQ(mono.image.pixels, (std::vector<std::uint32_t>{White, Black, White, Black, Black,
                                                             Black, Black, Black, White}));
}

TEST_F(DwgPreviewFiles, PngPicture) {
    const std::vector<std::uint32_t> pixels = {Red, Green, Blue, 0x80102030};
    const auto result = read(DwgLike("AC1027", 6, Png(2, 2, pixels)));
    ASSERT_EQ(result.status, Status::Picture) << result.error;
    EXPECT_EQ(result.image.width, 2);
    EXPECT_EQ(result.image.pixels, pixels);
}

TEST_F(DwgPreviewFiles, FilesWithoutAPictureSucceedEmpty) {
    const std::string bmp = Dib(1, 1, 24, {}, {"\0\0\0"}, 0);
    std::string headerOnly = DwgLike("AC1015", 2, bmp);
    headerOnly[0x20 + 20] = 1;
    for (const std::string& bytes :
         {headerOnly, DwgLike("AC1012", 2, bmp), DwgLike("AC1009", 2, bmp),
          DwgLike("AC1015", 3, bmp), std::string("  0\nSECTION\n  2\nHEADER\n"), std::string("AC"),
          std::string(), std::string("AC10x5 text given a drawing's name")}) {
        const auto result = read(bytes);
        EXPECT_EQ(result.status, Status::NoPicture) << result.error;
        EXPECT_TRUE(result.image.empty());
    }
}

TEST_F(DwgPreviewFiles, DamagedFilesFailWithAReason) {
    const std::string bmp = Dib(2, 2, 24, {}, {"", ""}, 0);
    struct Case {
        std::string bytes;
        std::string reason;
    };
    std::string farAddress = DwgLike("AC1018", 2, bmp);
    Put32(farAddress, 13, 0xFFFFFFF0u);
    const std::vector<Case> cases = {
        {std::string("AC1015\0\0\0\0\0\0\0", 13), "the header at 13"},
        {farAddress, "the preview section at 4294967300"},
        {DwgLike("AC1015", 2, bmp, 100000), "the preview picture at 100000"},
        {DwgLike("AC1015", 2, bmp, {}, 1u << 20), "lies outside the file"},
        {DwgLike("AC1015", 2, bmp, {}, 0), "empty"},
        {DwgLike("AC1015", 2, bmp.substr(0, 30)), "shorter than its 40-byte header"},
        {DwgLike("AC1015", 2, bmp, {}, static_cast<std::uint32_t>(bmp.size() - 1)), "cut short"},
        {DwgLike("AC1015", 2, Dib(100000, 100000, 24, {}, {}, 0)), "is not a preview's"},
        {DwgLike("AC1015", 2, Dib(2, 2, 16, {}, {"", ""}, 0)), "16 bits are not supported"},
        {DwgLike("AC1015", 2, Dib(2, 2, 8, std::vector<std::uint32_t>(300), {"", ""}, 300)),
         "too long for 8 bits"},
        {DwgLike("AC1027", 6, "\x89PNG\r\n\x1a\nnot really"), "PNG picture cannot be read"},
    };
    for (const Case& c : cases) {
        const auto result = read(c.bytes);
        EXPECT_EQ(result.status, Status::Failed) << c.reason;
        EXPECT_NE(result.error.find(c.reason), std::string::npos) << result.error;
        EXPECT_TRUE(result.image.empty());
    }
    // A PNG whose data stops halfway.
    std::string png = Png(40, 40, std::vector<std::uint32_t>(1600, Red));
    const auto cut = read(DwgLike("AC1032", 6, png.substr(0, png.size() / 2)));
    EXPECT_EQ(cut.status, Status::Failed);
    EXPECT_NE(cut.error.find("PNG"), std::string::npos) << cut.error;

    EXPECT_EQ(ReadDwgPreview((dir.path() / "missing.dwg").string()).status, Status::Failed);
    EXPECT_EQ(ReadDwgPreview(dir.path().string()).error, "not a regular file");
}

// The DWG files of the public samples give their pictures (R14 to 2018, BMP and PNG); the DXF
// files give none and do not fail. The pictures go to orvanta-dwg-previews in the temporary
// folder for a person to look at.
TEST(DwgPreviewSamples, EveryDwgGivesItsPicture) {
    const auto samples = test::SharedSamples();
    if (samples.empty()) GTEST_SKIP() << "no shared samples folder";
    const auto out = std::filesystem::temp_directory_path() / "orvanta-dwg-previews";
    std::filesystem::create_directories(out);
    int dwg = 0, pictures = 0, other = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(samples)) {
        if (!entry.is_regular_file()) continue;
        const auto ext = entry.path().extension().string();
        const auto result = ReadDwgPreview(entry.path().string());
        if (ext == ".dwg") {
            ++dwg;
            EXPECT_NE(result.status, Status::Failed) << entry.path() << ": " << result.error;
            if (result.status != Status::Picture) continue;
            ++pictures;
            EXPECT_GE(result.image.width, 32) << entry.path();
            EXPECT_GE(result.image.height, 32) << entry.path();
            WritePng(result.image, out / (entry.path().stem().string() + ".png"));
        } else if (ext == ".dxf") {
            ++other;
            EXPECT_EQ(result.status, Status::NoPicture) << entry.path() << ": " << result.error;
        }
    }
    // One of them was saved without a preview: its section lists the header data alone.
    EXPECT_GE(dwg, 27);
    EXPECT_EQ(pictures, dwg - 1);
    for (const char* release :
         {"AC1014", "AC1015", "AC1018", "AC1021", "AC1024", "AC1027", "AC1032"})
        EXPECT_TRUE(std::filesystem::exists(out / (std::string("sample_") + release + ".png")))
            << release;
    EXPECT_GT(other, 100);
}

TEST(FuzzCorpus, EveryDwgPreviewInputReadsWithoutCrashing) {
    EXPECT_GE(test::ReplayFuzzCorpus("read_dwg_preview", ReadDwgPreviewHarness), 4);
}

} // namespace
} // namespace orvanta
