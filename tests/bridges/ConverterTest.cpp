#include "bridges/ConverterCommand.h"
#include "bridges/qt/DwgConverter.h"

#include "support/TestFiles.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace orvanta {
namespace {

const QString StandIn =
    QString::fromStdString(test::SourcePath("tests/bridges/fake_converter.sh").string());

std::vector<std::string> Lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class CollectedMessages : public MessageSink {
  public:
    void showMessage(const std::string& text, const std::string& caption) override {
        messages.push_back(caption + ": " + text);
    }
    std::vector<std::string> messages;
};

TEST(ConverterCommand, SevenArgumentsAndTheConvertedName) {
    const auto args = ConverterArguments("/data/plans 1/図面 A.dwg", "/opt/orvanta/");
    EXPECT_EQ(args, (std::vector<std::string>{"/data/plans 1", "/opt/orvanta", "ACAD2000", "DXF",
                                              "0", "0", "図面 A.dwg"}));
    EXPECT_EQ(ConverterArguments("/a.dwg", "/")[0], "/");
    EXPECT_EQ(ConvertedDxfPath("/data/x.y.DWG", "/out"), "/out/x.y.dxf");
    EXPECT_EQ(ConvertedDxfPath("/data/binary.dxf", "/out"), "/out/binary.dxf");
}

TEST(ConverterCommand, EachSourceHasItsFolderAndOnlyConversionsAreDeleted) {
    test::TempDir dir;
    const std::string root = (dir.path() / "converted").string();
    const std::string a = ConversionFolder("/data/A/plan.dwg", root);
    EXPECT_NE(a, ConversionFolder("/data/B/plan.dwg", root));
    EXPECT_NE(a, ConversionFolder("/data/A/plan.DWG", root));
    EXPECT_EQ(a, ConversionFolder("/data/A/./plan.dwg", root));
    EXPECT_EQ(std::filesystem::path(a).parent_path(), root);

    std::filesystem::create_directories(a);
    std::ofstream(a + "/plan.dxf") << "converted";
    std::ofstream(a + "/notes.txt") << "not ours";
    // A user's file that happens to lie in the cache folder, and a folder not named by a hash.
    dir.write("converted/mine.dxf", "keep");
    std::filesystem::create_directories(dir.path() / "converted/folder");
    dir.write("converted/folder/kept.dxf", "keep");
    EXPECT_EQ(DeleteTempDxf(root), 1);
    EXPECT_FALSE(std::filesystem::exists(a + "/plan.dxf"));
    EXPECT_TRUE(std::filesystem::exists(a + "/notes.txt"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "converted/mine.dxf"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "converted/folder/kept.dxf"));
    EXPECT_EQ(DeleteTempDxf((dir.path() / "missing").string()), 0);
}

// Runs the converter stand-in with a log of its arguments.
struct StandInRun {
    test::TempDir dir;
    std::string log = (dir.path() / "arguments.log").string();
    StandInRun() { qputenv("ORVANTA_CONVERTER_LOG", QByteArray::fromStdString(log)); }
    ~StandInRun() {
        qunsetenv("ORVANTA_CONVERTER_LOG");
        qunsetenv("ORVANTA_CONVERTER_DELAY");
    }
};

TEST(RunConverter, RunsTheConverterWithTheSevenArguments) {
    StandInRun run;
    std::filesystem::create_directories(run.dir.path() / "in; $(rm -rf x)");
    std::filesystem::create_directories(run.dir.path() / "out");
    const std::string input = (run.dir.path() / "in; $(rm -rf x)" / "\"quoted\" 図.dwg").string();
    std::ofstream(input) << "AC1027";
    CollectedMessages messages;
    const QString output = QString::fromStdString((run.dir.path() / "out").string());
    EXPECT_EQ(RunConverter(StandIn, QString::fromStdString(input), {output, false}, &messages),
              ConverterOutcome::Finished);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(Lines(run.log),
              (std::vector<std::string>{(run.dir.path() / "in; $(rm -rf x)").string(),
                                        (run.dir.path() / "out").string(), "ACAD2000", "DXF", "0",
                                        "0", "\"quoted\" 図.dwg", "--"}));
    EXPECT_TRUE(std::filesystem::exists(run.dir.path() / "out" / "\"quoted\" 図.dxf"));
}

TEST(RunConverter, WaitsWithTheEventLoopRunning) {
    StandInRun run;
    qputenv("ORVANTA_CONVERTER_DELAY", "0.3");
    const std::string input = run.dir.write("a.dwg", "AC1027");
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(RunConverter(StandIn, QString::fromStdString(input),
                           {QString::fromStdString(run.dir.path().string()), false}, nullptr),
              ConverterOutcome::Finished);
    EXPECT_GE(clock.elapsed(), 250);
    EXPECT_GE(ticks, 3) << "timers and painting go on while the converter runs";
    EXPECT_TRUE(std::filesystem::exists(run.dir.path() / "a.dxf"));
}

TEST(RunConverter, AHangingConverterIsStoppedByTheUserOrTheTimeLimit) {
    StandInRun run;
    qputenv("ORVANTA_CONVERTER_DELAY", "30");
    const std::string input = run.dir.write("a.dwg", "AC1027");
    const QString out = QString::fromStdString(run.dir.path().string());
    QElapsedTimer clock;
    clock.start();
    int asked = 0;
    ConverterOptions stopButton{out, false, 0, [&] { return ++asked >= 3; }};
    EXPECT_EQ(RunConverter(StandIn, QString::fromStdString(input), stopButton, nullptr),
              ConverterOutcome::Stopped);
    ConverterOptions limited{out, false, 1, {}};
    EXPECT_EQ(RunConverter(StandIn, QString::fromStdString(input), limited, nullptr),
              ConverterOutcome::TimedOut);
    EXPECT_LT(clock.elapsed(), 20000) << "neither run waited for the converter";
    EXPECT_FALSE(std::filesystem::exists(run.dir.path() / "a.dxf"));
}

TEST(RunConverter, AConverterThatCannotStartIsReported) {
    test::TempDir dir;
    const std::string input = dir.write("a.dwg", "AC1027");
    const std::string notExecutable = dir.write("converter.txt", "not a program");
    for (const std::string& program : {(dir.path() / "missing").string(), notExecutable}) {
        CollectedMessages messages;
        EXPECT_EQ(RunConverter(QString::fromStdString(program), QString::fromStdString(input),
                               {QString::fromStdString(dir.path().string()), false}, &messages),
                  ConverterOutcome::FailedToStart);
        EXPECT_EQ(messages.messages, (std::vector<std::string>{"エラー: 起動に失敗しました．"}));
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "a.dxf"));
}

} // namespace
} // namespace orvanta
