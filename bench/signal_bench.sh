#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Signal benchmarks side by side with their peers, in one run:
#   - sdt2wav of a 200 MB three-channel signal file against sox converting the same raw float64 samples to
#     float WAV (one sox run per channel), with and without normalisation;
#   - the processing chain in file mode (decimation 4, 401 taps, one channel, 10^7 frames) against
#     scipy.signal.upfirdn doing the same decimating filter;
#   - sdt2txt against a loop that only formats the same values with snprintf("%.10lg");
#   - peak memory of every conversion on a file ten times shorter and on the long one.
# Usage: bench/signal_bench.sh [BUILD_DIR]   (default: build; needs k470-cli and signal_bench built)
set -euo pipefail
build=${1:-build}
cli=$build/bin/k470-cli
bench=$build/bin/signal_bench

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
# The peers are benchmark tools only, not dependencies of the product.
missing=()
for p in sox python3-scipy time; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  as_root apt-get update
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
py=/usr/bin/python3

work=$(mktemp -d /tmp/k470-signal-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

# A three-channel signal file of N frames (one record) and the raw float64 samples of each channel.
make_file() {  # frames name
  "$py" - "$1" "$work/$2" <<'PY'
import struct, sys, numpy as np
frames, base = int(sys.argv[1]), sys.argv[2]
t = np.arange(frames, dtype=np.float64)
ch = [np.sin(0.01 * t) * 3.0 + 0.1, 0.5 * np.sin(0.3 * t) - 2.0, np.sin(0.001 * t) + np.cos(0.07 * t)]
header = bytearray(680)
header[0:4] = b"SDTA"
struct.pack_into("<d", header, 4, 48000.0)
struct.pack_into("<HH", header, 268, 3, 7)
for k in range(3):
    struct.pack_into("<4s", header, 272 + 128 * k, "Pa".encode("utf-16-le"))
    struct.pack_into("<d", header, 656 + 8 * k, 2e-05)
block = bytearray(8212)
block[0:4] = b"SDTA"
data_offset = 680 + 8212 + 120
struct.pack_into("<HIIQIHIH", block, 4, 1, (2024 << 9) | (5 << 5) | 1, (12 << 12), data_offset, frames, 26, 1, 120)
struct.pack_into("<QQ", block, 8196, 2**64 - 1, 2**64 - 1)
with open(base + ".sdt", "wb") as f:
    f.write(header); f.write(block); f.write(bytes(120))
    step = 1 << 20
    for i in range(0, frames, step):
        f.write(np.stack([c[i:i + step] for c in ch], axis=1).astype("<f8").tobytes())
for k in range(3):
    ch[k].astype("<f8").tofile(f"{base}_ch{k + 1}.f64")
PY
}

# Best wall time of three runs, in seconds.
best_time() {
  "$py" - "$@" <<'PY'
import subprocess, sys, time
best = None
for _ in range(3):
    t = time.perf_counter()
    subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    d = time.perf_counter() - t
    best = d if best is None else min(best, d)
print(f"{best:.4f}")
PY
}

# Peak resident set size of one run, in KB.
peak_kb() {
  /usr/bin/time -f "%M" -o "$work/time" "$@" >/dev/null 2>&1
  cat "$work/time"
}

long=8738133   # 200 MB of samples
short=873813   # 20 MB
make_file $long long
make_file $short short
ls -l "$work"/long.sdt | awk '{printf "signal file: %d bytes\n", $5}'

ratio() { "$py" -c "import sys; print(f'{float(sys.argv[1]) / float(sys.argv[2]):.2f}')" "$1" "$2"; }

echo "== sdt2wav (three channels) against sox (one run per channel), 200 MB, best of three"
for norm in 0 1; do
  if [ $norm = 1 ]; then ours_args=(); sox_args=(--norm); label=normalised; else ours_args=(--no-normalize); sox_args=(); label=plain; fi
  ours=$(best_time "$cli" sdt2wav "${ours_args[@]}" "$work/long.sdt")
  total=0
  for k in 1 2 3; do
    s=$(best_time sox "${sox_args[@]}" -t f64 -r 48000 -c 1 "$work/long_ch$k.f64" -e floating-point -b 32 "$work/sox_$k.wav")
    total=$("$py" -c "print(round($total + $s, 4))")
  done
  echo "sdt2wav $label: ${ours} s, sox: ${total} s, ratio sox/ours: $(ratio "$total" "$ours")"
done
rm -f "$work"/*.wav

echo "== chain in file mode against scipy.signal.upfirdn, 10^7 frames, 401 taps, decimation 4"
chain_ms=$("$bench" --benchmark_filter=BM_ChainFileModeDecimate4 --benchmark_format=csv 2>/dev/null |
  awk -F, '/BM_Chain/ {print $3}')
scipy_s=$("$py" - <<'PY'
import time, numpy as np
from scipy.signal import upfirdn, firwin
h = firwin(401, 0.236)
x = np.random.default_rng(1).standard_normal(10_000_000)
best = min((lambda: (lambda t: (upfirdn(h, x, 1, 4), time.perf_counter() - t)[1])(time.perf_counter()))() for _ in range(3))
print(best)
PY
)
echo "chain: $chain_ms ms, upfirdn: $scipy_s s, ratio upfirdn/chain: $(ratio "$scipy_s" "$("$py" -c "print($chain_ms / 1000)")")"

echo "== sdt2txt against snprintf(\"%.10lg\") formatting only, 10^6 frames of three channels"
"$bench" --benchmark_filter='BM_ConvertSdtToText|BM_SnprintfFormatting' --benchmark_format=csv 2>/dev/null |
  awk -F, '/BM_ConvertSdtToText/ {t=$3} /BM_Snprintf/ {s=$3} END {printf "sdt2txt: %s ms, snprintf loop: %s ms, ratio: %.2f\n", t, s, s / t}'

echo "== peak memory (KB) on 20 MB and 200 MB files"
for f in short long; do
  a=$(peak_kb "$cli" sdt2wav "$work/$f.sdt")
  b=$(peak_kb "$cli" sdt2wav --mode record "$work/$f.sdt")
  c=$(peak_kb "$cli" sdt2txt "$work/$f.sdt")
  d=$(peak_kb "$cli" reprocess --decimation 4 -o "$work/$f.out.sdt" "$work/$f.sdt")
  echo "$f: sdt2wav $a, sdt2wav --mode record $b, sdt2txt $c, reprocess $d"
  rm -f "$work"/$f*.wav "$work"/$f*.txt "$work"/$f.out.sdt
done
