// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustics/fft_settings.h"

#include <algorithm>
#include <bit>

namespace k470::acoustics {

FftChoices ReadFftChoices(const SettingsStore& store) {
    FftChoices c;
    FftParameters& p = c.parameters;
    const int size = store.ReadInt(kFftSection, "Size", static_cast<int>(p.size));
    if (size >= static_cast<int>(kMinFftSize) && size <= static_cast<int>(kMaxFftSize) &&
        std::has_single_bit(static_cast<unsigned>(size)))
        p.size = static_cast<size_t>(size);
    const int window = store.ReadInt(kFftSection, "Window", static_cast<int>(p.window));
    if (window >= static_cast<int>(FftWindow::Rectangular) &&
        window <= static_cast<int>(FftWindow::BlackmanHarris))
        p.window = static_cast<FftWindow>(window);
    const int overlap = store.ReadInt(kFftSection, "Overlap", static_cast<int>(p.overlapPercent));
    if (std::ranges::find(kFftOverlapChoices, static_cast<double>(overlap)) != std::end(kFftOverlapChoices))
        p.overlapPercent = overlap;
    const int averaging = store.ReadInt(kFftSection, "Averaging", static_cast<int>(p.averaging));
    if (averaging >= static_cast<int>(SpectrumAveraging::Linear) &&
        averaging <= static_cast<int>(SpectrumAveraging::MaxHold))
        p.averaging = static_cast<SpectrumAveraging>(averaging);
    c.logFrequency = store.ReadInt(kFftSection, "LogFrequency", 1) != 0;
    return c;
}

void WriteFftChoices(SettingsStore& store, const FftChoices& c) {
    store.WriteInt(kFftSection, "Size", static_cast<int>(c.parameters.size));
    store.WriteInt(kFftSection, "Window", static_cast<int>(c.parameters.window));
    store.WriteInt(kFftSection, "Overlap", static_cast<int>(c.parameters.overlapPercent));
    store.WriteInt(kFftSection, "Averaging", static_cast<int>(c.parameters.averaging));
    store.WriteInt(kFftSection, "LogFrequency", c.logFrequency ? 1 : 0);
}

}  // namespace k470::acoustics
