// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/path_util.h"

#include <gtest/gtest.h>

namespace k470 {
namespace {

TEST(PathUtil, OutputNamesCutTheExtensionOfTheFileOnly) {
    EXPECT_EQ(withoutExtension("/data/run.1/rec.bin"), "/data/run.1/rec");
    EXPECT_EQ(withoutExtension("/data/run.1/rec"), "/data/run.1/rec");
    EXPECT_EQ(withoutExtension("C:\\m.d\\rec"), "C:\\m.d\\rec");
    EXPECT_EQ(withoutExtension("a.b.bin"), "a.b");
    EXPECT_EQ(fileNameOf("/x/y/z.bin"), "z.bin");
    EXPECT_EQ(fileNameOf("z.bin"), "z.bin");
    EXPECT_TRUE(lowerCasePath("/X/REC.BIN").ends_with(".bin"));
}

}  // namespace
}  // namespace k470
