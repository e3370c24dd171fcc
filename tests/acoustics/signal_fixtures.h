// SPDX-License-Identifier: GPL-3.0-or-later
// Signal files for the tests, written here: sound files through libsndfile in any of its formats, and
// .sdt signal files through the container writer.
#pragma once

#include <sndfile.h>

#include <string>
#include <vector>

#include "data/sdt_container.h"
#include "signal/signal_record.h"

namespace k470::acoustics::testing {

// Writes interleaved frames; format e.g. SF_FORMAT_WAV | SF_FORMAT_PCM_16. False when libsndfile refuses.
inline bool writeSound(const std::string& path, int format, int rate, int channels,
                       const std::vector<double>& interleaved) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) return false;
    // Keep float files unclipped and integer files scaled from +-1.0.
    sf_command(f, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    const sf_count_t frames = static_cast<sf_count_t>(interleaved.size()) / channels;
    const bool ok = sf_writef_double(f, interleaved.data(), frames) == frames;
    sf_close(f);
    return ok;
}

struct SdtRecordImage {
    std::vector<double> frames;  // interleaved values of the present channels
    CalendarTime stamp{2024, 5, 17, 10, 20, 30};
    uint32_t vin = 0x00A1B2C3;
};

// A signal file with the given rate, channel mask, units and references, holding the records.
inline bool writeSdt(const std::string& path, double rate, uint16_t mask,
                     const std::vector<SdtRecordImage>& records,
                     const std::array<std::u16string, 3>& units = {u"Pa", u"Pa", u"Pa"},
                     const std::array<double, 3>& references = {2e-5, 2e-5, 2e-5}) {
    SdtHeader h;
    h.sampleRate = rate;
    h.channelMask = mask;
    h.channelCount = static_cast<uint16_t>(__builtin_popcount(mask));
    h.units = units;
    h.referenceValue = references;
    auto w = SdtWriter::Create(path, h);
    if (!w) return false;
    const std::array<uint8_t, kMarkerTableSize> table{};
    for (const SdtRecordImage& r : records) {
        if (!w->BeginRecord(3, r.vin, r.stamp, table)) return false;
        const auto frames = static_cast<uint32_t>(r.frames.size() / h.channelCount);
        if (frames && !w->AppendFrames(r.frames, frames)) return false;
    }
    return w->Finish().ok();
}

}  // namespace k470::acoustics::testing
