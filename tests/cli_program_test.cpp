// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>
#include <QImage>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/draw/logical_mapping.h"
#include "core/report/version.h"

extern char** environ;

// Runs the built hcci-cycle-export and checks what a user sees: exit status, messages, files.

namespace hcci {
namespace {

namespace fs = std::filesystem;

constexpr int usage_status = 2;
constexpr int failure_status = 1;

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CliProgram : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::path(::testing::TempDir()) / "hcci-cli-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        work_ = dir_ / "work";
        fs::create_directory(work_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Standard output goes to stdout_path, or to a file of the test when it is empty.
    RunResult run(std::vector<std::string> args, const std::string& stdout_path = "") {
        const fs::path out = dir_ / "stdout";
        const fs::path err = dir_ / "stderr";
        const std::string out_path = stdout_path.empty() ? out.string() : stdout_path;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        args.insert(args.begin(), HCCI_EXPORT_PROGRAM);
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        pid_t pid = 0;
        RunResult result;
        const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(spawned, 0) << "cannot run " << HCCI_EXPORT_PROGRAM;
        if (spawned != 0) return result;
        int wait_status = 0;
        waitpid(pid, &wait_status, 0);
        result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
        if (stdout_path.empty()) result.out = read_file(out);
        result.err = read_file(err);
        return result;
    }

    std::vector<std::string> work_entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(work_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    fs::path dir_;
    fs::path work_;  // where the program writes; holds nothing but what it was asked to write
};

TEST_F(CliProgram, WrongCommandLinesSayWhyInALineAndExit2WithoutWriting) {
    const std::string target = (work_ / "out").string();
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"pdf", "-o", target},
        {"csv", "-o"},
        {"csv", "--step", "3", "-o", target},
        {"png"},
        {"png", "-o", target, "--step", "18001"},
        {"png", "-o", target, "--step", "ten"},
        {"png", "-o", target, "--labels"},
    };
    for (const auto& args : cases) {
        std::string line;
        for (const auto& arg : args) line += " " + arg;
        SCOPED_TRACE("hcci-cycle-export" + line);
        const RunResult result = run(args);
        EXPECT_EQ(result.status, usage_status);
        // The reason, then where to read more: two lines, not the whole usage.
        EXPECT_EQ(result.err.rfind("hcci-cycle-export: ", 0), 0u) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 2) << result.err;
        EXPECT_NE(result.err.find("\ntry 'hcci-cycle-export "), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(work_entries().empty());
    }
}

TEST_F(CliProgram, HelpAndVersionGoToStandardOutput) {
    const RunResult help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("png -o FILE [--step N] [--no-labels]"), std::string::npos);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(run({"-h"}).out, help.out);
    const RunResult video = run({"video", "--help"});
    EXPECT_EQ(video.status, 0);
    EXPECT_EQ(video.out.find("usage: hcci-cycle-export video -o FILE"), 0u) << video.out;
    EXPECT_NE(video.out.find("--hold S"), std::string::npos);
    const RunResult version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "hcci-cycle-export " + std::string(hcci::version) + "\n");
}

TEST_F(CliProgram, CsvGoesToStandardOutputOrReplacesTheFile) {
    const RunResult to_stdout = run({"csv"});
    ASSERT_EQ(to_stdout.status, 0) << to_stdout.err;
    const fs::path target = work_ / "sweep.csv";
    {
        std::ofstream old(target);
        old << "old content that is longer than nothing\n";
    }
    const RunResult to_file = run({"csv", "-o", target.string()});
    ASSERT_EQ(to_file.status, 0) << to_file.err;
    EXPECT_EQ(to_file.out, "");
    EXPECT_EQ(read_file(target), to_stdout.out);
    EXPECT_EQ(std::count(to_stdout.out.begin(), to_stdout.out.end(), '\n'), 18002);
    EXPECT_EQ(work_entries(), std::vector<std::string>{"sweep.csv"});
}

TEST_F(CliProgram, CsvReplacesAFileWhoseNameIsAsLongAsANameCanBe) {
    const std::string name(NAME_MAX, 'n');
    std::ofstream(work_ / name) << "old";
    const RunResult result = run({"csv", "-o", (work_ / name).string()});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string csv = read_file(work_ / name);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 18002);
    EXPECT_EQ(work_entries(), std::vector<std::string>{name});
}

