// The preview picture stored inside a DWG file.
//
// DWG files from release 14 on carry a small picture of the drawing, a device-independent bitmap
// or (from 2013 on) a PNG file. The reader finds it through the file header without parsing
// anything else of the DWG, so that DWG files can be shown without the external converter.
#pragma once

#include "model/Language.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvanta {

// A picture as plain pixels: rows from the top, each pixel 0xAARRGGBB.
struct PreviewImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    bool empty() const { return width <= 0 || height <= 0; }
};

struct DwgPreview {
    enum class Status {
        Picture,   // `image` holds the picture
        NoPicture, // not a DWG, a release before 14, or a preview kind other than BMP or PNG
        Failed,    // the file could not be read or its picture is damaged; see `error`
    };
    Status status = Status::NoPicture;
    PreviewImage image;
    // What went wrong, as one sentence without the file's name (the caller names the file).
    // Its details (addresses, sizes, header fields) are in English.
    std::string error;
    // The failure for a person reading `language`: the error itself in English; in Japanese,
    // that the picture could not be read, with the error as its detail.
    std::string reason(Language language = TextLanguage()) const;
};

// Reads the preview picture of the file at `path`. Only the header fields that lead to the
// picture and the picture itself are read; every address and size is checked against the file's
// length, so a damaged file fails with a reason instead of being read past its end.
DwgPreview ReadDwgPreview(const std::string& path);

} // namespace orvanta
