#include "cli/LoadDrawing.h"

#include "model/Abort.h"
#include "model/Language.h"

namespace orvanta::cli {

LoadedDrawing LoadForCommand(const std::string& path, const char* verb,
                             const std::string& encoding) {
    LoadOptions options;
    options.encoding = encoding;
    LoadedDrawing loaded = LoadDrawingFile(path, options);
    switch (loaded.outcome) {
    case LoadOutcome::Loaded:
        return loaded;
    case LoadOutcome::NotLoaded:
        if (TextLanguage() == Language::Japanese)
            throw SilentAbort(
                path + ": DWG ファイル (" + loaded.signature +
                ") です。変換プログラムなしで扱えるのはテキスト DXF ファイルだけです");
        throw SilentAbort(path + ": a DWG file (" + loaded.signature +
                          "); only text DXF files are " + verb + " without the converter");
    case LoadOutcome::Failed:
        break;
    }
    std::string message = loaded.failure.message();
    if (loaded.failure.inUse()) message += " (busy)";
    throw SilentAbort(message);
}

} // namespace orvanta::cli
