// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/sdt_container.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "base/byte_order.h"
#include "support/temp_dir.h"

namespace k470 {
namespace {

using test::TempDir;

// Builds container bytes by hand from the layout: header at 0, blocks wherever the test puts them.
struct SdtImage {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(kSdtHeaderSize, 0);
    SdtImage() {
        std::memcpy(bytes.data(), "SDTA", 4);
        writeF64(&bytes[4], 24000.0);
        writeU16(&bytes[268], 1);
        writeU16(&bytes[270], 1);
    }
    // Appends a block with `used` entries (entry i: frameCount = firstFrames + i); returns its offset.
    uint64_t addBlock(int used, uint32_t firstFrames, uint64_t previous = kNoBlock) {
        const uint64_t at = bytes.size();
        bytes.resize(at + kDirectoryBlockSize, 0);
        uint8_t* b = &bytes[at];
        std::memcpy(b, "SDTA", 4);
        for (int i = 0; i < used; ++i) {
            uint8_t* e = b + 4 + 32 * i;
            writeU16(e, 1);
            writeU64(e + 10, 0);
            writeU32(e + 18, firstFrames + static_cast<uint32_t>(i));
            writeU16(e + 22, 26);
        }
        writeU64(b + 8196, kNoBlock);
        writeU64(b + 8204, previous);
        return at;
    }
    void setNext(uint64_t block, uint64_t next) { writeU64(&bytes[block + 8196], next); }
    std::string save(const TempDir& dir, const std::string& name) {
        const std::string path = dir.file(name);
        test::writeBytes(path, bytes);
        return path;
    }
};

TEST(SdtContainer, EntriesAcrossTheChain) {
    TempDir dir;
    SdtImage img;
    const uint64_t first = img.addBlock(256, 1000);
    const uint64_t second = img.addBlock(3, 2000, first);
    img.setNext(first, second);
    auto sdt = SdtContainer::Open(img.save(dir, "two_blocks.sdt"));
    ASSERT_TRUE(sdt);
    EXPECT_EQ(sdt->header().sampleRate, 24000.0);

    auto e255 = sdt->locateEntry(255);
    ASSERT_TRUE(e255);
    EXPECT_EQ(e255->entry.frameCount, 1255u);
    auto e256 = sdt->locateEntry(256);
    ASSERT_TRUE(e256);
    EXPECT_EQ(e256->entry.frameCount, 2000u);
    EXPECT_FALSE(sdt->locateEntry(512));  // the chain ends before block 2

    const DirectoryWalk walk = sdt->walkEntries();
    EXPECT_FALSE(walk.problem);
    ASSERT_EQ(walk.entries.size(), 259u);
    EXPECT_EQ(walk.entries[258].number, 258u);
    EXPECT_EQ(walk.entries[258].ordinal, 258u);
}

TEST(SdtContainer, HostileChainsEndTheWalkWithAClearError) {
    struct Case {
        const char* name;
        std::function<void(SdtImage&)> damage;
        const char* message;
    };
    const Case cases[] = {
        {"chain_loops_back.sdt",
         [](SdtImage& img) {
             uint64_t a = img.addBlock(256, 0);
             uint64_t b = img.addBlock(256, 0, a);
             img.setNext(a, b);
             img.setNext(b, a);
         },
         "loops back"},
        {"chain_points_at_itself.sdt", [](SdtImage& img) { img.setNext(img.addBlock(1, 0), kSdtHeaderSize); },
         "loops back"},
        {"next_beyond_end.sdt", [](SdtImage& img) { img.setNext(img.addBlock(256, 0), 1ull << 40); },
         "beyond the end"},
        {"next_half_all_ones.sdt",
         [](SdtImage& img) { img.setNext(img.addBlock(256, 0), 0x00000000FFFFFFFFull); }, "beyond the end"},
        {"truncated_block.sdt",
         [](SdtImage& img) {
             uint64_t a = img.addBlock(256, 0);
             uint64_t b = img.addBlock(2, 0, a);
             img.setNext(a, b);
             img.bytes.resize(b + 100);
         },
         "beyond the end"},
        {"block_without_mark.sdt",
         [](SdtImage& img) {
             uint64_t a = img.addBlock(256, 0);
             uint64_t b = img.addBlock(2, 0, a);
             img.setNext(a, b);
             img.bytes[b] = 'X';
         },
         "no SDTA mark"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        SdtImage img;
        c.damage(img);
        auto sdt = SdtContainer::Open(img.save(dir, c.name));
        ASSERT_TRUE(sdt) << c.name;
        const DirectoryWalk walk = sdt->walkEntries();
        ASSERT_TRUE(walk.problem) << c.name;
        EXPECT_NE(walk.problem->message.find(c.message), std::string::npos)
            << c.name << ": " << walk.problem->message;
        EXPECT_GE(walk.entries.size(), 1u) << c.name;  // what was read before stays
        EXPECT_FALSE(sdt->locateEntry(256 * 5)) << c.name;
        EXPECT_FALSE(sdt->locateEntry(0xFFFFFFFFu)) << c.name;
    }
}

TEST(SdtContainer, WrongMagicOrShortHeaderIsUnknownFormat) {
    TempDir dir;
    SdtImage img;
    img.bytes[0] = 'X';
    auto bad = SdtContainer::Open(img.save(dir, "wrong_magic.sdt"));
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().message, "Unknown file format");
    test::writeBytes(dir.file("short.sdt"), {'S', 'D', 'T', 'A'});
    EXPECT_FALSE(SdtContainer::Open(dir.file("short.sdt")));
    auto missing = SdtContainer::Open(dir.file("missing.sdt"));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().message, "Can't open file '" + dir.file("missing.sdt") + "'");
}

// Header values no instrument writes are refused on opening: without a present channel every record would
// hold no bytes whatever its frame count, and a rate out of range makes times and replay pacing absurd.
TEST(SdtContainer, HeadersNoInstrumentWritesAreRefused) {
    TempDir dir;
    struct Case {
        uint16_t mask;
        double rate;
        bool opens;
    } cases[] = {
        {1, 24000.0, true},
        {0b100, kMaxSampleRate, true},
        {1, kMinSampleRate, true},
        {0, 24000.0, false},
        {0b11111000, 24000.0, false},  // bits above the three channels only
        {1, 0.0, false},
        {1, -48000.0, false},
        {1, std::nan(""), false},
        {1, std::numeric_limits<double>::infinity(), false},
        {1, 1e12, false},
        {1, kMaxSampleRate * 1.000001, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.mask) + " " + std::to_string(c.rate));
        SdtImage img;
        writeU16(&img.bytes[270], c.mask);
        writeF64(&img.bytes[4], c.rate);
        img.addBlock(1, 1000);
        auto sdt = SdtContainer::Open(img.save(dir, "case.sdt"));
        EXPECT_EQ(sdt.ok(), c.opens);
    }
}

