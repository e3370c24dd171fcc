// SPDX-License-Identifier: GPL-3.0-or-later
// Outputs that never destroy what the user had: every file the program writes goes through OutputFile, and
// every command that reads files and writes one first asks whether the output is one of its inputs.
//
//   auto out = OutputFile::Create(path);          // "-" is standard output
//   if (!out) return out.error();
//   ... write through out->file() (a TextWriter, positioned writes) ...
//   if (auto s = out->Commit(); !s) return s;     // without Commit nothing of the new output remains
//
// An existing file is never opened for writing: it is neither emptied nor written through one of its other
// names (hard links), and stays exactly as it was until the new output takes its name whole. A regular file
// (or a name where nothing exists yet) is written to a temporary file in the same directory and renamed over
// the target by Commit, so a failure leaves no partial file. A symbolic link is written through: its final
// target is replaced and the link stays. A character device, FIFO or socket (/dev/null, a pipe) is written
// straight, never replaced. "-", /dev/stdout, /dev/fd/N and /proc/self/fd/N name the process's own
// descriptors and are written straight through them, whatever they are open on (a pipe, a terminal, a file
// the shell opened with "> f" or ">> f"). A directory, or anything else, is refused. New files get the
// permissions the umask gives. Messages name the file the user asked for, never the temporary one.
//
// A recording (Placement::Growing) must keep on disk what was written so far should the process be killed or
// the power fail, so it cannot wait for a rename to show: where nothing exists yet it creates its file at the
// target's name (exclusively, so a file that appears meanwhile is never taken over) and grows there. Where a
// file exists already, the recording grows beside it under "NAME.partial-XXXXXXXX.EXT" and replaces the
// earlier file only when Commit ends it; after a crash the recording so far is found under that name, and the
// earlier file is untouched.
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
// does not exist yet). "-" is standard output, which matches when the shell opened it on an input.
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
    Growing  // a recording: at the target's name when nothing is there yet, else beside it until Commit (see
             // above); what was written is on disk as it grows
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
    // Written straight to a device, FIFO, socket or one of the process's descriptors: Discard cannot take
    // back what was written, and positioned writes may fail (a pipe) or land elsewhere (a file opened for
    // appending).
    bool isDirect() const { return where_ == Where::Direct; }
    bool isOpen() const { return file_.isOpen(); }
    // Where the bytes are while the output is written: the temporary file beside the target, the target
    // itself (a recording that grows in place), or the path asked for (written straight).
    const std::string& writtenAt() const;
    // True when Commit puts the output in place of a file that was there when it was created.
    bool replacesEarlierFile() const { return replaces_; }

    // Pushes the data to the disk and puts the new file in place of the target. On failure nothing of the new
    // output remains and an earlier file stays as it was; a recording is never thrown away, though: it stays
    // where it was written (writtenAt() tells where) and the message says so.
    Status Commit();
    // Drops the output: the temporary file, or the file a recording created at its name, is removed. Called
    // by the destructor unless Commit succeeded.
    void Discard();

  private:
    enum class Where {
        Direct,   // a device, FIFO, socket or descriptor: written straight
        Beside,   // a temporary file beside the target, renamed over it by Commit
        InPlace,  // a file this output created at the target's name
    };
    OutputFile(std::string path, std::string target, std::string temporary, File file, Where where,
               Placement placement);
    std::string path_;       // as asked for
    std::string target_;     // after symbolic links
    std::string temporary_;  // the file beside the target, empty otherwise
    File file_;
    Where where_ = Where::Direct;
    Placement placement_ = Placement::Whole;
    bool replaces_ = false;
    std::optional<FileIdentity> created_;  // the file created in place, for Discard to remove only that one
};

// An unnamed file in the temporary directory ($TMPDIR, else /tmp), gone when closed: where an output that
// needs positioned writes is put together before a pipe or device takes it whole.
Result<File> CreateScratchFile();

// Writes the whole content to path through an OutputFile.
Status WriteFileSafely(const std::string& path, std::string_view content);

}  // namespace k470
