// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/frame_parser.h"

#include <gtest/gtest.h>

#include <string>

namespace k470 {
namespace {

struct Got {
    uint8_t type;
    std::vector<uint8_t> payload;
};

class FrameParserTest : public ::testing::Test {
  protected:
    std::vector<Got> got;
    FrameParser parser{[this](uint8_t t, const uint8_t* p, uint32_t n) { got.push_back({t, {p, p + n}}); }};

    void feed(const std::vector<uint8_t>& bytes) { parser.Feed(bytes.data(), bytes.size()); }
};

// A frame written out byte by byte from the layout: preamble, type, length low, length high, payload, sum.
std::vector<uint8_t> handFrame(uint8_t type, std::vector<uint8_t> payload, int checksumDelta = 0) {
    std::vector<uint8_t> f = {'T',
                              'q',
                              '-',
                              'v',
                              'o',
                              'r',
                              'n',
                              type,
                              static_cast<uint8_t>(payload.size() & 0xFF),
                              static_cast<uint8_t>(payload.size() >> 8)};
    int sum = 0;
    for (uint8_t b : payload) sum += b;
    f.insert(f.end(), payload.begin(), payload.end());
    f.push_back(static_cast<uint8_t>(sum + checksumDelta));
    return f;
}

std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST_F(FrameParserTest, DeliversFramesAmidNoiseAndMatchesTheEncoder) {
    auto a = handFrame(5, {0x10, 0xF0, 0x33});  // the checksum wraps: 0x133 -> 0x33
    EXPECT_EQ(a.back(), 0x33);
    uint8_t pay[] = {0x10, 0xF0, 0x33};
    EXPECT_EQ(buildFrame(5, pay, 3), a);
    feed(concat({{0x00, 'T', 'q', 0xFF}, a, {'x', 'y'}, handFrame(9, {})}));
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].type, 5);
    EXPECT_EQ(got[0].payload, (std::vector<uint8_t>{0x10, 0xF0, 0x33}));
    EXPECT_EQ(got[1].type, 9);
    EXPECT_TRUE(got[1].payload.empty());
    EXPECT_EQ(parser.state(), FrameParser::State::SeekPreamble);
}

TEST_F(FrameParserTest, WrongSeventhCharacterIsRetestedAsAStart) {
    // "Tq-vorT" : the 'T' that breaks the preamble opens the frame that follows directly.
    auto f = handFrame(1, {1, 2, 3});
    std::vector<uint8_t> bytes = {'T', 'q', '-', 'v', 'o', 'r'};
    bytes.insert(bytes.end(), f.begin(), f.end());
    feed(bytes);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].payload, (std::vector<uint8_t>{1, 2, 3}));
}

// Where the parser stands after each byte of a frame with a two-byte payload, fed one byte at a time.
TEST_F(FrameParserTest, StatesThroughOneFrame) {
    using S = FrameParser::State;
    const auto frame = handFrame(4, {7, 9});
    const std::vector<std::pair<S, uint32_t>> after = {
        {S::InPreamble, 1}, {S::InPreamble, 2}, {S::InPreamble, 3},  {S::InPreamble, 4}, {S::InPreamble, 5},
        {S::InPreamble, 6}, {S::Type, 7},       {S::LengthLow, 7},   {S::LengthHigh, 7}, {S::Payload, 7},
        {S::Payload, 7},    {S::Checksum, 7},   {S::SeekPreamble, 7}};
    ASSERT_EQ(frame.size(), after.size());
    for (size_t i = 0; i < frame.size(); ++i) {
        parser.Feed(&frame[i], 1);
        EXPECT_EQ(parser.state(), after[i].first) << "after byte " << i;
        if (after[i].first == S::InPreamble) {
            EXPECT_EQ(parser.preambleMatched(), after[i].second) << i;
        }
    }
    EXPECT_EQ(got.size(), 1u);
    // A stray byte inside the preamble sends the parser back to seeking; a 'T' restarts the match.
    feed({'T', 'q', 'x'});
    EXPECT_EQ(parser.state(), S::SeekPreamble);
    feed({'T', 'q', 'T'});
    EXPECT_EQ(parser.state(), S::InPreamble);
    EXPECT_EQ(parser.preambleMatched(), 1u);
}

TEST_F(FrameParserTest, SplitAtEveryPositionGivesTheSameFrames) {
    auto stream = concat({handFrame(2, {9, 8, 7, 6}), {0x55}, handFrame(3, std::vector<uint8_t>(300, 0xAB))});
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        got.clear();
        FrameParser p([this](uint8_t t, const uint8_t* d, uint32_t n) { got.push_back({t, {d, d + n}}); });
        p.Feed(stream.data(), cut);
        for (size_t i = cut; i < stream.size(); ++i) p.Feed(&stream[i], 1);  // the rest byte by byte
        ASSERT_EQ(got.size(), 2u) << "cut at " << cut;
        EXPECT_EQ(got[1].payload.size(), 300u);
    }
}

TEST_F(FrameParserTest, BadChecksumIsDroppedAndTheNextByteIsNotAStart) {
    auto bad = handFrame(1, {1, 2}, +1);
    bad.back() = 'T';  // a checksum byte that happens to be 'T' must not open a frame
    bad.insert(bad.end(), {'q', '-', 'v', 'o', 'r', 'n', 1, 0, 0, 0});
    feed(concat({bad, handFrame(4, {7})}));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].type, 4);
}

TEST_F(FrameParserTest, LengthLimitIsInclusive) {
    EXPECT_EQ(kMaxPayload, 5131u);
    feed(handFrame(1, std::vector<uint8_t>(5131, 1)));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].payload.size(), 5131u);
    got.clear();
    // 5132: dropped at the length; the parser then finds the frame hidden in what would have been payload.
    auto tooLong = handFrame(1, std::vector<uint8_t>(5132, 2));
    auto inner = handFrame(6, {42});
    std::copy(inner.begin(), inner.end(), tooLong.begin() + 20);
    feed(tooLong);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].type, 6);
}

TEST_F(FrameParserTest, FramesInRandomNoiseReadInRandomPieces) {
    uint32_t x = 99;
    auto rnd = [&] {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return x;
    };
    std::vector<uint8_t> stream;
    std::vector<std::vector<uint8_t>> sent;
    for (int f = 0; f < 200; ++f) {
        for (uint32_t k = rnd() % 40; k > 0; --k) {
            auto b = static_cast<uint8_t>(rnd());
            stream.push_back(b == 'T' ? 'U' : b);  // noise that cannot open a frame
        }
        std::vector<uint8_t> payload(rnd() % 3000);
        for (auto& b : payload) b = static_cast<uint8_t>(rnd());
        auto frame = buildFrame(static_cast<uint8_t>(f), payload.data(), payload.size());
        stream.insert(stream.end(), frame.begin(), frame.end());
        sent.push_back(std::move(payload));
    }
    for (size_t at = 0; at < stream.size();) {
        size_t n = std::min<size_t>(1 + rnd() % 1500, stream.size() - at);
        parser.Feed(stream.data() + at, n);
        at += n;
    }
    ASSERT_EQ(got.size(), sent.size());
    for (size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(got[i].type, static_cast<uint8_t>(i));
        EXPECT_EQ(got[i].payload, sent[i]);
    }
}

}  // namespace
}  // namespace k470
