#include "bridges/DwgPreview.h"

#include <png.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <optional>

namespace orvanta {

namespace {

// Layout of the DWG file header and of the preview section, in bytes from their starts. The
// preview section lists its entries after a 16-byte sentinel and a 4-byte size: a count at +20,
// then 9-byte entries (kind, start, size). The first entry is the header data; the second is the
// picture.
constexpr std::uint64_t VersionDigitsAt = 2;
constexpr std::uint64_t PreviewAddressAt = 13;
constexpr std::uint64_t EntryCountAt = 20;
constexpr std::uint64_t SecondEntryAt = 30;
constexpr std::uint64_t EntrySize = 9;
constexpr int BmpKind = 2;
constexpr int PngKind = 6;
// Releases up to 13 ("AC1012") carry no preview picture.
constexpr int LastReleaseWithoutPreview = 1012;

// A preview is a thumbnail of a few hundred pixels; anything far beyond is damage, and refusing
// it keeps the memory a hostile file can claim small.
constexpr std::int64_t MaxSide = 4096;
constexpr std::int64_t MaxPixels = 4ll << 20;
// The largest picture uncompressed: 32-bit pixels after a header with masks and a palette.
constexpr std::uint32_t MaxPictureBytes = MaxPixels * 4 + 124 + 256 * 4;

struct Failure {
    std::string why;
};

std::uint32_t U32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
std::int32_t I32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(U32(p));
}
std::uint16_t U16(const std::uint8_t* p) {
    return std::uint16_t(p[0] | p[1] << 8);
}

// A read-only file that is read at offsets, every read checked against the length.
class ByteFile {
  public:
    explicit ByteFile(const std::string& path) {
        // Non-blocking so that a named pipe given a drawing's name cannot hang the open.
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd_ < 0) throw Failure{std::string("cannot open the file: ") + std::strerror(errno)};
        struct stat st {};
        if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd_);
            throw Failure{"not a regular file"};
        }
        length_ = static_cast<std::uint64_t>(st.st_size);
    }
    ~ByteFile() { ::close(fd_); }
    ByteFile(const ByteFile&) = delete;
    ByteFile& operator=(const ByteFile&) = delete;

    std::uint64_t length() const { return length_; }
    bool holds(std::uint64_t offset, std::uint64_t size) const {
        return offset <= length_ && size <= length_ - offset;
    }

    // `size` bytes at `offset`; `what` names the field in the message when they lie outside.
    std::vector<std::uint8_t> read(std::uint64_t offset, std::uint64_t size,
                                   const char* what) const {
        if (!holds(offset, size))
            throw Failure{std::string(what) + " at " + std::to_string(offset) + " (" +
                          std::to_string(size) + " bytes) lies outside the file of " +
                          std::to_string(length_) + " bytes"};
        std::vector<std::uint8_t> bytes(size);
        std::uint64_t done = 0;
        while (done < size) {
            const ssize_t n =
                ::pread(fd_, bytes.data() + done, size - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0)
                throw Failure{std::string("cannot read ") + what + ": " +
                              (n < 0 ? std::strerror(errno) : "the file got shorter")};
            done += static_cast<std::uint64_t>(n);
        }
        return bytes;
    }

  private:
    int fd_ = -1;
    std::uint64_t length_ = 0;
};

// The release number of the signature "ACnnnn", or nothing when the file does not begin so.
std::optional<int> ReleaseNumber(const ByteFile& file) {
    if (!file.holds(0, 6)) return std::nullopt;
    const auto signature = file.read(0, 6, "the signature");
    if (signature[0] != 'A' || signature[1] != 'C') return std::nullopt;
    int number = 0;
    for (std::uint64_t i = VersionDigitsAt; i < 6; ++i) {
        if (signature[i] < '0' || signature[i] > '9') return std::nullopt;
        number = number * 10 + (signature[i] - '0');
    }
    return number;
}

