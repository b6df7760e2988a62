// orvanta-cli: the drawing reader and renderer without the window, for scripts and checks.
#include "cli/Commands.h"
#include "model/Language.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const Usage =
    "usage: orvanta-cli info [--json] FILE...\n"
    "       orvanta-cli render FILE -o OUT [options]\n"
    "       orvanta-cli thumbnail [-s SIZE] INPUT OUTPUT.png\n"
    "       orvanta-cli previews FOLDER -o OUTDIR [options]\n"
    "       orvanta-cli print FOLDER|FILE -o OUT.pdf [options]\n"
    "       orvanta-cli index FOLDER [-r]\n"
    "       orvanta-cli search FOLDER QUERY [-r] [--json]\n"
    "  info    print the version and the record counts of each DXF file\n"
    "  render  draw a DXF file to PNG, SVG, PDF, EMF, WMF or BMP (render --help)\n"
    "  thumbnail  a file manager's picture of a drawing (thumbnail --help)\n"
    "  previews  the preview grid's pictures of a folder (previews --help)\n"
    "  print   print a folder's drawings or one drawing to PDF (print --help)\n"
    "  index   bring the search index of a folder's texts up to date (index --help)\n"
    "  search  find the drawings of a folder that hold a text (search --help)\n";

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(Usage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    // Failures are worded for scripts in English, for a Japanese session in Japanese.
    orvanta::SetTextLanguage(orvanta::CommandLineLanguage(orvanta::MessagesLocale()));
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "info") return orvanta::cli::InfoCommand(args);
    if (command == "render") return orvanta::cli::RenderCommand(args);
    if (command == "thumbnail") return orvanta::cli::ThumbnailCommand(args);
    if (command == "print") return orvanta::cli::PrintCommand(args);
    if (command == "previews") return orvanta::cli::PreviewsCommand(args);
    if (command == "index") return orvanta::cli::IndexCommand(args);
    if (command == "search") return orvanta::cli::SearchCommand(args);
    std::fprintf(stderr, "orvanta-cli: unknown command \"%s\"\n%s", command.c_str(), Usage);
    return 2;
}
