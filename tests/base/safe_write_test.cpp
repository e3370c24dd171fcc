// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/safe_write.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace k470 {
namespace {

namespace fs = std::filesystem;

class SafeWriteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("k470_safe_write_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string at(const std::string& name) const { return (dir_ / name).string(); }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    size_t entries() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
    }

    fs::path dir_;
};

// Every kind of target the user may name, the file that ends up holding the text, and what is there after.
TEST_F(SafeWriteTest, WritesEachKindOfTargetTheWayItMustBeWritten) {
    write(at("old.txt"), "earlier output");
    write(at("real.txt"), "through the link");
    fs::create_symlink("real.txt", at("link.txt"));
    fs::create_symlink("sub/new.txt", at("dangling.txt"));
    fs::create_directory(at("sub"));
    struct Case {
        const char* asked;
        const char* holder;  // where the text must land
    } cases[] = {
        {"new.txt", "new.txt"},
        {"old.txt", "old.txt"},
        {"link.txt", "real.txt"},
        {"dangling.txt", "sub/new.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        ASSERT_TRUE(WriteFileSafely(at(c.asked), "new text").ok());
        EXPECT_EQ(read(at(c.holder)), "new text");
    }
    EXPECT_TRUE(fs::is_symlink(at("link.txt")));
    EXPECT_TRUE(fs::is_symlink(at("dangling.txt")));
    // Nothing but the outputs, the links and the directory: no temporary file stayed behind.
    EXPECT_EQ(entries(), 6u);
}

TEST_F(SafeWriteTest, NewFilesTakeTheUmasksPermissions) {
    for (mode_t mask : {mode_t{022}, mode_t{077}, mode_t{002}}) {
        const mode_t before = ::umask(mask);
        const std::string path = at("perm" + std::to_string(mask));
        const Status s = WriteFileSafely(path, "x");
        ::umask(before);
        ASSERT_TRUE(s.ok());
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask) << "umask " << mask;
    }
}

TEST_F(SafeWriteTest, RefusedTargetsNameTheAskedFileAndGiveTheReason) {
    fs::create_directory(at("dir"));
    struct Case {
        std::string path;
        std::string reason;
    } cases[] = {
        {at("dir"), "Is a directory"},
        {at("nodir/out.txt"), "No such file or directory"},
        {"", "No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        auto out = OutputFile::Create(c.path);
        ASSERT_FALSE(out.ok());
        EXPECT_EQ(out.error().message, "Can't write file '" + c.path + "'");
        EXPECT_EQ(out.error().reason, c.reason);
    }
    EXPECT_TRUE(fs::is_directory(at("dir")));
}

TEST_F(SafeWriteTest, AnOutputNotCommittedLeavesTheEarlierFileAsItWas) {
    write(at("out.txt"), "earlier output");
    {
        auto out = OutputFile::Create(at("out.txt"));
        ASSERT_TRUE(out.ok());
        ASSERT_TRUE(out->file().write("partial", 7));
        // Dropped without Commit, as on any failure of the writer.
    }
    EXPECT_EQ(read(at("out.txt")), "earlier output");
    EXPECT_EQ(entries(), 1u);
    {
        auto out = OutputFile::Create(at("fresh.txt"));
        ASSERT_TRUE(out.ok());
        out->Discard();
    }
    EXPECT_FALSE(fs::exists(at("fresh.txt")));
    EXPECT_EQ(entries(), 1u);
}

TEST_F(SafeWriteTest, DevicesAndFifosAreWrittenStraightAndStayWhatTheyAre) {
    auto null = OutputFile::Create("/dev/null");
    ASSERT_TRUE(null.ok());
    EXPECT_TRUE(null->isDirect());
    ASSERT_TRUE(null->file().write("x", 1));
    ASSERT_TRUE(null->Commit().ok());
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    const std::string fifo = at("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    {
        auto out = OutputFile::Create(fifo);
        ASSERT_TRUE(out.ok());
        EXPECT_TRUE(out->isDirect());
        ASSERT_TRUE(out->file().write("through", 7));
        ASSERT_TRUE(out->Commit().ok());
    }
    char got[8] = {};
    EXPECT_EQ(::read(reader, got, sizeof got), 7);
    EXPECT_STREQ(got, "through");
    ::close(reader);
    EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST_F(SafeWriteTest, AFullDeviceIsAFailureWithTheSystemsReason) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const Status s = WriteFileSafely("/dev/full", "anything");
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error().message, "Can't write file '/dev/full'");
    EXPECT_EQ(s.error().reason, "No space left on device");
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST_F(SafeWriteTest, TheOutputIsFoundAmongTheInputsWhateverItsName) {
    write(at("in.bin"), "records");
    write(at("other.bin"), "records");
    fs::create_hard_link(at("in.bin"), at("hard.bin"));
    fs::create_symlink("in.bin", at("soft.bin"));
    const std::vector<std::string> inputs = {at("other.bin"), at("in.bin")};
    for (const std::string& output :
         {at("in.bin"), at("hard.bin"), at("soft.bin"), dir_.string() + "/./in.bin"}) {
        SCOPED_TRACE(output);
        EXPECT_EQ(inputWrittenByOutput(output, inputs), at("in.bin"));
        const Status s = refuseOutputOverInput(output, inputs);
        ASSERT_FALSE(s.ok());
        EXPECT_EQ(s.error().message, "The output file is one of the input files '" + output + "'");
    }
    // Same content under another inode, a new name and standard output are not the input.
    for (const std::string& output : {at("copy.bin"), std::string("-")}) {
        EXPECT_FALSE(inputWrittenByOutput(output, std::vector<std::string>{at("other.bin")}).has_value());
    }
    EXPECT_FALSE(inputWrittenByOutput(at("other.bin"), std::vector<std::string>{at("in.bin")}).has_value());
}

TEST_F(SafeWriteTest, InputsMustBeRegularFilesAndAFifoDoesNotBlock) {
    write(at("in.bin"), "records");
    fs::create_directory(at("dir"));
    const std::string fifo = at("fifo.bin");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string path;
        std::string reason;  // empty: accepted
    } cases[] = {
        {at("in.bin"), ""},
        {fifo, "Not a regular file"},
        {at("dir"), "Is a directory"},
        {"/dev/null", "Not a regular file"},
        {at("missing.bin"), "No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const Status checked = checkInputFile(c.path);
        auto opened = File::Open(c.path, File::Mode::Read);
        EXPECT_EQ(checked.ok(), c.reason.empty());
        EXPECT_EQ(opened.ok(), c.reason.empty());
        if (c.reason.empty()) continue;
        EXPECT_EQ(checked.error().message, "Can't open file '" + c.path + "'");
        EXPECT_EQ(checked.error().reason, c.reason);
        EXPECT_EQ(opened.error().reason, c.reason);
    }
}

}  // namespace
}  // namespace k470
