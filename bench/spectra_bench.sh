#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Spectra benchmark side by side with its peer, in one run:
#   - the Welch spectrum of a 10-minute 48 kHz signal (8192 points, Hann, 50 % overlap) in process, and
#     through k470-cli fft on a float WAV of the same samples, against scipy.signal.welch on those samples;
#   - rt60 in octave bands of a 3 s impulse response (goal: under 100 ms).
# Usage: bench/spectra_bench.sh [BUILD_DIR]   (default: build; needs k470-cli and spectra_bench built)
set -euo pipefail
build=${1:-build}
cli=$build/bin/k470-cli
bench=$build/bin/spectra_bench

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
# The peer is a benchmark tool only, not a dependency of the product.
if ! dpkg-query -W -f='${Status}' python3-scipy 2>/dev/null | grep -q "install ok installed"; then
  as_root apt-get update
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends python3-scipy
fi
py=/usr/bin/python3

work=$(mktemp -d /tmp/k470-spectra-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

# The samples: raw float64 for the in-process benchmark and scipy, a float WAV for the command.
"$py" - "$work" <<'PY'
import sys, numpy as np, wave
work = sys.argv[1]
rng = np.random.default_rng(1)
x = rng.normal(0.0, 0.1, 600 * 48000) + 0.5 * np.sin(0.131 * np.arange(600 * 48000))
x.astype("<f8").tofile(work + "/samples.f64")
# 32-bit float WAV (format 3), written by hand since the wave module only writes PCM.
data = x.astype("<f4").tobytes()
import struct
with open(work + "/samples.wav", "wb") as f:
    f.write(b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE")
    f.write(b"fmt " + struct.pack("<IHHIIHH", 16, 3, 1, 48000, 48000 * 4, 4, 32))
    f.write(b"data" + struct.pack("<I", len(data)) + data)
PY

echo "== k470 in process"
K470_BENCH_SAMPLES=$work/samples.f64 "$bench" --benchmark_counters_tabular=true

echo "== k470-cli fft on the WAV (whole command: reading, analysis, CSV)"
TIMEFORMAT='k470-cli fft: %R s'
time "$cli" fft --size 8192 --window hann --overlap 50 "$work/samples.wav" > "$work/k470.csv" 2>/dev/null

echo "== scipy.signal.welch on the same samples (best of 3, loading excluded)"
"$py" - "$work" <<'PY'
import sys, time, numpy as np
from scipy import signal
x = np.fromfile(sys.argv[1] + "/samples.f64", dtype="<f8")
best = 1e9
for _ in range(3):
    t = time.perf_counter()
    f, p = signal.welch(x, fs=48000.0, window="hann", nperseg=8192, noverlap=4096, detrend=False,
                        scaling="spectrum")
    best = min(best, time.perf_counter() - t)
print("scipy.signal.welch: %.0f ms" % (best * 1000))
PY
