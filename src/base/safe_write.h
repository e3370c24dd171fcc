// SPDX-License-Identifier: GPL-3.0-or-later
// Outputs that never destroy what the user had: every file the program writes goes through OutputFile, and
// every command that reads files and writes one first asks whether the output is one of its inputs.
//
//   auto out = OutputFile::Create(path);          // or OutputFile::StandardOutput() for "-"
//   if (!out) return out.error();
//   ... write through out->file() (a TextWriter, positioned writes) ...
//   if (auto s = out->Commit(); !s) return s;     // without Commit nothing of the new output remains
//
// A regular file (or a name where nothing exists yet) is written to a temporary file in the same directory
// and renamed over the target by Commit, so an existing output stays as it was until the new one is whole,
// and a failure leaves no partial file. A symbolic link is written through: its final target is replaced and
// the link stays. A character device, FIFO or socket (/dev/stdout, /dev/null, a pipe) is written straight,
// never replaced. A directory, or anything else, is refused. New files get the permissions the umask gives.
// Messages name the file the user asked for, never the temporary one.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/file.h"
#include "base/result.h"

namespace k470 {

// Where a file lives: device and inode. Two names are the same file exactly when their identities are equal,
// whatever the spelling, links or directory they are reached through.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of the file a path names, after symbolic links; nullopt when nothing is there.
std::optional<FileIdentity> identityOf(const std::string& path);

// The first of the inputs that is the same file as the output; nullopt when the output is none of them (or
// does not exist yet). Names that are not files (such as "-") never match.
std::optional<std::string> inputWrittenByOutput(const std::string& output,
                                                std::span<const std::string> inputs);

// Fails with "The output file is one of the input files 'output'" (in the words of the active lexicon) when
// the output is one of the inputs; the reason names the input.
Status refuseOutputOverInput(const std::string& output, std::span<const std::string> inputs);

// An input must be a regular file: a FIFO would block the reader for ever, and a directory or a device holds
// no records. Fails with "Can't open file 'path'" and the reason (missing, not a regular file, ...).
Status checkInputFile(const std::string& path);

// How a regular file (or a new one) takes its content.
enum class Placement {
    Whole,   // written beside the target and renamed over it by Commit: all or nothing
    Growing  // the target itself is emptied at once and grows with every write, so that a recording that is
             // cut short (killed, power lost) keeps what was written; Discard cannot take it back
};

class OutputFile {
  public:
    // Opens the output for the path the user named, as described above. Fails with "Can't write file 'path'"
    // and the system's reason (no such directory, is a directory, permission denied, ...).
    static Result<OutputFile> Create(const std::string& path, Placement placement = Placement::Whole);
    // The process's standard output, written straight and not closed.
    static OutputFile StandardOutput();

    OutputFile() = default;
    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&& other) noexcept;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    File& file() { return file_; }
    // The path as the user gave it.
    const std::string& path() const { return path_; }
    // Written straight (device, FIFO, standard output, a growing file): Discard cannot take back what was
    // written, and on a device or FIFO positioned writes fail.
    bool isDirect() const { return temporary_.empty(); }
    bool isOpen() const { return file_.isOpen(); }

    // Pushes the data to the disk and puts the new file in place of the target. On failure nothing of the new
    // output remains and an earlier file stays as it was.
    Status Commit();
    // Drops the output: the temporary file is removed. Called by the destructor unless Commit succeeded.
    void Discard();

  private:
    OutputFile(std::string path, std::string target, std::string temporary, File file);
    std::string path_;       // as asked for
    std::string target_;     // after symbolic links
    std::string temporary_;  // empty when written straight
    File file_;
};

// Writes the whole content to path through an OutputFile.
Status WriteFileSafely(const std::string& path, std::string_view content);

}  // namespace k470
