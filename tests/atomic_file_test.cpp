// SPDX-License-Identifier: MIT
#include "platform/atomic_file.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <variant>

namespace hcci {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;  // in bulk: a character at a time is slow for tens of MB
    content << in.rdbuf();
    return std::move(content).str();
}

// Permission bits as chmod takes them, such as 0640.
std::string octal(mode_t mode) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04o", static_cast<unsigned>(mode & 07777));
    return digits;
}

class AtomicFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::path(::testing::TempDir()) / "hcci-atomic-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::size_t entry_count() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {}));
    }

    fs::path dir_;
};

TEST_F(AtomicFile, NewFileGetsTheUsualPermissionsNotThoseOfATemporaryFile) {
    const mode_t old_mask = ::umask(022);
    const fs::path target = dir_ / "new.csv";
    const auto error = write_file_atomically(target.string(), "a,b\n");
    ::umask(old_mask);
    ASSERT_FALSE(error) << *error;
    EXPECT_EQ(read_file(target), "a,b\n");
    struct stat status {};
    ASSERT_EQ(::stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u);
    EXPECT_EQ(entry_count(), 1u);
}

TEST_F(AtomicFile, LinkKeepsPointingAtTheReplacedFile) {
    const fs::path real = dir_ / "real.csv";
    const fs::path link = dir_ / "link.csv";
    std::ofstream(real) << "old";
    fs::create_symlink(real, link);
    const auto error = write_file_atomically(link.string(), "new");
    ASSERT_FALSE(error) << *error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(read_file(real), "new");
    EXPECT_EQ(entry_count(), 2u);
}

TEST_F(AtomicFile, RelativeLinksAreFollowedFromTheirOwnDirectoryAndStayLinks) {
    fs::create_directory(dir_ / "sub");
    fs::create_directory(dir_ / "data");
    fs::create_symlink("sub/hop", dir_ / "first");
    fs::create_symlink("../data/out.csv", dir_ / "sub" / "hop");
    const auto error = write_file_atomically((dir_ / "first").string(), "new");
    ASSERT_FALSE(error) << *error;
    EXPECT_EQ(read_file(dir_ / "data" / "out.csv"), "new");
    EXPECT_TRUE(fs::is_symlink(dir_ / "first"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "sub" / "hop"));
    EXPECT_EQ(entry_count(), 3u);
}

TEST_F(AtomicFile, ADanglingChainCreatesItsEndUnlessItIsLongerThanFortyLinks) {
    const struct {
        int links;
        const char* error;
    } cases[] = {{1, nullptr}, {40, nullptr}, {41, "Too many levels of symbolic links"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.links) + " links");
        const fs::path chain = dir_ / std::to_string(c.links);
        fs::create_directory(chain);
        for (int i = 0; i < c.links; ++i) {
            const std::string next = i + 1 < c.links ? std::to_string(i + 1) : "end";
            fs::create_symlink(next, chain / std::to_string(i));
        }
        const std::string start = (chain / "0").string();
        const auto error = write_file_atomically(start, "x");
        if (c.error) {
            EXPECT_EQ(error, "cannot write " + start + ": " + c.error);
            EXPECT_FALSE(fs::exists(chain / "end"));
        } else {
            EXPECT_FALSE(error) << *error;
            EXPECT_EQ(read_file(chain / "end"), "x");
        }
        EXPECT_TRUE(fs::is_symlink(start));
        EXPECT_EQ(std::distance(fs::directory_iterator(chain), {}), c.links + (c.error ? 0 : 1));
    }
}

// The cases that must hold with either kind of temporary file.
class AtomicFileStaged : public AtomicFile, public ::testing::WithParamInterface<Staging> {};

INSTANTIATE_TEST_SUITE_P(Both, AtomicFileStaged,
                         ::testing::Values(Staging::unnamed_file, Staging::named_file),
                         [](const auto& info) {
                             return info.param == Staging::unnamed_file ? "unnamed" : "named";
                         });

