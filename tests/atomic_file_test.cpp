#include "atomic_file.h"

#include <sys/stat.h>

#include <gtest/gtest.h>
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

TEST_F(AtomicFile, FailureNamesThePathAndTheReason) {
    const fs::path target = dir_ / "no" / "such" / "dir.csv";
    const auto error = write_file_atomically(target.string(), "x");
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, "cannot write " + target.string() + ": No such file or directory");
    EXPECT_EQ(entry_count(), 0u);
}

}  // namespace
}  // namespace hcci
