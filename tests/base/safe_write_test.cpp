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

// A recording grows where it can be found after a crash, and never in an existing file: a new name grows in
// place; an existing file (and its other hard link) stays as it was while the recording grows beside it
// under a name that says what it is, and is replaced only by Commit.
TEST_F(SafeWriteTest, ARecordingGrowsInPlaceOnlyWhereNothingWasThere) {
    write(at("old.sdt"), "earlier recording");
    fs::create_hard_link(at("old.sdt"), at("other-name.sdt"));
    write(at("plain"), "earlier");
    struct Case {
        const char* asked;
        bool inPlace;              // grows at the asked name
        const char* partialStart;  // else: the name it grows under starts so, and ends in the extension
        const char* partialEnd;
    } cases[] = {
        {"new.sdt", true, "", ""},
        {"old.sdt", false, "old.partial-", ".sdt"},
        {"plain", false, "plain.partial-", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        const std::string before = fs::exists(at(c.asked)) ? read(at(c.asked)) : "";
        auto out = OutputFile::Create(at(c.asked), Placement::Growing);
        ASSERT_TRUE(out.ok());
        EXPECT_FALSE(out->isDirect());
        EXPECT_EQ(out->replacesEarlierFile(), !c.inPlace);
        ASSERT_TRUE(out->file().write("grown", 5));
        // What was written is on disk under a name of its own, as a killed program leaves it.
        const std::string at_ = out->writtenAt();
        EXPECT_EQ(read(at_), "grown");
        if (c.inPlace) {
            EXPECT_EQ(at_, at(c.asked));
        } else {
            const std::string name = fs::path(at_).filename().string();
            EXPECT_TRUE(name.starts_with(c.partialStart) && name.ends_with(c.partialEnd)) << name;
            EXPECT_EQ(name.size(), std::string(c.partialStart).size() + 8 + std::string(c.partialEnd).size());
            EXPECT_EQ(read(at(c.asked)), before);
        }
        ASSERT_TRUE(out->Commit().ok());
        EXPECT_EQ(read(at(c.asked)), "grown");
        EXPECT_FALSE(fs::exists(at_) && at_ != at(c.asked));
    }
    EXPECT_EQ(read(at("other-name.sdt")), "earlier recording");  // never written through a hard link
    EXPECT_EQ(entries(), 4u);
}

TEST_F(SafeWriteTest, ADiscardedRecordingTakesAwayOnlyWhatItMade) {
    write(at("old.sdt"), "earlier recording");
    for (const char* name : {"new.sdt", "old.sdt"}) {
        SCOPED_TRACE(name);
        auto out = OutputFile::Create(at(name), Placement::Growing);
        ASSERT_TRUE(out.ok());
        ASSERT_TRUE(out->file().write("grown", 5));
        out->Discard();
    }
    EXPECT_FALSE(fs::exists(at("new.sdt")));
    EXPECT_EQ(read(at("old.sdt")), "earlier recording");
    EXPECT_EQ(entries(), 1u);
    // A file that took the new name meanwhile is someone else's: it stays.
    {
        auto out = OutputFile::Create(at("taken.sdt"), Placement::Growing);
        ASSERT_TRUE(out.ok());
        fs::remove(at("taken.sdt"));
        write(at("taken.sdt"), "someone else's");
    }
    EXPECT_EQ(read(at("taken.sdt")), "someone else's");
}

// A recording that cannot take its name is never thrown away: it stays where it grew and the caller is told
// where. An output made in one go is dropped and the earlier file stays.
TEST_F(SafeWriteTest, ARecordingThatCannotTakeItsNameStaysWhereItGrew) {
    for (Placement placement : {Placement::Growing, Placement::Whole}) {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        write(at("old.sdt"), "earlier recording");
        auto out = OutputFile::Create(at("old.sdt"), placement);
        ASSERT_TRUE(out.ok());
        ASSERT_TRUE(out->file().write("grown", 5));
        const std::string grewAt = out->writtenAt();
        // The name now holds a directory with something in it: no rename can replace it.
        fs::rename(at("old.sdt"), at("kept.sdt"));
        fs::create_directory(at("old.sdt"));
        write(at("old.sdt/inside"), "x");
        const Status s = out->Commit();
        ASSERT_FALSE(s.ok());
        EXPECT_EQ(s.error().message, "Can't write file '" + at("old.sdt") + "'");
        EXPECT_FALSE(s.error().reason.empty());
        if (placement == Placement::Growing) {
            EXPECT_EQ(out->writtenAt(), grewAt);
            EXPECT_EQ(read(grewAt), "grown");
            out->Discard();  // what a destructor does: the recording still stays
            EXPECT_EQ(read(grewAt), "grown");
        } else {
            EXPECT_FALSE(fs::exists(grewAt));
        }
        EXPECT_EQ(read(at("kept.sdt")), "earlier recording");
    }
}

// "-", /dev/stdout and the names of a descriptor are written through the descriptor itself, whatever it is
// open on: a pipe (whose kernel link "pipe:[N]" names no file), or a file opened for appending, which keeps
// what it had.
TEST_F(SafeWriteTest, TheProcessesOwnDescriptorsAreWrittenThroughThemselves) {
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const std::string n = std::to_string(pipeFds[1]);
    fs::create_symlink("/proc/self/fd/" + n, at("to-pipe"));
    for (const std::string& name : {"/dev/fd/" + n, "/proc/self/fd/" + n,
                                    "/proc/" + std::to_string(::getpid()) + "/fd/" + n, at("to-pipe")}) {
        SCOPED_TRACE(name);
        auto out = OutputFile::Create(name);
        ASSERT_TRUE(out.ok()) << out.error().message << ": " << out.error().reason;
        EXPECT_TRUE(out->isDirect());
        ASSERT_TRUE(out->file().write("piped", 5));
        ASSERT_TRUE(out->Commit().ok());
        char got[8] = {};
        EXPECT_EQ(::read(pipeFds[0], got, sizeof got), 5);
        EXPECT_STREQ(got, "piped");
    }
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);

    write(at("log.txt"), "earlier;");
    const int appending = ::open(at("log.txt").c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(appending, 0);
    for (Placement placement : {Placement::Whole, Placement::Growing}) {
        auto out = OutputFile::Create("/dev/fd/" + std::to_string(appending), placement);
        ASSERT_TRUE(out.ok());
        ASSERT_TRUE(out->file().write("added;", 6));
        ASSERT_TRUE(out->Commit().ok());
    }
    ::close(appending);
    EXPECT_EQ(read(at("log.txt")), "earlier;added;added;");
    EXPECT_EQ(entries(), 2u);  // nothing written beside or renamed over it

    auto dash = OutputFile::Create("-");
    ASSERT_TRUE(dash.ok());
    EXPECT_TRUE(dash->isDirect());
    EXPECT_EQ(dash->path(), "-");
    EXPECT_FALSE(fs::exists("-"));
    // A descriptor that is not open is refused with the system's reason.
    auto closed = OutputFile::Create("/dev/fd/987654");
    ASSERT_FALSE(closed.ok());
    EXPECT_EQ(closed.error().reason, "Bad file descriptor");
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