TEST_P(AtomicFileStaged, AReplacedFileKeepsItsPermissionsAndOwners) {
    // Only root can give a file away; anyone else checks with their own user and group.
    const bool root = ::geteuid() == 0;
    const uid_t owner = root ? 1234 : ::geteuid();
    const gid_t group = root ? 5678 : ::getegid();
    for (const mode_t mode : {0600, 0640, 0644, 0755, 04755, 02750}) {
        SCOPED_TRACE(octal(mode));
        const fs::path target = dir_ / octal(mode);
        std::ofstream(target) << "old";
        ASSERT_EQ(::chown(target.c_str(), owner, group), 0);
        ASSERT_EQ(::chmod(target.c_str(), mode), 0);  // after chown, which clears set-id bits
        const auto error = write_file_atomically(target.string(), "new", {.staging = GetParam()});
        ASSERT_FALSE(error) << *error;
        struct stat status {};
        ASSERT_EQ(::stat(target.c_str(), &status), 0);
        EXPECT_EQ(octal(status.st_mode), octal(mode));
        EXPECT_EQ(status.st_uid, owner);
        EXPECT_EQ(status.st_gid, group);
    }
}

TEST_P(AtomicFileStaged, WhoCannotGiveAFileAwayStillKeepsItsGroup) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to write as another user";
    // User 1234 in groups 4444 and 5678 replaces a file of user 4321 and group 5678.
    fs::permissions(dir_, fs::perms::all);
    const fs::path target = dir_ / "shared.csv";
    std::ofstream(target) << "old";
    ASSERT_EQ(::chown(target.c_str(), 4321, 5678), 0);
    ASSERT_EQ(::chmod(target.c_str(), 06775), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const gid_t groups[] = {5678};
        const bool dropped =
            ::setgroups(1, groups) == 0 && ::setgid(4444) == 0 && ::setuid(1234) == 0;
        ::_exit(dropped && !write_file_atomically(target.string(), "new", {.staging = GetParam()})
                    ? 0
                    : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    struct stat replaced {};
    ASSERT_EQ(::stat(target.c_str(), &replaced), 0);
    EXPECT_EQ(replaced.st_uid, 1234u);
    EXPECT_EQ(replaced.st_gid, 5678u);
    EXPECT_EQ(octal(replaced.st_mode), "2775") << "set-user-ID must go with the owner";
}

TEST_P(AtomicFileStaged, AnInterruptedWriteLeavesTheOldOrTheNewFileAndNothingElse) {
    const fs::path target = dir_ / "out.csv";
    const std::string fresh(32 << 20, 'n');
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<useconds_t> delay(0, 40'000);
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::ofstream(target) << "old";
        const int signal = round % 2 == 0 ? SIGTERM : SIGINT;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            ::_exit(write_file_atomically(target.string(), fresh, {.staging = GetParam()}) ? 1 : 0);
        ::usleep(delay(random));
        ::kill(child, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) ? WTERMSIG(status) == signal : WEXITSTATUS(status) == 0);
        const std::string content = read_file(target);
        EXPECT_TRUE(content == "old" || content == fresh) << content.size() << " bytes";
        EXPECT_EQ(entry_count(), 1u);
    }
}

// A file staged for minutes (a video) and never committed, or ended by a signal while it is
// written, leaves the old content and no other file.
TEST_P(AtomicFileStaged, AStagedFileLeftOrCutShortLeavesTheOldFileAlone) {
    const fs::path target = dir_ / "sweep.mp4";
    std::ofstream(target) << "old";
    {
        auto staged = ReplacementFile::stage(target.string(), {.staging = GetParam()});
        ASSERT_TRUE(std::holds_alternative<ReplacementFile>(staged));
        ASSERT_EQ(write_all(std::get<ReplacementFile>(staged).fd(), "part of a video"), 0);
    }
    EXPECT_EQ(read_file(target), "old");
    EXPECT_EQ(entry_count(), 1u);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) {
        SCOPED_TRACE(signal);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const struct rlimit no_core {};  // SIGQUIT would dump one
            ::setrlimit(RLIMIT_CORE, &no_core);
            auto staged = ReplacementFile::stage(target.string(), {.staging = GetParam()});
            if (!std::holds_alternative<ReplacementFile>(staged)) ::_exit(3);
            (void)write_all(std::get<ReplacementFile>(staged).fd(), "part of a video");
            ::raise(signal);
            ::_exit(4);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(read_file(target), "old");
        EXPECT_EQ(entry_count(), 1u);
    }
}

