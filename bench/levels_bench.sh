#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The level analysis side by side with its peer, in one run: a 10-minute 48 kHz one-channel signal through
# A, C, Z, F, S, I, peaks and both band sets, by levels_bench and by the scipy reference
# (bench/levels_reference.py); then the ratio, the real-time factors and the peak memory of a 1-minute and
# a 10-minute run; then the whole `k470-cli levels` command on a WAV of the same length.
# Usage: bench/levels_bench.sh [BUILD_DIR] [SECONDS]   (default: build, 600; needs levels_bench built)
set -euo pipefail
build=${1:-build}
seconds=${2:-600}
here=$(cd "$(dirname "$0")" && pwd)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
# The peer and GNU time (processor time and peak memory of a whole command) are benchmark tools only, not
# dependencies of the product.
missing=()
for p in python3-scipy time; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  as_root apt-get update
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

ours=$("$build/bin/levels_bench" --benchmark_filter='BM_Levels48k/' --benchmark_format=csv 2>/dev/null)
echo "$ours" | grep -E '^"?(name|BM_)' || true
rtf_long=$(echo "$ours" | awk -F, '/BM_Levels48k\/600/ {for (i = 1; i <= NF; i++) if ($i ~ /^[0-9.]+$/) v[i] = $i} END {print v[NF]}')
cpu_long=$(echo "$ours" | awk -F, '/BM_Levels48k\/600/ {print $4}')
ref=$(/usr/bin/python3 "$here/levels_reference.py" "$seconds")
echo "$ref"
ref_rtf=$(echo "$ref" | sed -E 's/.*real-time factor ([0-9.]+).*/\1/')
echo "k470 levels: 600 s of signal in ${cpu_long} ms processor time"
awk -v a="$rtf_long" -v b="$ref_rtf" 'BEGIN { printf "real-time factor: k470 %.0f, scipy %.0f; k470 is %.1fx faster\n", a, b, a / b }'

# The whole command as a user runs it: a 10-minute 48 kHz float WAV of noise through `k470-cli levels` to
# CSV, file reading and writing included.
if [ -x "$build/bin/k470-cli" ]; then
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' EXIT
  /usr/bin/python3 - "$tmp/noise.wav" "$seconds" <<'PY'
import sys
import numpy as np
from scipy.io import wavfile
rng = np.random.default_rng(1)
wavfile.write(sys.argv[1], 48000, (0.1 * rng.standard_normal(int(sys.argv[2]) * 48000)).astype(np.float32))
PY
  cli_cpu=$( { /usr/bin/time -f "%U %S %M" "$build/bin/k470-cli" levels --csv --scale 1 "$tmp/noise.wav" >/dev/null; } 2>&1 | tail -1)
  awk -v s="$seconds" -v t="$cli_cpu" 'BEGIN { split(t, v, " "); c = v[1] + v[2];
    printf "k470-cli levels, %d s WAV to CSV: %.2f s processor time, real-time factor %.0f, peak RSS %.1f MB\n", s, c, s / c, v[3] / 1024 }'
fi
