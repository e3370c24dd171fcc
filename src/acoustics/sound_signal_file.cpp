// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/sound_signal_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <limits>
#include <vector>

#include "acoustics/acoustics_words.h"
#include "acoustics/signal_input.h"
#include "base/text_encoding.h"
#include "data/sdt_container.h"
#include "signal/reprocess.h"

namespace k470::acoustics {

namespace {

constexpr size_t kMaxChannels = 3;  // a signal file holds channels 1..3
constexpr size_t kBlockFrames = 4096;
// The device type of the records: the raw-signal instrument's, whose records are plain signals.
constexpr DeviceType kSignalRecordType = 26;

}  // namespace

Status writeSoundAsSignalFile(const std::string& soundPath, const std::string& sdtPath,
                              const SoundAsSignalOptions& options) {
    std::vector<SignalInput> inputs;
    SignalInputOptions o;
    auto first = SignalInput::Open(soundPath, o);
    if (!first) return first.error();
    const SignalDescription d = first->description();
    inputs.push_back(std::move(*first));
    const size_t channels = std::min<size_t>(kMaxChannels, static_cast<size_t>(d.channelCount));
    for (size_t k = 1; k < channels; ++k) {
        o.channel = static_cast<int>(k) + 1;
        auto in = SignalInput::Open(soundPath, o);
        if (!in) return in.error();
        inputs.push_back(std::move(*in));
    }
    if (d.frames > std::numeric_limits<uint32_t>::max())
        return fail(message(Word::CantReadSoundFile, {soundPath, "too long for one signal record"}));

    SdtHeader h;
    h.sampleRate = d.sampleRate;
    h.channelCount = static_cast<uint16_t>(channels);
    h.channelMask = static_cast<uint16_t>((1u << channels) - 1u);
    for (size_t k = 0; k < kMaxChannels; ++k) {
        h.units[k] = utf8ToUtf16(options.units);
        h.referenceValue[k] = options.referenceValue;
    }
    auto writer = SdtWriter::Create(sdtPath, h);
    if (!writer) return writer.error();
    const std::array<uint8_t, kMarkerTableSize> table{};
    if (Status s = writer->BeginRecord(kSignalRecordType, 0, localTimeNow(), table); !s) return s;

    std::vector<std::vector<double>> blocks(channels, std::vector<double>(kBlockFrames));
    std::vector<double> frames;
    while (true) {
        size_t n = 0;
        for (size_t k = 0; k < channels; ++k) {
            auto got = inputs[k].read(blocks[k]);
            if (!got) return got.error();
            n = k == 0 ? *got : std::min(n, *got);
        }
        if (n == 0) break;
        frames.resize(n * channels);
        for (size_t i = 0; i < n; ++i)
            for (size_t k = 0; k < channels; ++k) frames[i * channels + k] = blocks[k][i] * options.scale;
        if (Status s = writer->AppendFrames(frames, static_cast<uint32_t>(n)); !s) return s;
    }
    return writer->Finish();
}

Result<TemporaryFile> TemporaryFile::Create() {
    auto path = createTemporarySignalFile();
    if (!path) return path.error();
    return TemporaryFile(std::move(*path));
}

TemporaryFile& TemporaryFile::operator=(TemporaryFile&& other) noexcept {
    if (this != &other) {
        TemporaryFile gone(std::move(*this));
        path_ = std::move(other.path_);
        other.path_.clear();
    }
    return *this;
}

TemporaryFile::~TemporaryFile() {
    if (path_.empty()) return;
    std::error_code ec;
    std::filesystem::remove(path_, ec);
}

}  // namespace k470::acoustics
