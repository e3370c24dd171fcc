// SPDX-License-Identifier: GPL-3.0-or-later
// The surfaces of the measuring side: signal inputs (sound files, .sdt records with the options a user
// gives), the level, FFT and reverberation analyses, level records, the calibration and the analyses'
// settings. Each entry takes the path a k470-cli command or a page takes, and checks what it promises.
#pragma once

#include <cstddef>
#include <cstdint>

namespace k470::fuzz {

void soundInput(const uint8_t* data, size_t size);
void sdtInput(const uint8_t* data, size_t size);
void levelAnalysis(const uint8_t* data, size_t size);
void fftAnalysis(const uint8_t* data, size_t size);
void decayAnalysis(const uint8_t* data, size_t size);
void levelRecords(const uint8_t* data, size_t size);
void calibration(const uint8_t* data, size_t size);
void soundFileSettings(const uint8_t* data, size_t size);
void fftSettings(const uint8_t* data, size_t size);

// The option bytes in front of the file of the signal surfaces (all but the settings), and what the seeds
// put there: channel 1, record 1, no scale, the whole record.
inline constexpr size_t kSignalChoiceBytes = 4;

}  // namespace k470::fuzz
