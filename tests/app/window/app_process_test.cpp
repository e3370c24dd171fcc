// SPDX-License-Identifier: GPL-3.0-or-later
// The k470 program as a process: started with a file to open, ended by SIGTERM as a desktop session ends
// it, it writes its settings and the file into the recent-file list like any other exit.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "base/settings_store.h"
#include "data/bin_file.h"
#include "data/sample_records.h"
#include "support/temp_dir.h"

namespace k470 {
namespace {

// Waits up to the time given for the process to end; its exit status, or -1 when it did not end.
int waitFor(pid_t pid, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

// Starts k470 on the off-screen platform with its settings and data under dir.
pid_t startK470(const std::string& dir, const std::vector<std::string>& args) {
    std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen", "XDG_CONFIG_HOME=" + dir, "HOME=" + dir,
                                    "XDG_RUNTIME_DIR=" + dir, "XDG_DATA_HOME=" + dir + "/data"};
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = K470_PROGRAM;
    std::vector<char*> argv = {program.data()};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) return -1;
    return pid;
}

// --help and --version answer on a machine without any display: no platform plugin is started at all.
TEST(AppProcess, HelpAndVersionAnswerWithoutADisplay) {
    test::TempDir dir;
    for (const char* option : {"--help", "--version"}) {
        SCOPED_TRACE(option);
        const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb timeout 20 '" +
                                    std::string(K470_PROGRAM) + "' " + option + " >" + dir.file("out") +
                                    " 2>" + dir.file("err");
        const int status = std::system(command.c_str());
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0) << test::readText(dir.file("err"));
        EXPECT_NE(test::readText(dir.file("out")).find(option == std::string("--help") ? "Usage:" : "k470 "),
                  std::string::npos);
    }
}

// A usage error is said in one line with the way to help, exit 2, before any display is asked for.
TEST(AppProcess, AUsageErrorEndsWithoutADisplay) {
    test::TempDir dir;
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb timeout 20 '" +
                                std::string(K470_PROGRAM) + "' --bogus >" + dir.file("out") + " 2>" +
                                dir.file("err");
    const int status = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 2);
    const std::string err = test::readText(dir.file("err"));
    EXPECT_NE(err.find("bogus"), std::string::npos) << err;
    EXPECT_NE(err.find("Try 'k470 --help'."), std::string::npos) << err;
}

TEST(AppProcess, FirstStartAsksForTheLanguageAndATerminationLeavesItUnset) {
    test::TempDir dir;
    const pid_t pid = startK470(dir.path(), {});
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    kill(pid, SIGTERM);
    EXPECT_EQ(waitFor(pid, std::chrono::seconds(20)), 0);
    // The language question was cancelled: it is asked again next time, and no window placement was stored.
    const SettingsStore store(dir.file("k470/k470.ini"));
    EXPECT_EQ(store.ReadString("Init", "Language", "-"), "-");
    EXPECT_EQ(store.ReadString("K470Dlg", "Right", "-"), "-");
}

TEST(AppProcess, OpensTheFileGivenAndWritesSettingsWhenTerminated) {
    test::TempDir dir;
    const std::string file = dir.file("levels.bin");
    auto record = makeSampleRecord({3, 0x00C0FFEE, 2, 0});
    ASSERT_TRUE(record.ok());
    ASSERT_TRUE(WriteSingleRecordFile(file, *record, CalendarTime{2024, 3, 4, 5, 6, 8}).ok());
    SettingsStore store(dir.file("k470/k470.ini"));
    ASSERT_TRUE(store.WriteString("Init", "Language", "zeng.qm"));

    const pid_t pid = startK470(dir.path(), {file});
    ASSERT_GT(pid, 0);
    // Give it time to show its window; a signal that comes earlier is kept until the window can close.
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    kill(pid, SIGTERM);
    EXPECT_EQ(waitFor(pid, std::chrono::seconds(20)), 0);
    EXPECT_EQ(store.ReadString("K470Dlg", "Doc1", ""), file);
    EXPECT_GE(store.ReadInt("K470Dlg", "Right", 0) - store.ReadInt("K470Dlg", "Left", 0), 740);
    EXPECT_EQ(store.ReadInt("Signal", "CutOffI", 0), 1);
}

}  // namespace
}  // namespace k470
