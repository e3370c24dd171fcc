// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal/reprocess.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "signal/signal_record.h"
#include "signal_file_image.h"

namespace k470 {
namespace {

using test::SignalFileImage;
using test::TempDir;

struct Source {
    TempDir dir;
    std::string path;
    std::vector<double> r1, r2;
    Source() {
        SignalFileImage img(8000.0, 0b011);
        for (int i = 0; i < 3000; ++i) {
            r1.push_back(std::sin(0.05 * i));
            r1.push_back(0.25 * (i % 5));
        }
        r2 = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
        img.addRecord(r1, 3000, {{100, u"early"}, {2001, u"late"}});
        img.addRecord(r2, 5, {}, false);
        path = img.save(dir, "src.sdt");
    }
};

size_t r1Frames(const Source& s) {
    return s.r1.size() / 2;
}

TEST(ReprocessSignalFile, RecordsThroughTheChainWithMarkersMoved) {
    Source src;
    SignalState state;
    state.decimation = 2;
    FilterLibrary lib;
    ProcessingChain chain;
    chain.sizeRings({});
    chain.setDecimationCounter(1);
    ChannelSetupSource setup;
    setup.deviceType = 26;
    ReprocessContext ctx{state, lib, chain, setup, u"profile", std::nullopt};
    std::vector<int> percents;
    auto done = ReprocessSignalFile(src.path, src.dir.file("out.sdt"), ctx, [&](const ReprocessProgress& p) {
        if (p.record == 0) percents.push_back(p.percent);
        return true;
    });
    ASSERT_TRUE(done) << done.error().message;
    EXPECT_EQ(done->records, 2u);
    EXPECT_EQ(chain.decimationCounter(), 1);  // restored
    EXPECT_EQ(percents.front(), 33);
    EXPECT_EQ(percents.back(), 100);

    auto out = SdtContainer::Open(src.dir.file("out.sdt"));
    ASSERT_TRUE(out);
    const SdtHeader& h = out->header();
    EXPECT_EQ(h.sampleRate, 4000.0);
    EXPECT_EQ(h.channelMask, 7);  // the identity matrix of a replayed file enables all three outputs
    EXPECT_EQ(h.channelCount, 3);
    EXPECT_EQ(h.processor, u"profile");
    EXPECT_EQ(h.units[1], u"m/c^2");
    const DirectoryWalk walk = out->walkEntries();
    ASSERT_EQ(walk.entries.size(), 2u);
    EXPECT_EQ(walk.entries[0].entry.backSize, 120);
    EXPECT_EQ(walk.entries[0].entry.deviceType, 26);
    EXPECT_EQ(walk.entries[0].entry.vin, 0x00C0FFEEu);

    // The same inputs through a chain of the same set-up give the stored values.
    ProcessingChain ref;
    ref.sizeRings({});
    ref.setDecimationCounter(1);
    ref.setChannels(state, lib);
    for (size_t i = 0; i < r1Frames(src); ++i)
        ref.ProcessSample({src.r1[2 * i], src.r1[2 * i + 1], 0.0}, ChainMode::File);
    const size_t first = ref.output().size() / 3;
    for (size_t i = 0; i < 5; ++i)
        ref.ProcessSample({src.r2[2 * i], src.r2[2 * i + 1], 0.0}, ChainMode::File);
    EXPECT_EQ(walk.entries[0].entry.frameCount, first);
    EXPECT_EQ(walk.entries[1].entry.frameCount, ref.output().size() / 3 - first);
    std::vector<double> stored(ref.output().size());
    ASSERT_TRUE(readDoubles(out->file(), walk.entries[0].entry.dataOffset, stored.data(), first * 3));
    ASSERT_TRUE(readDoubles(out->file(), walk.entries[1].entry.dataOffset, stored.data() + first * 3,
                            stored.size() - first * 3));
    EXPECT_EQ(stored, ref.output());

    // Markers: (position - 402 / 2) / 2, and one closer to the start than that lands on frame 0.
    std::vector<Error> problems;
    auto table = readMarkerTable(*out, walk.entries[0].entry);
    ASSERT_TRUE(table);
    const std::vector<Marker> m = readMarkers(*out, *table, problems);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].block.frame, 0u);
    EXPECT_EQ(m[0].block.name(), u"early");
    EXPECT_EQ(m[1].block.frame, (2001u - 201u) / 2u);
    auto empty = readMarkerTable(*out, walk.entries[1].entry);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(readMarkers(*out, *empty, problems).empty());
}

TEST(ReprocessSignalFile, RefusedWithoutOutputChannelsOrOnADamagedSource) {
    Source src;
    SignalState state;
    state.presetActive = true;  // a preset whose matrix is all zero
    for (SignalChannel& c : state.channels) c.matrixRow = {};
    FilterLibrary lib;
    ProcessingChain chain;
    ReprocessContext ctx{state, lib, chain, {}, u"", std::nullopt};
    auto r = ReprocessSignalFile(src.path, src.dir.file("out.sdt"), ctx);
    ASSERT_FALSE(r);
    EXPECT_NE(r.error().message.find("No output channel"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(src.dir.file("out.sdt")));

    SignalFileImage img(8000.0, 1);
    const size_t e = img.addRecord({1, 2}, 2);
    writeU32(&img.bytes[e + 18], 4000000);  // frames beyond the end of the file
    state.presetActive = false;
    auto bad = ReprocessSignalFile(img.save(src.dir, "bad.sdt"), src.dir.file("out2.sdt"), ctx);
    EXPECT_FALSE(bad);
    EXPECT_FALSE(std::filesystem::exists(src.dir.file("out2.sdt")));
}

TEST(ReprocessSignalFile, TemporaryFilesAreUniqueInTheirDirectory) {
    TempDir dir;
    auto a = createTemporarySignalFile(dir.path());
    auto b = createTemporarySignalFile(dir.path());
    ASSERT_TRUE(a && b);
    EXPECT_NE(*a, *b);
    EXPECT_EQ(std::filesystem::path(*a).filename().string().rfind("k470", 0), 0u);
    EXPECT_FALSE(createTemporarySignalFile(dir.file("missing")));
}

}  // namespace
}  // namespace k470