TEST_F(CliProgram, CsvThroughADanglingLinkCreatesTheFileItNames) {
    fs::create_symlink("sweep.csv", work_ / "latest.csv");
    const RunResult result = run({"csv", "-o", (work_ / "latest.csv").string()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(fs::is_symlink(work_ / "latest.csv"));
    const std::string csv = read_file(work_ / "sweep.csv");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 18002);
    std::vector<std::string> entries = work_entries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"latest.csv", "sweep.csv"}));
}

TEST_F(CliProgram, UnwritableTargetsExit1WithTheReasonAndLeaveNothing) {
    fs::create_directory(work_ / "taken");
    const struct {
        const char* name;
        std::string target;
        const char* reason;
    } cases[] = {
        {"missing_directory", (work_ / "missing" / "out.csv").string(),
         "No such file or directory"},
        {"target_is_a_directory", (work_ / "taken").string(), "Is a directory"},
        {"full_device", "/dev/full", "No space left on device"},
        // Not writable even for root, which CI runs as.
        {"unwritable_directory", "/proc/hcci-cycle-export.csv", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RunResult result = run({"csv", "-o", c.target});
        EXPECT_EQ(result.status, failure_status);
        EXPECT_NE(result.err.find(c.target), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(c.reason), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "one line: " << result.err;
        EXPECT_EQ(work_entries(), std::vector<std::string>{"taken"});
        EXPECT_TRUE(fs::is_empty(work_ / "taken"));
    }
    // A device is written in place, never replaced by a file.
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    for (const auto& entry : fs::directory_iterator("/dev")) {
        EXPECT_NE(entry.path().filename().string().rfind(".hcci-", 0), 0u) << entry.path();
    }
}

TEST_F(CliProgram, FullStandardOutputIsAFailure) {
    const RunResult result = run({"csv"}, "/dev/full");
    EXPECT_EQ(result.status, failure_status);
    EXPECT_NE(result.err.find("cannot write standard output: No space left on device"),
              std::string::npos)
        << result.err;
}

bool has_pixel(const QImage& image, QRect area, QRgb colour) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) return true;
        }
    }
    return false;
}

TEST_F(CliProgram, PngIsTheClientAreaWithTheTraces) {
    const fs::path picture = work_ / "cycle.png";
    const RunResult last_step = run({"png", "-o", picture.string()});
    ASSERT_EQ(last_step.status, 0) << last_step.err;
    EXPECT_EQ(work_entries(), std::vector<std::string>{"cycle.png"});
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(picture.string()), "PNG"));
    EXPECT_EQ(image.width(), client_width);
    EXPECT_EQ(image.height(), client_height);
    // Inside the bore, between the head and the piston crown at bottom dead centre.
    const int bore_x = static_cast<int>(pixel_x(30));
    const int bore_y = static_cast<int>(pixel_y(100));
    EXPECT_EQ(image.pixel(bore_x, bore_y) & 0xFFFFFF, 0xFFFFFFu);
    // The pressure diagram, above the engine, where no label is blue.
    const QRect pressure_diagram(0, 0, client_width, static_cast<int>(pixel_y(-145)));
    EXPECT_TRUE(has_pixel(image, pressure_diagram, qRgb(0, 0, 255)));

    // The first step draws no trace, and without labels no legend is blue either.
    const RunResult first_step = run({"png", "--step", "0", "--no-labels", "-o", picture.string()});
    ASSERT_EQ(first_step.status, 0) << first_step.err;
    ASSERT_TRUE(image.load(QString::fromStdString(picture.string()), "PNG"));
    EXPECT_EQ(image.size(), QSize(client_width, client_height));
    EXPECT_FALSE(has_pixel(image, image.rect(), qRgb(0, 0, 255)));
}

