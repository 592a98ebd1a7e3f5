#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "formats/path_check.h"

using namespace tessaline;
namespace fs = std::filesystem;

namespace {

class PathCheckTest : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("tessaline-path-check-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string file(const std::string& name, std::size_t bytes)
    {
        const std::string path = (folder_ / name).string();
        std::ofstream(path, std::ios::binary) << std::string(bytes, 'x');
        return path;
    }
    std::string at(const std::string& name) const { return (folder_ / name).string(); }

    fs::path folder_;
};

PathProblem reading(const std::string& path, std::uint64_t limit = 100, SpecialFiles specials = SpecialFiles::Refused)
{
    return checkBeforeReading(path, limit, specials).problem;
}

PathProblem writing(const std::string& path, SpecialFiles specials = SpecialFiles::Refused)
{
    return checkBeforeWriting(path, specials).problem;
}

}  // namespace

TEST_F(PathCheckTest, ReadingTakesFilesUpToTheLimitThroughLinks)
{
    const std::string ten = file("ten", 10);
    EXPECT_EQ(reading(ten, 10), PathProblem::None);
    EXPECT_EQ(checkBeforeReading(ten, 10, SpecialFiles::Refused).size, 10u);
    EXPECT_EQ(reading(ten, 9), PathProblem::TooLarge);
    fs::create_symlink(ten, at("link"));
    EXPECT_EQ(reading(at("link"), 9), PathProblem::TooLarge);

    EXPECT_EQ(reading(""), PathProblem::NoName);
    EXPECT_EQ(reading(at("none")), PathProblem::Missing);
    EXPECT_EQ(reading(at("ten/below")), PathProblem::Missing);
    fs::create_symlink(at("none"), at("dangling"));
    EXPECT_EQ(reading(at("dangling")), PathProblem::Missing);
    EXPECT_EQ(reading(folder_.string()), PathProblem::Folder);

    const int fd = ::open(ten.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(checkBeforeReading(fd, 9, SpecialFiles::Allowed).problem, PathProblem::TooLarge);
    ::close(fd);
}

TEST_F(PathCheckTest, SpecialFilesOnlyWhereAllowed)
{
    ASSERT_EQ(::mkfifo(at("fifo").c_str(), 0600), 0);
    EXPECT_EQ(reading(at("fifo")), PathProblem::SpecialFile);
    EXPECT_EQ(writing(at("fifo")), PathProblem::SpecialFile);
    const PathCheck allowed = checkBeforeReading(at("fifo"), 0, SpecialFiles::Allowed);
    EXPECT_EQ(allowed.problem, PathProblem::None);  // no size, so no limit
    EXPECT_TRUE(allowed.specialFile);
    EXPECT_TRUE(checkBeforeWriting("/dev/null", SpecialFiles::Allowed).specialFile);
    EXPECT_EQ(writing("/dev/null"), PathProblem::SpecialFile);
}

TEST_F(PathCheckTest, WritingRefusesFoldersMissingFoldersAndReadOnlyFiles)
{
    EXPECT_EQ(writing(""), PathProblem::NoName);
    EXPECT_EQ(writing(at("new")), PathProblem::None);
    EXPECT_EQ(writing(at("no-folder/new")), PathProblem::FolderMissing);
    EXPECT_EQ(writing(folder_.string()), PathProblem::Folder);
    EXPECT_EQ(writing(at("new") + "/"), PathProblem::Folder);

    // Read-only for its owner is refused for every user, root included.
    const std::string kept = file("kept", 3);
    for (mode_t mode : {0444u, 0400u, 0555u}) {
        ASSERT_EQ(::chmod(kept.c_str(), mode), 0);
        EXPECT_EQ(writing(kept), PathProblem::ReadOnly) << std::oct << mode;
    }
    ASSERT_EQ(::chmod(kept.c_str(), 0644), 0);
    EXPECT_EQ(writing(kept), PathProblem::None);
    fs::create_symlink(kept, at("to-kept"));
    ASSERT_EQ(::chmod(kept.c_str(), 0444), 0);
    EXPECT_EQ(writing(at("to-kept")), PathProblem::ReadOnly);
}
