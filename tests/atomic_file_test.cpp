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
    EXPECT_EQ(*closed, "cannot write /dev/fd/999: Bad file descriptor");
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