TEST_F(CliProgram, PngAtTwiceTheSizeIsDrawnAfreshNotEnlarged) {
    const fs::path picture = work_ / "large.png";
    const RunResult result =
        run({"png", "--scale", "2", "--no-labels", "--step", "9000", "-o", picture.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(picture.string()), "PNG"));
    ASSERT_EQ(image.size(), QSize(2 * client_width, 2 * client_height));
    // The dark red pressure axis (pen 3) is 6 pixels thick at twice the size.
    const int column = static_cast<int>(pixel_x(50, 2));
    int thickness = 0;
    for (int y = 0; y < image.height(); ++y)
        thickness += (image.pixel(column, y) & 0xFFFFFF) == 0x800000u;
    EXPECT_EQ(thickness, 2 * 6);  // both zero axes
    // The thin piston outline stays two pixels wide, not a blurred band.
    int grey = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y) & 0xFFFFFF;
            grey += qRed(p) == qGreen(p) && qGreen(p) == qBlue(p) && qRed(p) > 0 && qRed(p) < 255 &&
                    qRed(p) != 0xC0;
        }
    }
    EXPECT_EQ(grey, 0);
}

// The picture has its own size and its own fonts' look, whatever the screen scaling says, and
// Qt's start-up chatter stays out of the way.
TEST_F(CliProgram, PngDoesNotDependOnTheScreenScaling) {
    const fs::path plain = work_ / "plain.png";
    ASSERT_EQ(run({"png", "-o", plain.string()}).status, 0);
    const struct {
        const char* name;
        const char* value;
    } settings[] = {
        {"QT_SCALE_FACTOR", "2"}, {"QT_SCREEN_SCALE_FACTORS", "3"}, {"QT_FONT_DPI", "200"}};
    for (const auto& setting : settings) {
        SCOPED_TRACE(setting.name);
        ::setenv(setting.name, setting.value, 1);
        ::unsetenv("XDG_RUNTIME_DIR");
        const fs::path scaled = work_ / "scaled.png";
        const RunResult result = run({"png", "-o", scaled.string()});
        ::unsetenv(setting.name);
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(read_file(scaled), read_file(plain));
    }
}

TEST_F(CliProgram, DashIsStandardOutput) {
    const RunResult csv = run({"csv", "-o", "-"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out, run({"csv"}).out);
    const RunResult png = run({"png", "--step", "10", "-o", "-"});
    ASSERT_EQ(png.status, 0) << png.err;
    EXPECT_EQ(png.out.substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_TRUE(work_entries().empty());
}

// The fields of one row of the CSV, by step.
std::vector<std::string> csv_row(const std::string& csv, int step) {
    std::size_t at = 0;
    for (int line = 0; line <= step; ++line) at = csv.find('\n', at) + 1;
    const std::string row = csv.substr(at, csv.find('\n', at) - at);
    std::vector<std::string> fields;
    std::size_t from = 0;
    for (std::size_t comma; (comma = row.find(',', from)) != std::string::npos; from = comma + 1) {
        fields.push_back(row.substr(from, comma - from));
    }
    fields.push_back(row.substr(from));
    return fields;
}

// Another engine, worked out here on its own: main chamber compression ratio 14, auxiliary
// ignition from 74 degrees.
TEST_F(CliProgram, CsvOfAnotherEngineFollowsItsOwnNumbers) {
    const RunResult result =
        run({"csv", "--set", "main_compression_ratio=14", "--set", "aux_ignition_start=74"});
    ASSERT_EQ(result.status, 0) << result.err;
    const double pi = std::acos(-1.0);
    const double clearance = 75.0 / 13 + 25.0 / 49;
    const double bdc = 100 + clearance;
    const auto volume = [&](double degrees) {
        const double a = degrees * pi / 180;
        return 250 + clearance -
               (50 * std::sin(a) + std::sqrt(200.0 * 200 - 2500 * std::cos(a) * std::cos(a)));
    };
    const auto angle_of = [](int step) {
        double angle = -90;
        for (int i = 0; i < step; ++i) angle += 0.02;
        return angle;
    };
    // United compression: adiabatic from 1 bar and 323 K at bottom dead centre.
    const std::vector<std::string> united = csv_row(result.out, 4500);
    const double v = volume(angle_of(4500));
    EXPECT_NEAR(std::stod(united[4]), v, 1e-9);
    EXPECT_NEAR(std::stod(united[6]), std::pow(bdc / v, 1.4), 1e-9);
    EXPECT_NEAR(std::stod(united[7]), 323 * std::pow(bdc / v, 0.4), 1e-7);
    // The auxiliary chamber at 74.5 degrees, a tenth into its ramp: 1 + 0.5 / (4 / 0.8).
    const std::vector<std::string> aux = csv_row(result.out, 8225);
    const double split = volume(angle_of(7349));
    const double aux_split = 25.0 / 49 + (split - clearance) * 0.25;
    const double aux_volume = aux_split - (split - volume(angle_of(8225))) * 0.25;
    EXPECT_NEAR(std::stod(aux[13]), aux_volume, 1e-9);
    EXPECT_NEAR(std::stod(aux[10]),
                std::pow(bdc / split, 1.4) * std::pow(aux_split / aux_volume, 1.4) * 1.1, 1e-8);
}

TEST_F(CliProgram, ABadParameterExits2WithOneLineAndWritesNothing) {
    fs::create_directory(work_ / "empty");
    const fs::path bad = work_ / "empty" / "bad.toml";
    std::ofstream(bad) << "gamma = 1.3\nrod_length = 20\n";
    const std::string target = (work_ / "out").string();
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"csv", "-o", target, "--set", "gamma=1.8"},
         "parameter gamma = 1.8 is outside its range (1, 1.67]"},
        {{"png", "-o", target, "--set", "bore=80"}, "unknown parameter 'bore'"},
        {{"png", "-o", target, "--params", bad.string()},
         "bad.toml line 2: parameter rod_length = 20 is outside its range (50, 1000]"},
        {{"csv", "-o", target, "--params", (work_ / "none.toml").string()},
         "none.toml: No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const RunResult result = run(c.args);
        EXPECT_EQ(result.status, usage_status);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_FALSE(fs::exists(target));
    }
}

