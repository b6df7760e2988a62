// What the commands of the command-line tool share: reading numbers from arguments and a Qt
// application without a display whose chatter stays out of the commands' output.
#pragma once

#include "model/AcadDxfUnit.h"
#include "render/Colors.h"

#include <cstdint>
#include <string>

namespace orvanta::cli {

// A decimal number from `low` to `high` in `text` (digits only) into `value`; false otherwise.
bool ParseInt(const std::string& text, int low, int high, int& value);

// The colour mode of a --color-mode argument: 0 colour, 1 monochrome, 2 inverted colours.
bool ParseColorMode(const std::string& text, ColorModeValue& mode);

// WxH (or WXH), each part from its low bound to `high`.
bool ParseSize(const std::string& text, int lowWidth, int lowHeight, int high, int& width,
               int& height);

// An --encoding argument: a name EncodingNamed knows ("GBK", "Shift-JIS", "CP1251"), or
// "auto" for the rules (an empty `name`).
bool ParseEncoding(const std::string& text, std::string& name);

// The words of the --encoding option in a command's usage.
inline constexpr const char* EncodingUsage =
    "  --encoding NAME|auto  read texts in NAME (Shift-JIS, UTF-8, GBK, Big5, EUC-KR,\n"
    "                        Windows-1252, Windows-1251, or any name iconv knows) instead of\n"
    "                        what the file's release, bytes and $DWGCODEPAGE say (auto)\n";

// The words of the --layout option in a command's usage.
inline constexpr const char* LayoutUsage =
    "  --layout NAME|model|saved  a layout by its name, the model, or what the drawing was saved\n"
    "                        showing (default saved)\n";

// Makes the command's QGuiApplication on the offscreen platform (unless another is chosen),
// passing on only Qt's critical messages, and says on stderr when the text face is missing.
// The application lives until the process ends.
void StartGuiApplication();

// Removes the runtime folder StartGuiApplication made when the environment named none. Safe in
// a signal handler; the folder also goes when the process exits normally.
void RemovePrivateRuntimeFolder();

} // namespace orvanta::cli