// Two outputs that belong together (a study's table and plot), staged and written.
std::pair<ReplacementFile, ReplacementFile> staged_pair(const fs::path& a, const fs::path& b,
                                                        Staging staging) {
    auto first = ReplacementFile::stage(a.string(), {.staging = staging});
    auto second = ReplacementFile::stage(b.string(), {.staging = staging});
    EXPECT_TRUE(std::holds_alternative<ReplacementFile>(first));
    EXPECT_TRUE(std::holds_alternative<ReplacementFile>(second));
    std::pair<ReplacementFile, ReplacementFile> both{std::get<ReplacementFile>(std::move(first)),
                                                     std::get<ReplacementFile>(std::move(second))};
    EXPECT_EQ(write_all(both.first.fd(), "new table"), 0);
    EXPECT_EQ(write_all(both.second.fd(), "new plot"), 0);
    return both;
}

// Committed together, both targets are new, or (a failure, an ending signal) both old.
TEST_P(AtomicFileStaged, OutputsCommittedTogetherAreBothOldOrBothNew) {
    const fs::path table = dir_ / "study.csv";
    fs::create_directory(dir_ / "plots");
    const fs::path plot = dir_ / "plots" / "study.png";
    std::ofstream(table) << "old table";
    {
        auto [a, b] = staged_pair(table, plot, GetParam());
        ReplacementFile* files[] = {&a, &b};
        EXPECT_EQ(commit_together(files), std::nullopt);
    }
    EXPECT_EQ(read_file(table), "new table");
    EXPECT_EQ(read_file(plot), "new plot");
    EXPECT_EQ(entry_count(), 2u);
    // The plot's directory gone before the commit: the table is taken back, the plot not made.
    std::ofstream(table) << "old table";
    {
        auto [a, b] = staged_pair(table, plot, GetParam());
        fs::remove(plot);
        fs::rename(dir_ / "plots", dir_ / "moved");
        ReplacementFile* files[] = {&a, &b};
        const auto error = commit_together(files);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->rfind("cannot write " + plot.string() + ": ", 0), 0u) << *error;
    }
    EXPECT_EQ(read_file(table), "old table");
    EXPECT_FALSE(fs::exists(plot));
    EXPECT_EQ(entry_count(), 2u);  // the table and the moved directory, nothing staged
    // Ended by a signal at any moment, the pair is old and old or new and new.
    fs::remove_all(dir_ / "moved");
    fs::create_directory(dir_ / "plots");
    std::ofstream(plot) << "old plot";
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<useconds_t> delay(0, 4'000);
    for (int round = 0; round < 30; ++round) {
        std::ofstream(table) << "old table";
        std::ofstream(plot) << "old plot";
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            auto [a, b] = staged_pair(table, plot, GetParam());
            ReplacementFile* files[] = {&a, &b};
            ::_exit(commit_together(files) ? 1 : 0);
        }
        ::usleep(delay(random));
        ::kill(child, SIGTERM);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) || WEXITSTATUS(status) == 0) << status;
        const std::string pair = read_file(table) + " | " + read_file(plot);
        EXPECT_TRUE(pair == "old table | old plot" || pair == "new table | new plot") << pair;
        EXPECT_EQ(entry_count(), 2u);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "plots"), {}), 1);
    }
}