TEST_F(CliProgram, TheParameterFileOfTheDefaultsGivesTheDefaultEngine) {
    const fs::path file = work_ / "engine.toml";
    ASSERT_EQ(run({"params", "-o", file.string()}).status, 0);
    const RunResult from_file = run({"csv", "--params", file.string()});
    ASSERT_EQ(from_file.status, 0) << from_file.err;
    EXPECT_EQ(from_file.out, run({"csv"}).out);
}

TEST_F(CliProgram, SummaryAsTextOrJson) {
    const RunResult text = run({"summary"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("  IMEP                                            4.829 bar\n"),
              std::string::npos)
        << text.out;
    const fs::path json = work_ / "summary.json";
    const RunResult to_file = run({"summary", "--json", "-o", json.string(), "--set", "gamma=1.3"});
    ASSERT_EQ(to_file.status, 0) << to_file.err;
    const std::string written = read_file(json);
    EXPECT_EQ(written.front(), '{');
    EXPECT_NE(written.find("\"imep_bar\": "), std::string::npos);
    EXPECT_EQ(written.find("\"imep_bar\": 4.828919229565076"), std::string::npos);  // gamma 1.3
}

TEST_F(CliProgram, StudyWritesARowAValueAndItsPlot) {
    const fs::path csv = work_ / "study.csv";
    const fs::path png = work_ / "study.png";
    const fs::path svg = work_ / "study.svg";
    const RunResult result = run({"study", "--vary", "aux_ignition_start_atdc=-20:-12.25:0.25",
                                  "-o", csv.string(), "--plot", png.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string table = read_file(csv);
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 2 + 32);
    EXPECT_EQ(table.rfind("# a study of aux_ignition_start_atdc; the engine otherwise: the "
                          "defaults\naux_ignition_start_atdc,work_j_per_l,imep_bar,",
                          0),
              0u);
    EXPECT_NE(table.find("\n-12.25,"), std::string::npos);
    QImage plot;
    ASSERT_TRUE(plot.load(QString::fromStdString(png.string()), "PNG"));
    EXPECT_EQ(plot.size(), QSize(1920, 1080));
    ASSERT_EQ(run({"study", "--vary", "gamma=1.3:1.4:0.05", "--plot", svg.string()}).status, 0);
    const std::string vector = read_file(svg);
    EXPECT_NE(vector.find("<svg"), std::string::npos);
    EXPECT_NE(vector.find("peak p, bar"), std::string::npos);
    EXPECT_NE(vector.find("width=\"1920\""), std::string::npos);
}

TEST_F(CliProgram, AStudyThatCannotBeMadeWritesNothing) {
    const std::string csv = (work_ / "s.csv").string();
    const std::string png = (work_ / "s.png").string();
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"study", "-o", csv}, "study needs the parameter to vary"},
        {{"study", "--vary", "gamma=1.2:1.3:0.1", "--plot", (work_ / "s.jpg").string()},
         "must end in .png or .svg"},
        {{"study", "--vary", "aux_ignition_start_atdc=-20:-12:0.25", "-o", csv, "--plot", png},
         "the study stops at aux_ignition_start_atdc = -12: with aux_ignition_end_atdc = -12 it "
         "breaks the rule aux_ignition_start_atdc < aux_ignition_end_atdc"},
        // One file for the table and the plot, or an output over the engine's own file.
        {{"study", "--vary", "gamma=1.2:1.3:0.1", "-o", png, "--plot", png}, "would be one file"},
        {{"study", "--vary", "gamma=1.2:1.3:0.1", "-o", png, "--plot",
          (work_ / "." / "s.png").string()},
         "would be one file"},
        {{"study", "--vary", "gamma=1.2:1.3:0.1", "--set", "gamma=9", "-o", csv},
         "parameter gamma = 9 is outside"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const RunResult result = run(c.args);
        EXPECT_EQ(result.status, usage_status);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_TRUE(work_entries().empty());
    }
}