void CheckSize(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide ||
        width * height > MaxPixels)
        throw Failure{"the picture size " + std::to_string(width) + " x " + std::to_string(height) +
                      " is not a preview's"};
}

// The position of the lowest set bit of a colour mask and the mask's width, so that a channel
// stored under the mask can be scaled to eight bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    explicit Channel(std::uint32_t m) : mask(m) {
        if (!m) return;
        while (!(m & 1))
            m >>= 1, ++shift;
        while (m & 1)
            m >>= 1, ++bits;
    }
    std::uint32_t value(std::uint32_t pixel) const {
        if (!bits) return 0;
        const std::uint32_t v = (pixel & mask) >> shift;
        if (bits >= 8) return v >> (bits - 8);
        return v * 255 / ((1u << bits) - 1);
    }
};

// Decodes a device-independent bitmap: an information header of at least 40 bytes, the colour
// masks (32-bit pictures stored with bit fields), the palette and the rows. The pixels start
// after the palette, whose length follows from the bit count and the colours-used field; they
// do not sit at a fixed place.
PreviewImage DecodeDib(const std::vector<std::uint8_t>& dib) {
    if (dib.size() < 40) throw Failure{"the BMP picture is shorter than its 40-byte header"};
    const std::uint8_t* d = dib.data();
    const std::uint32_t headerSize = U32(d);
    const std::int64_t width = I32(d + 4);
    const std::int64_t rawHeight = I32(d + 8);
    const int bitCount = U16(d + 14);
    const std::uint32_t compression = U32(d + 16);
    const std::uint32_t coloursUsed = U32(d + 32);
    if (headerSize < 40 || headerSize > dib.size())
        throw Failure{"the BMP header size " + std::to_string(headerSize) + " is not valid"};
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
        throw Failure{"BMP pictures of " + std::to_string(bitCount) + " bits are not supported"};
    const bool bitFields = compression == 3 && bitCount == 32;
    if (compression != 0 && !bitFields)
        throw Failure{"compressed BMP pictures (compression " + std::to_string(compression) +
                      ") are not supported"};
    // Rows are stored from the bottom up unless the height is negative.
    const bool topDown = rawHeight < 0;
    const std::int64_t height = topDown ? -rawHeight : rawHeight;
    CheckSize(width, height);

    std::uint64_t at = headerSize;
    Channel red(0x00FF0000), green(0x0000FF00), blue(0x000000FF);
    if (bitFields) {
        // A 40-byte header is followed by the three masks; larger headers hold them inside.
        if (headerSize == 40) {
            if (dib.size() < 52) throw Failure{"the BMP colour masks are missing"};
            at += 12;
        } else if (headerSize < 52) {
            throw Failure{"the BMP header of " + std::to_string(headerSize) +
                          " bytes cannot hold the colour masks"};
        }
        red = Channel(U32(d + 40));
        green = Channel(U32(d + 44));
        blue = Channel(U32(d + 48));
    }
    const std::uint64_t paletteLimit = bitCount <= 8 ? (1u << bitCount) : 0;
    const std::uint64_t paletteEntries =
        coloursUsed ? coloursUsed : paletteLimit; // for 24 and 32 bits an optional table
    std::vector<std::uint32_t> palette;
    if (bitCount <= 8) {
        if (paletteEntries > paletteLimit)
            throw Failure{"the BMP palette of " + std::to_string(paletteEntries) +
                          " colours is too long for " + std::to_string(bitCount) + " bits"};
        if (at + paletteEntries * 4 > dib.size()) throw Failure{"the BMP palette is cut short"};
        // Indexes beyond a short palette show black, as the palette's missing entries would.
        palette.assign(paletteLimit, 0xFF000000u);
        for (std::uint64_t i = 0; i < paletteEntries; ++i)
            palette[i] = 0xFF000000u | (U32(d + at + 4 * i) & 0x00FFFFFFu);
    }
    at += paletteEntries * 4;

    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4;
    if (at > dib.size() || stride * static_cast<std::uint64_t>(height) > dib.size() - at)
        throw Failure{"the BMP pixels are cut short: " + std::to_string(width) + " x " +
                      std::to_string(height) + " at " + std::to_string(bitCount) +
                      " bits need more than the " + std::to_string(dib.size()) + " bytes given"};

    PreviewImage image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.pixels.resize(static_cast<std::size_t>(width * height));
    for (std::int64_t y = 0; y < height; ++y) {
        const std::uint8_t* row = d + at + stride * static_cast<std::uint64_t>(y);
        std::uint32_t* out = image.pixels.data() + (topDown ? y : height - 1 - y) * width;
        for (std::int64_t x = 0; x < width; ++x) {
            switch (bitCount) {
            case 1:
                out[x] = palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
                break;
            case 4:
                out[x] = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
                break;
            case 8:
                out[x] = palette[row[x]];
                break;
            case 24: {
                const std::uint8_t* p = row + 3 * x;
                out[x] = 0xFF000000u | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
                break;
            }
            default: {
                // The fourth byte of a 32-bit pixel is unused in a bitmap of this kind.
                const std::uint32_t p = U32(row + 4 * x);
                out[x] = 0xFF000000u | red.value(p) << 16 | green.value(p) << 8 | blue.value(p);
                break;
            }
            }
        }
    }
    return image;
}

