#include "bridges/ConverterCommand.h"
#include "bridges/DwgConverter.h"

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
    EXPECT_EQ(ConverterParameterText(args),
              "\"/data/plans 1\" \"/opt/orvanta\" \"ACAD2000\" \"DXF\" \"0\" \"0\" \"図面 A.dwg\"");
    EXPECT_EQ(ConverterArguments("/a.dwg", "/")[0], "/");
    EXPECT_EQ(ConvertedDxfPath("/data/x.y.DWG", "/out"), "/out/x.y.dxf");
    EXPECT_EQ(ConvertedDxfPath("/data/binary.dxf", "/out"), "/out/binary.dxf");
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

TEST(DwgToDxf, RunsTheConverterWithTheSevenArguments) {
    StandInRun run;
    std::filesystem::create_directories(run.dir.path() / "in; $(rm -rf x)");
    std::filesystem::create_directories(run.dir.path() / "out");
    const std::string input = (run.dir.path() / "in; $(rm -rf x)" / "\"quoted\" 図.dwg").string();
    std::ofstream(input) << "AC1027";
    CollectedMessages messages;
    const QString output = QString::fromStdString((run.dir.path() / "out").string());
    EXPECT_TRUE(DwgToDxf(StandIn, QString::fromStdString(input), {output, false}, &messages));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(Lines(run.log),
              (std::vector<std::string>{(run.dir.path() / "in; $(rm -rf x)").string(),
                                        (run.dir.path() / "out").string(), "ACAD2000", "DXF", "0",
                                        "0", "\"quoted\" 図.dwg", "--"}));
    EXPECT_TRUE(std::filesystem::exists(run.dir.path() / "out" / "\"quoted\" 図.dxf"));
}

TEST(DwgToDxf, WaitsWithTheEventLoopRunning) {
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

TEST(DwgToDxf, AConverterThatCannotStartIsReported) {
    test::TempDir dir;
    const std::string input = dir.write("a.dwg", "AC1027");
    const std::string notExecutable = dir.write("converter.txt", "not a program");
    for (const std::string& program : {(dir.path() / "missing").string(), notExecutable}) {
        CollectedMessages messages;
        EXPECT_FALSE(DwgToDxf(QString::fromStdString(program), QString::fromStdString(input),
                              {QString::fromStdString(dir.path().string()), false}, &messages));
        EXPECT_EQ(messages.messages, (std::vector<std::string>{"エラー: 起動に失敗しました．"}));
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "a.dxf"));
}

} // namespace
} // namespace orvanta