// A study writes its plot and its table or neither: a table that cannot be written takes the
// new plot back, a new one away and an old one to what it was.
TEST_F(CliProgram, AStudyWritesBothFilesOrNeither) {
    const fs::path csv = work_ / "s.csv";
    const fs::path png = work_ / "s.png";
    const std::vector<std::string> study = {"study", "--vary", "gamma=1.3:1.4:0.05"};
    const auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> args = study;
        args.insert(args.end(), more.begin(), more.end());
        return run(args);
    };
    EXPECT_EQ(with({"-o", csv.string(), "--plot", (work_ / "no" / "p.png").string()}).status,
              failure_status);
    EXPECT_TRUE(work_entries().empty());
    EXPECT_EQ(with({"-o", (work_ / "no" / "s.csv").string(), "--plot", png.string()}).status,
              failure_status);
    EXPECT_TRUE(work_entries().empty());
    { std::ofstream(png, std::ios::binary) << "the old plot"; }
    EXPECT_EQ(with({"-o", (work_ / "no" / "s.csv").string(), "--plot", png.string()}).status,
              failure_status);
    EXPECT_EQ(read_file(png), "the old plot");
    EXPECT_EQ(with({"-o", csv.string(), "--plot", png.string()}).status, 0);
    EXPECT_EQ(read_file(png).substr(1, 3), "PNG");
    EXPECT_EQ(read_file(csv).substr(0, 18), "# a study of gamma");
}

// Each engine of a study is checked whole, with its varied value: here that value puts the
// angles in order that the base set alone breaks.
TEST_F(CliProgram, AStudysValueMayMendTheOrderOfTheRest) {
    const RunResult result =
        run({"study", "--vary", "second_split_atdc=21:23:1", "--set", "first_merge_atdc=20"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 5);
}

// Nothing is computed for outputs that cannot be written or would replace an input: the
// study below would stop at its last value (a rule), yet it is the target that is told.
TEST_F(CliProgram, AStudysOutputsAreCheckedBeforeItsCycles) {
    const fs::path params = work_ / "engine.toml";
    { std::ofstream(params) << "gamma = 1.3\n"; }
    const std::vector<std::string> refused = {"study", "--vary",
                                              "aux_ignition_start_atdc=-20:-12:0.5"};
    const auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> args = refused;
        args.insert(args.end(), more.begin(), more.end());
        return run(args);
    };
    const RunResult missing = with({"-o", (work_ / "no" / "s.csv").string()});
    EXPECT_EQ(missing.status, failure_status);
    EXPECT_NE(missing.err.find("cannot write"), std::string::npos) << missing.err;
    const fs::path link = work_ / "link.toml";
    fs::create_symlink(params, link);
    for (const fs::path& output : {params, link}) {
        const RunResult over = run({"csv", "--params", params.string(), "-o", output.string()});
        EXPECT_EQ(over.status, usage_status);
        EXPECT_NE(over.err.find("is the engine's parameter file"), std::string::npos) << over.err;
    }
    EXPECT_EQ(read_file(params), "gamma = 1.3\n");
}