PreviewImage DecodePng(const std::vector<std::uint8_t>& bytes) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()))
        throw Failure{std::string("the PNG picture cannot be read: ") + png.message};
    try {
        CheckSize(png.width, png.height);
    } catch (...) {
        png_image_free(&png);
        throw;
    }
    // BGRA bytes are 0xAARRGGBB pixels on a little-endian machine.
    static_assert(std::endian::native == std::endian::little);
    png.format = PNG_FORMAT_BGRA;
    PreviewImage image;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.pixels.resize(static_cast<std::size_t>(png.width) * png.height);
    if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr))
        throw Failure{std::string("the PNG picture cannot be decoded: ") + png.message};
    return image;
}

} // namespace

std::string DwgPreview::reason(Language language) const {
    if (language == Language::Japanese) return "DWG のプレビュー画像を読めません（" + error + "）";
    return error;
}

DwgPreview ReadDwgPreview(const std::string& path) {
    DwgPreview result;
    try {
        const ByteFile file(path);
        const auto release = ReleaseNumber(file);
        if (!release || *release <= LastReleaseWithoutPreview) return result;

        const std::uint32_t address = U32(file.read(PreviewAddressAt, 4, "the header").data());
        // The count, the first entry and the second: 19 bytes from +20.
        const auto section =
            file.read(std::uint64_t(address) + EntryCountAt,
                      SecondEntryAt + EntrySize - EntryCountAt, "the preview section");
        // A section that lists only the header data has no picture; what follows it there is
        // that data, not an entry.
        if (section[0] < 2) return result;
        const std::uint8_t* entry = section.data() + (SecondEntryAt - EntryCountAt);
        const int kind = entry[0];
        const std::uint32_t start = U32(entry + 1);
        const std::uint32_t size = U32(entry + 5);
        if (kind != BmpKind && kind != PngKind) return result;
        if (size == 0) throw Failure{"the preview picture is empty"};
        if (size > MaxPictureBytes)
            throw Failure{"the preview picture of " + std::to_string(size) + " bytes is too large"};
        const auto bytes = file.read(start, size, "the preview picture");
        result.image = kind == BmpKind ? DecodeDib(bytes) : DecodePng(bytes);
        result.status = DwgPreview::Status::Picture;
    } catch (const Failure& failure) {
        result.status = DwgPreview::Status::Failed;
        result.image = {};
        result.error = failure.why;
    } catch (const std::bad_alloc&) {
        result.status = DwgPreview::Status::Failed;
        result.image = {};
        result.error = "not enough memory for the preview picture";
    }
    return result;
}

} // namespace orvanta