// What a descriptor is open on decides: one file by two names, a closed descriptor, the seeks a
// video needs.
TEST_F(AtomicFile, DescriptorsAreJudgedByWhatTheyAreOpenOn) {
    const fs::path input = dir_ / "p.toml";
    std::ofstream(input) << "gamma = 1.3\n";
    fs::create_symlink(input, dir_ / "q.toml");
    const int appending = ::open(input.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    const int both = ::open(input.c_str(), O_RDWR | O_CLOEXEC);
    const int writing = ::open(input.c_str(), O_WRONLY | O_CLOEXEC);
    int pipe_ends[2];
    ASSERT_EQ(::pipe(pipe_ends), 0);
    const auto fd = [](int n) { return "/dev/fd/" + std::to_string(n); };
    EXPECT_TRUE(writes_into(fd(appending), input.string()));
    EXPECT_TRUE(writes_into("/proc/self/fd/" + std::to_string(both), (dir_ / "q.toml").string()));
    EXPECT_FALSE(writes_into(fd(pipe_ends[1]), input.string()));
    EXPECT_FALSE(writes_into((dir_ / "other.csv").string(), input.string()));
    EXPECT_FALSE(writes_into("/dev/null", "/dev/null"));  // nothing kept to lose
    EXPECT_TRUE(one_destination(fd(pipe_ends[1]), "/proc/self/fd/" + std::to_string(pipe_ends[1])));
    EXPECT_TRUE(one_destination(fd(writing), (dir_ / "q.toml").string()));
    EXPECT_TRUE(one_destination((dir_ / "new.csv").string(), (dir_ / "." / "new.csv").string()));
    EXPECT_FALSE(one_destination((dir_ / "new.csv").string(), (dir_ / "new.png").string()));
    EXPECT_FALSE(one_destination("/dev/null", "/dev/null"));
    struct InPlace {
        std::string path;
        FormatWriting writing;
        const char* problem;  // the start of it, or nothing
    };
    const InPlace cases[] = {
        {fd(pipe_ends[1]), FormatWriting::streamed, nullptr},
        {fd(pipe_ends[1]), FormatWriting::seeks, "leads to a pipe"},
        {fd(appending), FormatWriting::seeks, "is open for appending"},
        {fd(writing), FormatWriting::seeks, nullptr},
        {fd(writing), FormatWriting::seeks_and_reads, "is open for writing only"},
        {fd(both), FormatWriting::seeks_and_reads, nullptr},
        {"/dev/null", FormatWriting::seeks, "leads to a pipe, a socket or a device"},
        {(dir_ / "new.mp4").string(), FormatWriting::seeks_and_reads, nullptr},  // staged
    };
    for (const InPlace& c : cases) {
        SCOPED_TRACE(c.path + " " + std::to_string(static_cast<int>(c.writing)));
        const auto problem = in_place_problem(c.path, c.writing);
        if (c.problem == nullptr) {
            EXPECT_EQ(problem, std::nullopt);
            EXPECT_EQ(unwritable_target(c.path, {.writing = c.writing}), std::nullopt);
        } else {
            ASSERT_TRUE(problem);
            EXPECT_EQ(problem->rfind(c.problem, 0), 0u) << *problem;
            EXPECT_EQ(unwritable_target(c.path, {.writing = c.writing}),
                      "cannot write " + c.path + ": it " + *problem);
        }
    }
    for (const int open_fd : {appending, both, writing, pipe_ends[0], pipe_ends[1]}) {
        ::close(open_fd);
    }
    EXPECT_EQ(read_file(input), "gamma = 1.3\n");
    EXPECT_EQ(unwritable_target(fd(both)), "cannot write " + fd(both) + ": it is closed");
}

// Another user's file in a sticky directory (/tmp) cannot be replaced, however its mode reads:
// told when it is staged, before the work.
TEST_F(AtomicFile, AnotherUsersFileInAStickyDirectoryIsRefusedWhenStaged) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to write as another user";
    ASSERT_EQ(::chmod(dir_.c_str(), 01777), 0);
    const fs::path target = dir_ / "v.mp4";
    std::ofstream(target) << "root's";
    ASSERT_EQ(::chmod(target.c_str(), 0666), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(1234) != 0 || ::setuid(1234) != 0) ::_exit(3);
        const auto problem = unwritable_target(target.string());
        const auto staged = ReplacementFile::stage(target.string());
        const std::string expected =
            "cannot write " + target.string() + ": it is another user's, in a sticky directory";
        const bool told = problem && problem->rfind(expected, 0) == 0 &&
                          std::holds_alternative<std::string>(staged) &&
                          std::get<std::string>(staged).rfind(expected, 0) == 0;
        // Its own file there it may replace.
        const bool own = !write_file_atomically((dir_ / "mine.csv").string(), "a") &&
                         !write_file_atomically((dir_ / "mine.csv").string(), "b");
        ::_exit(told && own ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(read_file(target), "root's");
}

TEST_F(AtomicFile, SignalsThatWouldNotEndTheProcessDoNotCutTheWriteShort) {
    const fs::path target = dir_ / "out.csv";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // SIGHUP ignored as under nohup, SIGTERM held back by the program; both stay pending.
        ::signal(SIGHUP, SIG_IGN);
        sigset_t held;
        sigemptyset(&held);
        sigaddset(&held, SIGHUP);
        sigaddset(&held, SIGTERM);
        ::sigprocmask(SIG_BLOCK, &held, nullptr);
        ::raise(SIGHUP);
        ::raise(SIGTERM);
        ::_exit(write_file_atomically(target.string(), "new", {.staging = Staging::named_file})
                    ? 1
                    : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(read_file(target), "new");
}

// One of the process's own descriptors is written as it is open, whatever it leads to: the
// file behind /dev/stdout is not replaced (">> log" appends), and a pipe takes the bytes.
TEST_F(AtomicFile, AnOwnDescriptorIsWrittenAsItIsOpen) {
    const fs::path log = dir_ / "log";
    std::ofstream(log) << "keep\n";
    const int appending = ::open(log.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(appending, 0);
    int pipe_ends[2];
    ASSERT_EQ(::pipe(pipe_ends), 0);
    const fs::path link = dir_ / "to-the-pipe";
    fs::create_symlink("/dev/fd/" + std::to_string(pipe_ends[1]), link);
    for (const std::string& path :
         {"/proc/self/fd/" + std::to_string(appending), "/dev/fd/" + std::to_string(appending)}) {
        EXPECT_EQ(write_file_atomically(path, "new\n"), std::nullopt);
        EXPECT_EQ(unwritable_target(path), std::nullopt);
    }
    EXPECT_EQ(read_file(log), "keep\nnew\nnew\n");
    EXPECT_EQ(write_file_atomically(link.string(), "through"), std::nullopt);
    ::close(pipe_ends[1]);
    char got[16] = {};
    EXPECT_EQ(::read(pipe_ends[0], got, sizeof got), 7);
    EXPECT_EQ(std::string(got), "through");
    ::close(pipe_ends[0]);
    ::close(appending);
    EXPECT_EQ(entry_count(), 2u);  // the log and the link: nothing staged beside them
    const auto closed = write_file_atomically("/dev/fd/999", "x");
    ASSERT_TRUE(closed);
    EXPECT_EQ(*closed, "cannot write /dev/fd/999: it is closed");
}

// A file whose mode or owner does not let the user write it is refused, as the shell's > does,
// though the directory would let it be replaced; forced, it is replaced.
TEST_F(AtomicFile, AWriteProtectedFileIsReplacedOnlyWhenForced) {
    const fs::path target = dir_ / "theirs.csv";
    std::ofstream(target) << "theirs";
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    fs::permissions(dir_, fs::perms::all);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // As root every file is writable: the refusal is checked as another user.
        if (::geteuid() == 0 && (::chown(target.c_str(), 4321, 4321) != 0 || ::setgid(1234) != 0 ||
                                 ::setuid(1234) != 0)) {
            ::_exit(3);
        }
        const auto refused = write_file_atomically(target.string(), "mine");
        const auto told = unwritable_target(target.string());
        const bool right =
            refused && *refused == "cannot write " + target.string() + ": it is write-protected" &&
            told == refused;
        if (!right || read_file(target) != "theirs") ::_exit(4);
        ::_exit(write_file_atomically(target.string(), "mine", {.force = true}) ? 5 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(read_file(target), "mine");
}

TEST_F(AtomicFile, FailureNamesThePathAndTheReason) {
    const fs::path target = dir_ / "no" / "such" / "dir.csv";
    const auto error = write_file_atomically(target.string(), "x");
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, "cannot write " + target.string() + ": No such file or directory");
    EXPECT_EQ(entry_count(), 0u);
}

}  // namespace
}  // namespace hcci