TEST(SdtContainer, EntryDataBeyondTheEndIsDetected) {
    TempDir dir;
    SdtImage img;
    const uint64_t block = img.addBlock(1, 0);
    writeU64(&img.bytes[block + 4 + 10], img.bytes.size());  // data right at the end
    writeU32(&img.bytes[block + 4 + 18], 10);                // but ten frames of it
    auto sdt = SdtContainer::Open(img.save(dir, "data_beyond_end.sdt"));
    ASSERT_TRUE(sdt);
    auto loc = sdt->locateEntry(0);
    ASSERT_TRUE(loc);
    EXPECT_FALSE(sdt->checkEntryData(loc->entry));
    loc->entry.frameCount = 0;
    EXPECT_TRUE(sdt->checkEntryData(loc->entry));
}

TEST(SdtWriter, ChainsBlocksAndReadsBack) {
    TempDir dir;
    SdtHeader h;
    h.sampleRate = 48000;
    h.processor = u"Default";
    h.channelCount = 2;
    h.channelMask = 0b101;
    h.units = {u"Pa", u"", u"m/c^2"};
    h.referenceValue = {2e-5, 0, 1e-6};
    const std::string path = dir.file("written.sdt");
    {
        auto w = SdtWriter::Create(path, h);
        ASSERT_TRUE(w);
        std::array<uint8_t, kMarkerTableSize> table{};
        for (int r = 0; r < 300; ++r) {
            ASSERT_TRUE(w->BeginRecord(26, 0x1234, {2026, 12, 10, 9, 8, 7}, table));
            const double frame[] = {r * 1.0, -r * 1.0};
            ASSERT_TRUE(w->AppendFrames(frame, 1));
            ASSERT_TRUE(w->AppendFrames(frame, 1));
        }
        ASSERT_TRUE(w->Finish());
    }
    auto sdt = SdtContainer::Open(path);
    ASSERT_TRUE(sdt);
    EXPECT_EQ(sdt->header().processor, u"Default");
    EXPECT_EQ(sdt->header().units[2], u"m/c^2");
    EXPECT_EQ(sdt->header().presentChannels(), 2);
    const DirectoryWalk walk = sdt->walkEntries();
    EXPECT_FALSE(walk.problem);
    ASSERT_EQ(walk.entries.size(), 300u);
    auto e256 = sdt->locateEntry(256);
    ASSERT_TRUE(e256);
    EXPECT_EQ(e256->entry.frameCount, 2u);
    EXPECT_EQ(e256->entry.backSize, kMarkerTableSize);
    EXPECT_EQ(e256->tableOffset + kMarkerTableSize, e256->entry.dataOffset);
    EXPECT_TRUE(sdt->checkEntryData(e256->entry));
    double second = 0;
    ASSERT_TRUE(sdt->file().readAt(e256->entry.dataOffset + 8, &second, 8));
    EXPECT_EQ(second, -256.0);
    const CalendarTime t = unpackEntry(e256->entry.date, e256->entry.time);
    EXPECT_EQ(t.year, 2026);
    EXPECT_EQ(t.seconds, 7);
    // The second block points back at the first.
    DirectoryBlock first, chained;
    ASSERT_TRUE(sdt->readBlock(kSdtHeaderSize, first));
    ASSERT_TRUE(sdt->readBlock(first.next, chained));
    EXPECT_EQ(chained.previous, kSdtHeaderSize);
    EXPECT_EQ(chained.next, kNoBlock);
}

}  // namespace
}  // namespace k470