// An angle by the crank-angle name of an earlier release is converted, and told in one line.
TEST_F(CliProgram, FormerAngleNamesAreReadAndTold) {
    const RunResult old = run({"summary", "--json", "--set", "aux_ignition_start=74"});
    const RunResult now = run({"summary", "--json", "--set", "aux_ignition_start_atdc=-16"});
    ASSERT_EQ(old.status, 0) << old.err;
    EXPECT_EQ(old.out, now.out);
    EXPECT_EQ(old.err,
              "hcci-cycle-export: note: aux_ignition_start = 74 is a crank angle (top dead centre "
              "at 90): read as aux_ignition_start_atdc = -16, degrees after top dead centre\n");
    EXPECT_EQ(now.err, "");
}

TEST_F(CliProgram, VideoAndSvgRefuseWhatTheyCannotMake) {
    const std::string mp4 = (work_ / "v.mp4").string();
    const struct {
        std::vector<std::string> args;
        int status;
        const char* message;
    } cases[] = {
        {{"video", "-o", mp4, "--fps", "0"}, usage_status, "not a whole number from 1 to 60"},
        {{"video", "-o", mp4, "--fps", "61"}, usage_status, "not a whole number from 1 to 60"},
        {{"video", "-o", mp4, "--fps", "2.5"}, usage_status, "not a whole number from 1 to 60"},
        {{"video", "-o", (work_ / "v.gif").string(), "--fps", "51"},
         usage_status,
         "a GIF shows at most 50 frames a second"},
        {{"video", "-o", mp4, "--duration", "0"}, usage_status, "not a number of seconds"},
        {{"video", "-o", mp4, "--duration", "nan"}, usage_status, "not a number of seconds"},
        {{"video", "-o", (work_ / "v.avi").string()},
         usage_status,
         "must end in .mp4, .webm or .gif"},
        {{"video", "--fps", "10"}, usage_status, "video needs an output file"},
        {{"svg", "--step", "18001", "-o", (work_ / "p.svg").string()}, usage_status, "'18001'"},
        {{"video", "--duration", "0.5", "-o", "/proc/hcci-cycle.mp4"},
         failure_status,
         "cannot write /proc/hcci-cycle.mp4"},
        // Told before the encoding, which at this size and length would take many minutes.
        {{"video", "--duration", "600", "--fps", "60", "--scale", "4", "-o",
          (work_ / "missing" / "v.mp4").string()},
         failure_status,
         "No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const RunResult result = run(c.args);
        EXPECT_EQ(result.status, c.status);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_TRUE(work_entries().empty());
    }
}

TEST_F(CliProgram, VideoShowsNoProgressWhereStandardErrorIsNoTerminal) {
    const fs::path gif = work_ / "v.gif";
    const RunResult result = run({"video", "--duration", "1.5", "-o", gif.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(read_file(gif).substr(0, 6), "GIF89a");
}

// The vector picture, rasterised by another program, against the PNG at known places.
TEST_F(CliProgram, SvgRasterisedElsewhereMatchesThePng) {
    if (std::system("command -v rsvg-convert >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no rsvg-convert";
    const fs::path svg = work_ / "p.svg";
    const fs::path png = work_ / "p.png";
    const fs::path rasterised = dir_ / "p-rsvg.png";
    ASSERT_EQ(run({"svg", "-o", svg.string()}).status, 0);
    ASSERT_EQ(run({"png", "--no-labels", "-o", png.string()}).status, 0);
    ASSERT_EQ(std::system(
                  ("rsvg-convert -o '" + rasterised.string() + "' '" + svg.string() + "'").c_str()),
              0);
    QImage vector, pixels;
    ASSERT_TRUE(vector.load(QString::fromStdString(rasterised.string())));
    ASSERT_TRUE(pixels.load(QString::fromStdString(png.string())));
    ASSERT_EQ(vector.size(), pixels.size());
    const auto at = [](double x, double y) {
        return QPoint(static_cast<int>(pixel_x(static_cast<float>(x))),
                      static_cast<int>(pixel_y(static_cast<float>(y))));
    };
    // Head, wall, bore, grid, axis, disc and its erased edge, crown face at bottom dead centre.
    for (const QPoint p : {at(-2.6, 50), at(50, 128), at(30, 100), at(60, 235.9091), at(-7.3, -250),
                           at(9.4, 30), at(9.4, 62.5), at(100, -100)}) {
        EXPECT_EQ(vector.pixel(p) & 0xFFFFFF, pixels.pixel(p) & 0xFFFFFF) << p.x() << "," << p.y();
    }
    EXPECT_EQ(pixels.pixel(at(9.4, 62.5)) & 0xFFFFFF, 0xFFFFFFu);  // the erased edge
    const std::string text = read_file(svg);
    for (const char* caption : {">United Chamber<", ">180<", "'Comic Sans MS', 'Comic Neue'"}) {
        EXPECT_NE(text.find(caption), std::string::npos) << caption;
    }
}

}  // namespace
}  // namespace hcci

namespace hcci {
namespace {

TEST_F(CliProgram, PlotDrawsAViewAndComparesWithABaseline) {
    const fs::path baseline = work_ / "defaults.toml";
    ASSERT_EQ(run({"params", "-o", baseline.string()}).status, 0);
    const fs::path png = work_ / "p.png";
    const RunResult drawn = run({"plot", "--view", "log-pv", "--size", "800x500", "--compare",
                                 baseline.string(), "--set", "gamma=1.3", "-o", png.string()});
    ASSERT_EQ(drawn.status, 0) << drawn.err;
    EXPECT_EQ(drawn.err, "");
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(png.string()), "PNG"));
    EXPECT_EQ(image.size(), QSize(800, 500));
    const fs::path svg = work_ / "p.svg";
    ASSERT_EQ(run({"plot", "--view", "heat-release", "-o", svg.string()}).status, 0);
    const std::string text = read_file(svg);
    EXPECT_NE(text.find("<svg"), std::string::npos);
    EXPECT_NE(text.find("CA50 -4.99"), std::string::npos);

    // Each of these is a wrong command line: a message, status 2, no file.
    fs::remove(png);
    fs::remove(svg);
    const std::vector<std::pair<std::vector<std::string>, std::string>> wrong = {
        {{"plot", "-o", png.string()}, "needs the view to plot"},
        {{"plot", "--view", "pv", "-o", png.string()}, "view 'pv' is not one of"},
        {{"plot", "--view", "log-pv", "-o", (work_ / "p.jpg").string()}, "must be a file ending"},
        {{"plot", "--view", "log-pv", "-o", "-"}, "must be a file ending"},
        {{"plot", "--view", "log-pv", "--size", "100x5000", "-o", png.string()},
         "is not WIDTHxHEIGHT"},
        {{"plot", "--view", "log-pv", "--compare", (work_ / "none.toml").string(), "-o",
          png.string()},
         "the baseline (--compare "},
        {{"summary", "--compare", baseline.string(), "-o", baseline.string()},
         "is the baseline's parameter file"},
    };
    for (const auto& [args, message] : wrong) {
        SCOPED_TRACE(message);
        const RunResult result = run(args);
        EXPECT_EQ(result.status, usage_status);
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
        EXPECT_EQ(work_entries(), std::vector<std::string>{"defaults.toml"});
    }
}

// The picture stays as it is drawn; a trace that leaves it is told on standard error, in one
// line, by each export of the picture.
TEST_F(CliProgram, ATraceThatLeavesThePictureIsToldInOneLine) {
    const fs::path picture = work_ / "cycle.png";
    for (const char* command : {"png", "svg"}) {
        SCOPED_TRACE(command);
        const RunResult plain = run({command, "-o", picture.string()});
        ASSERT_EQ(plain.status, 0) << plain.err;
        EXPECT_EQ(plain.err, "");
        const RunResult hot =
            run({command, "--set", "aux_ignition_factor=3", "-o", picture.string()});
        ASSERT_EQ(hot.status, 0) << hot.err;
        EXPECT_EQ(hot.err.find("hcci-cycle-export: note: off the picture"), 0u) << hot.err;
        EXPECT_NE(hot.err.find("auxiliary pressure 246.78 bar"), std::string::npos);
        EXPECT_EQ(std::count(hot.err.begin(), hot.err.end(), '\n'), 1);
    }
}

TEST_F(CliProgram, SummaryComparesTwoEnginesInColumns) {
    const fs::path baseline = work_ / "defaults.toml";
    ASSERT_EQ(run({"params", "-o", baseline.string()}).status, 0);
    const RunResult result = run({"summary", "--compare", baseline.string(), "--set", "gamma=1.3"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.find("Current engine:  gamma = 1.3\nBaseline engine: the defaults\n"), 0u)
        << result.out;
    EXPECT_NE(result.out.find("  imep_bar "), std::string::npos);
}

// A measured trace: analysed after the model's summary, in JSON, in columns beside the model and
// drawn beneath it; a bad one is told in one line naming its row, and nothing is written.
TEST_F(CliProgram, AMeasuredTraceIsAnalysedComparedAndDrawnOrRefusedInALine) {
    const fs::path trace = work_ / "trace.csv";
    std::ofstream(trace) << "# a few rows around top dead centre\nangle,pressure\n-30,20\n"
                            "-10,40\n0,60\n10,45\n30,20\n";
    const RunResult text = run({"summary", "--measured", trace.string()});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("\nMeasured trace trace.csv: 5 rows, -30.00 to 30.00 deg (a part of "
                            "the cycle)"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("  peak pressure                                   60.00 bar  at row "
                            "3, 0.00 deg\n"),
              std::string::npos)
        << text.out;
    const RunResult json = run({"summary", "--json", "--measured", trace.string()});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find("  },\n  \"measured\": {\n    \"file\": \"trace.csv\",\n"),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("    \"peak_pressure_bar\": 60,\n"), std::string::npos);
    EXPECT_EQ(json.out.substr(json.out.size() - 7), "\n  }\n}\n");
    const RunResult columns =
        run({"summary", "--measured", trace.string(), "--compare", "measured"});
    ASSERT_EQ(columns.status, 0) << columns.err;
    EXPECT_EQ(columns.out.find("Model:       the defaults\nMeasurement: trace.csv, -30.00 to "
                               "30.00 deg, 5 rows\n"),
              0u)
        << columns.out;
    EXPECT_NE(columns.out.find("  peak_pressure_bar "), std::string::npos);
    const fs::path svg = work_ / "p.svg";
    const RunResult plot =
        run({"plot", "--view", "pressure-angle", "--measured", trace.string(), "-o", svg.string()});
    ASSERT_EQ(plot.status, 0) << plot.err;
    EXPECT_NE(read_file(svg).find("trace.csv"), std::string::npos);
    fs::remove(svg);

    const fs::path bad = work_ / "bad.csv";
    std::ofstream(bad) << "angle,pressure\n-10,20\n0,abc\n";
    const fs::path out = work_ / "out.txt";
    const std::vector<std::pair<std::vector<std::string>, std::string>> wrong = {
        {{"summary", "--measured", bad.string(), "-o", out.string()},
         "the measured trace " + bad.string() + ", line 3: the pressure 'abc' is not a number"},
        {{"plot", "--view", "log-pv", "--measured", bad.string(), "-o", svg.string()},
         "the measured trace " + bad.string() + ", line 3: the pressure 'abc' is not a number"},
        {{"summary", "--measured", (work_ / "none.csv").string(), "-o", out.string()},
         "the measured trace " + (work_ / "none.csv").string() +
             " is not a regular file that can be read"},
        {{"summary", "--measured", trace.string(), "-o", trace.string()},
         trace.string() + " is the measured trace (--measured " + trace.string() +
             "): an output may not replace it"},
        {{"summary", "--compare", "measured", "-o", out.string()},
         "--compare measured needs the trace: --measured FILE"},
    };
    for (const auto& [args, message] : wrong) {
        SCOPED_TRACE(message);
        const RunResult result = run(args);
        EXPECT_EQ(result.status, usage_status);
        EXPECT_EQ(result.err.substr(0, result.err.find('\n')), "hcci-cycle-export: " + message);
        if (message.starts_with("the measured trace")) {
            EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);
        }
        EXPECT_FALSE(fs::exists(out));
        EXPECT_FALSE(fs::exists(svg));
    }
}

}  // namespace
}  // namespace hcci
