// SPDX-License-Identifier: MIT
// What hostile testing of the programs found, kept: each row is a shell command line run in a
// fresh directory, with what must come of it.

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace hcci {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Hostile {
    const char* name;
    // Run by bash in a fresh directory: $X is hcci-cycle-export, $W hcci-cycle; "status" is
    // the program's own status, which the line writes to a file of that name.
    const char* script;
    int status;
    const char* error;     // a part of what the program says on standard error, or ""
    const char* file;      // a file the line leaves, or ""
    const char* contains;  // ... which holds this
};

const Hostile cases[] = {
    {"stdout_appended_not_replaced",
     "echo keep > log; $X summary -o /dev/stdout >> log; echo $? > status", 0, "", "log",
     "keep\nOne sweep of the engine"},
    {"descriptor_link_into_a_pipe",
     "$X summary --json -o /proc/self/fd/1 | cat > piped; echo ${PIPESTATUS[0]} > status", 0, "",
     "piped", "\"imep_bar\": 4.828919229565076"},
    {"an_output_that_is_the_parameter_file",
     "printf 'gamma = 1.3\\n' > p.toml; ln -s p.toml q.toml; $X csv --params p.toml -o q.toml;"
     " echo $? > status",
     2, "is the engine's parameter file", "p.toml", "gamma = 1.3\n"},
    // As root every file is writable: the line then writes as another user, the file another's.
    {"write_protected_file",
     "echo theirs > theirs.csv; chmod 0444 theirs.csv; chmod 0777 .; as=;"
     " if [ $(id -u) = 0 ]; then chown 4321 theirs.csv;"
     " as='setpriv --reuid=65534 --regid=65534 --clear-groups'; fi;"
     " $as $X csv -o theirs.csv; echo $? > status",
     1, "cannot write theirs.csv: it is write-protected", "theirs.csv", "theirs\n"},
    {"write_protected_file_forced",
     "echo theirs > theirs.csv; chmod 0444 theirs.csv; chmod 0777 .; as=;"
     " if [ $(id -u) = 0 ]; then chown 4321 theirs.csv;"
     " as='setpriv --reuid=65534 --regid=65534 --clear-groups'; fi;"
     " $as $X csv --force -o theirs.csv; echo $? > status",
     0, "", "theirs.csv", "step,angle_atdc,"},
    {"deep_dotted_keys",
     "python3 -c \"print('a' + '.a' * 40000 + ' = 1')\" > deep.toml;"
     " $X csv --params deep.toml -o out.csv; echo $? > status",
     2, "deep.toml line 1: a parameter file is flat", "", ""},
    {"deep_table_headers_in_the_window",
     "printf 'gamma = 1.3\\n' > deep.toml; python3 -c \"print('[' + 'a.' * 30000 + 'a]')\" >> "
     "deep.toml;"
     " $W --params deep.toml; echo $? > status",
     2, "deep.toml line 2: a parameter file is flat", "", ""},
    {"nested_arrays",
     "python3 -c \"print('gamma = ' + '[' * 30000)\" > deep.toml; $X summary --params deep.toml;"
     " echo $? > status",
     2, "line 1: a parameter's value is a number, not an array", "", ""},
    {"overflowing_setting", "$X summary --set gamma=1e9999; echo $? > status", 2,
     "parameter gamma = '1e9999' is beyond the range of numbers", "", ""},
    {"underflowing_setting", "$X summary --set main_ignition_rise=1e-400; echo $? > status", 2,
     "parameter main_ignition_rise = '1e-400' is beyond the range of numbers", "", ""},
    {"underflowing_file_value",
     "printf 'main_ignition_rise = 1e-400\\n' > p.toml; $X summary --params p.toml;"
     " echo $? > status",
     2, "p.toml line 1: parameter main_ignition_rise = 1e-400 is beyond the range of numbers", "",
     ""},
    {"huge_integer_in_a_file",
     "printf 'gamma = 9223372036854775807\\n' > p.toml; $X summary --params p.toml;"
     " echo $? > status",
     2, "p.toml line 1: parameter gamma = 9223372036854775807 is outside its range (1, 1.67]", "",
     ""},
    {"file_errors_in_file_order",
     "printf 'zz_unknown = 1\\ngamma = 7\\n' > p.toml; $X summary --params p.toml;"
     " echo $? > status",
     2, "p.toml line 1: unknown parameter 'zz_unknown'", "", ""},
    {"newline_in_a_setting", "$X summary --set $'gamma=1.3\\nrod_length=100'; echo $? > status", 2,
     "parameter gamma = '1.3\\nrod_length=100' is not a number", "", ""},
    {"closed_standard_output", "$X png -o - >&-; echo $? > status", 1,
     "cannot write standard output: it is closed", "", ""},
    {"video_to_standard_output", "$X video -o -; echo $? > status", 2, "a video needs a file", "",
     ""},
    // A descriptor target is judged by what it is open on, whatever its name.
    {"closed_stdout_by_its_name", "$X summary -o /dev/stdout >&-; echo $? > status", 1,
     "cannot write /dev/stdout: it is closed", "", ""},
    {"closed_stdout_through_proc", "$X csv -o /proc/self/fd/1 >&-; echo $? > status", 1,
     "cannot write /proc/self/fd/1: it is closed", "", ""},
    {"closed_stdout_for_a_study",
     "$X study --vary gamma=1.3:1.4:0.1 -o /dev/fd/1 >&-; echo $? > status", 1,
     "cannot write /dev/fd/1: it is closed", "", ""},
    {"closed_stdout_for_parameters", "$X params -o /dev/stdout >&-; echo $? > status", 1,
     "cannot write /dev/stdout: it is closed", "", ""},
    {"closed_stdout_for_a_summary", "$X summary >&-; echo $? > status", 1,
     "cannot write standard output: it is closed", "", ""},
    {"video_through_a_link_to_stdout_truncated",
     "ln -s /dev/stdout v.mp4; $X video --duration 1 --fps 5 -o v.mp4 > out.mp4;"
     " echo $? > status",
     2, "v.mp4 is open for writing only", "", ""},
    {"video_through_a_link_to_stdout_appended",
     "ln -s /dev/stdout v.webm; $X video --duration 1 --fps 5 -o v.webm >> out.webm;"
     " echo $? > status",
     2, "v.webm is open for appending", "", ""},
    {"video_into_a_pipe_by_another_name",
     "ln -s /dev/stdout v.mp4; $X video --duration 1 --fps 5 -o v.mp4 | cat > out.mp4;"
     " echo ${PIPESTATUS[0]} > status",
     2, "v.mp4 leads to a pipe, a socket or a device, which cannot seek", "", ""},
    // Open for both, the video is written into standard output's file, and reads back whole.
    {"video_into_stdout_open_for_both",
     "ln -s /dev/stdout v.mp4; $X video --duration 0.4 --fps 5 -o v.mp4 1<> out.mp4;"
     " echo $? > status; python3 -c \"b = open('out.mp4', 'rb').read();"
     " print(b[4:8], b.find(b'moov') < b.find(b'mdat'))\" > boxes",
     0, "", "boxes", "b'ftyp' True\n"},
    {"gif_into_a_pipe_by_another_name",
     "ln -s /dev/stdout v.gif; $X video --duration 0.2 --fps 5 -o v.gif | cat > out.gif;"
     " echo ${PIPESTATUS[0]} > status",
     0, "", "out.gif", "GIF89a"},
    {"stdout_appended_to_the_parameter_file",
     "printf 'gamma = 1.3\\n' > p.toml; $X summary --params p.toml -o - >> p.toml;"
     " echo $? > status",
     2, "standard output is the engine's parameter file", "p.toml", "gamma = 1.3\n"},
    {"stdout_open_on_the_parameter_file",
     "printf 'gamma = 1.3\\n' > p.toml; $X csv --params p.toml 1<> p.toml; echo $? > status", 2,
     "standard output is the engine's parameter file", "p.toml", "gamma = 1.3\n"},
    {"stdout_on_the_baseline_file",
     "printf 'gamma = 1.3\\n' > b.toml; $X summary --compare b.toml >> b.toml;"
     " echo $? > status",
     2, "standard output is the baseline's parameter file", "b.toml", "gamma = 1.3\n"},
    {"plot_and_table_on_one_descriptor",
     "ln -s /dev/stdout plot.png; $X study --vary gamma=1.3:1.4:0.1 --plot plot.png > mixed.out;"
     " echo $? > status",
     2, "the table (standard output) and the plot (--plot plot.png) would be one file", "", ""},
    {"plot_and_table_on_one_file_by_two_names",
     "ln -s t.csv u.png; $X study --vary gamma=1.3:1.4:0.1 -o t.csv --plot u.png;"
     " echo $? > status",
     2, "the table (-o t.csv) and the plot (--plot u.png) would be one file", "", ""},
    // As root: the target is written as another user, in a sticky directory, the file root's
    // (as another user the directory is closed instead); either is told before the work.
    {"another_users_file_in_a_sticky_directory",
     "mkdir sticky; chmod 1777 sticky; echo old > sticky/v.gif; chmod 666 sticky/v.gif;"
     " chmod 0777 .; as=; if [ $(id -u) = 0 ]; then"
     " as='setpriv --reuid=65534 --regid=65534 --clear-groups'; else chmod 1555 sticky; fi;"
     " SECONDS=0; $as $X video --duration 30 -o sticky/v.gif; echo $? > status;"
     " { cat sticky/v.gif; [ $SECONDS -lt 5 ] && echo at once; } > after",
     1, "cannot write sticky/v.gif: ", "after", "old\nat once\n"},
    // The other target kinds, a command each.
    {"svg_through_a_link_to_a_new_file",
     "ln -s made.svg l.svg; $X svg -o l.svg; echo $? > status; test -L l.svg && echo link >> "
     "made.svg",
     0, "", "made.svg", "</svg>\nlink\n"},
    {"png_over_a_hard_link", "echo old > a.png; ln a.png b.png; $X png -o a.png; echo $? > status",
     0, "", "b.png", "old\n"},
    {"params_into_a_device", "$X params -o /dev/null; echo $? > status", 0, "", "", ""},
    {"json_into_another_descriptor", "$X summary --json -o /dev/fd/3 3> out.json; echo $? > status",
     0, "", "out.json", "\"imep_bar\": 4.828919229565076"},
    {"plot_into_a_closed_descriptor",
     "ln -s /dev/fd/3 p.png; $X plot --view pressure-angle -o p.png 3>&-; echo $? > status", 1,
     "cannot write p.png: it is closed", "", ""},
    {"csv_on_its_own_input_by_descriptor",
     "printf 'gamma = 1.3\\n' > p.toml; $X csv --params p.toml -o /dev/fd/3 3>> p.toml;"
     " echo $? > status",
     2, "/dev/fd/3 is the engine's parameter file", "p.toml", "gamma = 1.3\n"},
    {"bdc_pressure_underflowing", "$X summary --set bdc_pressure=5e-324; echo $? > status", 2,
     "(bdc_pressure = 5e-324) carry the model beyond the range of numbers", "", ""},
    {"deep_dotted_keys_after_a_quoted_part",
     "python3 -c \"print('\\\"a\\\".' + '.'.join(['b'] * 50000) + ' = 1')\" > deep.toml;"
     " $X summary --params deep.toml; echo $? > status",
     2, "deep.toml line 1: a parameter file is flat", "", ""},
    {"deep_dotted_keys_after_a_quoted_part_in_a_study",
     "python3 -c \"print('\\\"a\\\".' + '.'.join(['b'] * 50000) + ' = 1')\" > deep.toml;"
     " $X study --vary gamma=1.3:1.4:0.1 --params deep.toml; echo $? > status",
     2, "deep.toml line 1: a parameter file is flat", "", ""},
    // A plot's axis over a range narrower than its labels' digits ends.
    {"study_plot_over_a_range_too_narrow_to_label",
     "timeout 120 $X study --vary gamma=1.4:1.4000000000001:1e-14 -o /dev/null --plot t.png;"
     " echo $? > status",
     0, "", "", ""},
    {"study_range_whose_values_cannot_be_told_apart",
     "$X study --vary gamma=1.4:1.4000000000000004:1e-17 --plot t.png; echo $? > status", 2,
     "--vary gamma: a step of 1e-17 is too small for the numbers near", "", ""},
    {"one_frame_gif_shows_for_a_while",
     "$X video --duration 0.01 --hold 0 -o one.gif && python3 -c \"b=open('one.gif','rb').read();"
     " i=b.find(bytes([0x21,0xf9,4])); print('delay', b[i+4] | b[i+5] << 8)\" > delay;"
     " echo $? > status",
     0, "", "delay", "delay 3\n"},
};

class HostileInput : public ::testing::TestWithParam<Hostile> {
protected:
    void SetUp() override {
        std::string pattern = (fs::path(::testing::TempDir()) / "hcci-hostile-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_P(HostileInput, EndsAsItShould) {
    const Hostile& c = GetParam();
    const fs::path program = HCCI_EXPORT_PROGRAM;
    const std::string line = "cd '" + dir_.string() + "' && X='" + program.string() + "' W='" +
                             (program.parent_path() / "hcci-cycle").string() + "' && { " +
                             c.script + "; } 2> errors";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::execl("/bin/bash", "bash", "-c", line.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int wait_status = 0;
    ASSERT_EQ(::waitpid(child, &wait_status, 0), child);
    ASSERT_TRUE(WIFEXITED(wait_status));
    const std::string errors = read_file(dir_ / "errors");
    EXPECT_EQ(read_file(dir_ / "status"), std::to_string(c.status) + "\n") << errors;
    EXPECT_NE(errors.find(c.error), std::string::npos) << errors;
    if (*c.file != '\0') {
        EXPECT_NE(read_file(dir_ / c.file).find(c.contains), std::string::npos)
            << read_file(dir_ / c.file).substr(0, 200);
    }
    // A refusal is one line (then where to read more), and leaves no output and no staged file
    // behind.
    if (c.status == 2 && *c.file == '\0') {
        const std::string told = errors.substr(0, errors.find("try '"));
        EXPECT_EQ(told.find('\n'), told.size() - 1) << errors;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            const std::string name = entry.path().filename().string();
            EXPECT_NE(name, "out.csv");
            EXPECT_NE(name.rfind(".hcci-", 0), 0u) << name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Programs, HostileInput, ::testing::ValuesIn(cases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hcci
