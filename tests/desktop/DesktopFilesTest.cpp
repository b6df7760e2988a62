// The program as a Linux desktop meets it: installed into a fresh prefix, its menu entry valid,
// its file types recognised by shared-mime-info, and its thumbnailer run the way a file manager
// runs it.
#include "support/CliRun.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using test::Cli;
using test::CliRun;

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs a command line (not orvanta-cli) and returns what it did.
CliRun Shell(const std::string& command) {
    return Cli(command, false);
}

bool HaveTool(const char* name) {
    return Shell(std::string("command -v ") + name + " >/dev/null").status == 0;
}

// The keys of one group of a desktop-style file ("[Desktop Entry]", "[Thumbnailer Entry]").
std::map<std::string, std::string> EntryKeys(const fs::path& file) {
    std::ifstream in(file);
    std::map<std::string, std::string> keys;
    for (std::string line; std::getline(in, line);) {
        const auto equals = line.find('=');
        if (equals != std::string::npos && line[0] != '#')
            keys[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return keys;
}

std::string FirstWord(const std::string& text) {
    return text.substr(0, text.find(' '));
}

// One install of the build into a temporary prefix, shared by the tests of this file.
class Installed : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        prefix_ = new test::TempDir;
        install_ = new CliRun(Shell("cmake --install " + Quoted(ORVANTA_BUILD_DIR) + " --prefix " +
                                    Quoted(prefix_->path().string())));
    }
    static void TearDownTestSuite() {
        delete install_;
        delete prefix_;
    }
    void SetUp() override { ASSERT_EQ(install_->status, 0) << install_->out << install_->err; }
    static fs::path root() { return prefix_->path(); }

    static test::TempDir* prefix_;
    static CliRun* install_;
};
test::TempDir* Installed::prefix_ = nullptr;
CliRun* Installed::install_ = nullptr;

TEST_F(Installed, EveryFileLiesWhereTheEntriesPoint) {
    const auto desktop = EntryKeys(root() / "share/applications/orvanta.desktop");
    const auto thumbnailer = EntryKeys(root() / "share/thumbnailers/orvanta.thumbnailer");
    for (const std::string& program :
         {FirstWord(desktop.at("Exec")), desktop.at("TryExec"), FirstWord(thumbnailer.at("Exec")),
          thumbnailer.at("TryExec")})
        EXPECT_EQ(::access((root() / "bin" / program).c_str(), X_OK), 0) << program;
    const std::string icon = desktop.at("Icon");
    EXPECT_TRUE(fs::exists(root() / "share/icons/hicolor/scalable/apps" / (icon + ".svg")));
    for (const char* size : {"16x16", "32x32", "48x48", "256x256"})
        EXPECT_TRUE(fs::exists(root() / "share/icons/hicolor" / size / "apps" / (icon + ".png")))
            << size;
    EXPECT_EQ(desktop.at("MimeType"), thumbnailer.at("MimeType"));
    for (const char* page : {"orvanta.1.gz", "orvanta-cli.1.gz"})
        EXPECT_TRUE(fs::exists(root() / "share/man/man1" / page)) << page;
    EXPECT_TRUE(fs::exists(root() / "share/mime/packages/orvanta.xml"));
    // Nothing of the build's folders may stay in the programs.
    for (const char* program : {"orvanta", "orvanta-cli"})
        EXPECT_EQ(Shell("readelf -d " + Quoted((root() / "bin" / program).string()) +
                        " | grep -E 'R(UN)?PATH'")
                      .out,
                  "")
            << program;
}

TEST_F(Installed, MenuEntryAndThumbnailerValidate) {
    if (!HaveTool("desktop-file-validate")) GTEST_SKIP() << "desktop-file-utils is not installed";
    const CliRun run = Shell("desktop-file-validate " +
                             Quoted((root() / "share/applications/orvanta.desktop").string()));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out + run.err, "");
}

TEST_F(Installed, SoftwareCentreMetadataValidates) {
    if (!HaveTool("appstreamcli")) GTEST_SKIP() << "appstream is not installed";
    const fs::path metainfo = root() / "share/metainfo/org.orvanta.Orvanta.metainfo.xml";
    const CliRun run = Shell("appstreamcli validate --no-net " + Quoted(metainfo.string()));
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    // It names the menu entry that is installed beside it.
    std::ifstream in(metainfo);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("<launchable type=\"desktop-id\">orvanta.desktop</launchable>"),
              std::string::npos);
}

TEST_F(Installed, FileTypesAreRecognisedByNameAndByContent) {
    if (!HaveTool("update-mime-database") || !HaveTool("xdg-mime") || !HaveTool("gio"))
        GTEST_SKIP() << "shared-mime-info, xdg-utils or libglib2.0-bin is not installed";
    const fs::path data = root() / "share";
    ASSERT_EQ(Shell("update-mime-database " + Quoted((data / "mime").string())).status, 0);
    test::TempDir dir;
    const fs::path dxf = test::SourcePath("samples/floor-plan.dxf");
    const fs::path unnamed = dir.path() / "plan-without-extension";
    fs::copy_file(dxf, unnamed);
    const std::string dwgBytes("AC1032\0\0\0\0\0\0\x01\x00", 14);
    const std::string dwg = dir.write("plan.dwg", dwgBytes);
    const std::string unnamedDwg = dir.write("drawing", dwgBytes);
    const std::string commented = dir.write("comment", "999\r\nwritten by hand\r\n  0\r\nEOF\r\n");
    // Only this install's definitions, as GLib reads them for a GNOME session.
    const std::string environment =
        "env XDG_CURRENT_DESKTOP=GNOME XDG_DATA_DIRS=" + Quoted(data.string()) +
        " XDG_DATA_HOME=" + Quoted((dir.path() / "none").string()) + " ";
    const auto type = [&](const std::string& file) {
        std::string out = Shell(environment + "xdg-mime query filetype " + Quoted(file)).out;
        while (!out.empty() && out.back() == '\n')
            out.pop_back();
        return out;
    };
    EXPECT_EQ(type(dxf.string()), "image/vnd.dxf");
    EXPECT_EQ(type(unnamed.string()), "image/vnd.dxf");
    EXPECT_EQ(type(commented), "image/vnd.dxf");
    EXPECT_EQ(type(dwg), "image/vnd.dwg");
    EXPECT_EQ(type(unnamedDwg), "image/vnd.dwg");
}

TEST_F(Installed, ThumbnailerRunsAsAFileManagerExpandsIt) {
    std::string exec = EntryKeys(root() / "share/thumbnailers/orvanta.thumbnailer").at("Exec");
    test::TempDir dir;
    for (const auto& entry : fs::directory_iterator(test::SourcePath("samples"))) {
        if (entry.path().extension() != ".dxf") continue;
        const fs::path out = dir.path() / (entry.path().stem().string() + ".png");
        // The file manager's expansion of the field codes: size, input path, output path.
        std::string command = exec;
        for (const auto& [code, value] :
             std::map<std::string, std::string>{{"%s", "128"},
                                                {"%i", Quoted(entry.path().string())},
                                                {"%o", Quoted(out.string())}})
            command.replace(command.find(code), 2, value);
        const CliRun run =
            Shell("PATH=" + Quoted((root() / "bin").string()) + ":\"$PATH\" " + command);
        EXPECT_EQ(run.status, 0) << command << ": " << run.err;
        EXPECT_TRUE(fs::exists(out)) << out;
    }
}

} // namespace
} // namespace orvanta
