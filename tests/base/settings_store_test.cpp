// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/settings_store.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/temp_dir.h"

namespace k470 {
namespace {

TEST(SettingsStoreTest, ReadsProfilesWrittenOnWindows) {
    test::TempDir dir;
    const std::string path = dir.file("k470.ini");
    test::writeBytes(path, [] {
        std::string t =
            "[init]\r\nATYPE=1\r\nIp1 = 10.0.0.2 "
            "\r\nIP2=10.0.0.7\r\n\r\n[K470Dlg]\r\nbLin=abc\r\nLeft=-12\r\n"
            "Doc1=C:\\data\\a=b.bin\r\n";
        return std::vector<uint8_t>(t.begin(), t.end());
    }());
    SettingsStore s(path);
    EXPECT_EQ(s.ReadInt("Init", "AType", 0), 1);
    EXPECT_EQ(s.ReadString("INIT", "ip1", ""), "10.0.0.2");
    EXPECT_EQ(s.ReadString("Init", "IP2", ""), "10.0.0.7");
    EXPECT_EQ(s.ReadInt("K470Dlg", "bLin", 7), 7);  // not a number: the default
    EXPECT_EQ(s.ReadInt("K470Dlg", "Left", 0), -12);
    EXPECT_EQ(s.ReadString("K470Dlg", "Doc1", ""), "C:\\data\\a=b.bin");  // verbatim, split at the first '='
    EXPECT_EQ(s.ReadInt("K470Dlg", "Top", 445), 445);
    EXPECT_EQ(s.ReadString("Signal", "ProcName", "none"), "none");
    EXPECT_EQ(SettingsStore(dir.file("missing.ini")).ReadInt("Init", "AType", 3), 3);
}

TEST(SettingsStoreTest, WritesReplaceInPlaceAndEveryReadSeesTheFile) {
    test::TempDir dir;
    const std::string path = dir.file("sub/k470.ini");  // the directory is made on the first write
    SettingsStore a(path), b(path);
    ASSERT_TRUE(a.WriteInt("Init", "AType", 1));
    ASSERT_TRUE(a.WriteString("Init", "IP1", "192.168.4.2"));
    ASSERT_TRUE(a.WriteString("Multi", "UpperBound", "150"));
    EXPECT_EQ(b.ReadInt("init", "atype", 0), 1);  // another store on the same file: no caching
    ASSERT_TRUE(b.WriteInt("INIT", "atype", 0));
    ASSERT_TRUE(b.WriteString("Init", "IP2", ""));
    EXPECT_EQ(a.ReadInt("Init", "AType", 5), 0);
    EXPECT_EQ(a.ReadString("Init", "IP2", "x"), "");  // present but empty
    EXPECT_EQ(test::readText(path), "[Init]\nAType=0\nIP1=192.168.4.2\nIP2=\n\n[Multi]\nUpperBound=150\n");
    // Entries the file could not give back as written are refused and leave it unchanged.
    EXPECT_FALSE(a.WriteString("Init", "IP1", "1.2.3.4\n[Evil]"));
    EXPECT_FALSE(a.WriteString("Init", "A=B", "1"));
    EXPECT_FALSE(a.WriteString("In]it", "A", "1"));
    EXPECT_FALSE(a.WriteString("Init", "", "1"));
    EXPECT_EQ(a.ReadString("Init", "IP1", ""), "192.168.4.2");
}

TEST(SettingsStoreTest, DefaultPathFollowsXdgConfigHome) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    std::string saved = old ? old : "";
    ::setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    EXPECT_EQ(SettingsStore::defaultPath(), "/tmp/cfg/k470/k470.ini");
    if (old)
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace k470
