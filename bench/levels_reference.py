#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A reference for the level benchmark in Python/scipy: the same work as BM_Levels48k with sosfilt and
lfilter, streamed in 1 s blocks with carried filter states (so its memory stays flat too).

A, C (bilinear images of the analogue weightings) and Z; F, S and I (lfilter on the squares, I as its
35 ms average) with max and min per interval; C and Z peak; 1/3-octave 25 Hz..20 kHz and octave
31.5 Hz..16 kHz bands as Butterworth order-3 band-passes, each at the lowest halved rate at which its upper
edge stays below a quarter of the rate, the halvings by an order-8 Chebyshev low-pass (scipy's decimate
filter) and taking every second sample. Prints the processor time and the real-time factor.

Usage: levels_reference.py [SECONDS]   (default 600)"""
import sys
import time

import numpy as np
from scipy import signal

FS = 48000.0
G = 10.0 ** 0.3


def weighting_sos(kind):
    f1, f2, f3, f4 = 20.598997, 107.65265, 737.86223, 12194.217
    w = lambda f: 2 * np.pi * f
    zeros = [0.0] * (4 if kind == "A" else 2)
    poles = [-w(f1), -w(f1), -w(f4), -w(f4)] + ([-w(f2), -w(f3)] if kind == "A" else [])
    z, p, k = signal.bilinear_zpk(zeros, poles, 1.0, FS)
    sos = signal.zpk2sos(z, p, k)
    _, h = signal.sosfreqz(sos, worN=[1000.0], fs=FS)
    sos[0, :3] /= abs(h[0])
    return sos


class Meter:
    """Leq, F, S, I (lfilter on x^2) with max/min, and the peak, over an interval."""

    def __init__(self, rate):
        self.filters = []
        for tau in (0.125, 1.0, 0.035):
            a = np.exp(-1.0 / (tau * rate))
            self.filters.append(([1 - a], [1, -a], np.zeros(1)))
        self.reset()

    def reset(self):
        self.sum, self.n, self.peak = 0.0, 0, 0.0
        self.max = [0.0] * 3
        self.min = [np.inf] * 3

    def process(self, x):
        p = x * x
        self.sum += p.sum()
        self.n += len(x)
        if len(x):
            self.peak = max(self.peak, np.abs(x).max())
        for i, (b, a, zi) in enumerate(self.filters):
            y, zi[:] = signal.lfilter(b, a, p, zi=zi)
            if len(y):
                self.max[i] = max(self.max[i], y.max())
                self.min[i] = min(self.min[i], y.min())


def bands():
    out = [(1000 * G ** (x / 3), 3) for x in range(-16, 14)] + [(1000 * G ** x, 1) for x in range(-5, 5)]
    result = []
    for fm, b in out:
        f1, f2 = fm * G ** (-0.5 / b), fm * G ** (0.5 / b)
        stage, rate = 0, FS
        while f2 < 0.25 * rate / 2:
            stage, rate = stage + 1, rate / 2
        result.append((stage, rate, signal.butter(3, [f1, f2], btype="band", fs=rate, output="sos")))
    return result


def main():
    seconds = int(sys.argv[1]) if len(sys.argv) > 1 else 600
    rng = np.random.default_rng(1)
    wa, wc = weighting_sos("A"), weighting_sos("C")
    za, zc = signal.sosfilt_zi(wa) * 0, signal.sosfilt_zi(wc) * 0
    band_list = bands()
    stages = max(s for s, _, _ in band_list) + 1
    lp = signal.cheby1(8, 0.05, 0.8 / 2, output="sos")
    lp_state = [np.zeros((lp.shape[0], 2)) for _ in range(stages)]
    phase = [0] * stages
    band_state = [np.zeros((sos.shape[0], 2)) for _, _, sos in band_list]
    meters = [Meter(FS) for _ in range(3)] + [Meter(rate) for _, rate, _ in band_list]
    n = np.arange(int(FS))
    start = time.process_time()
    for second in range(seconds):
        x = 0.1 * (rng.random(int(FS)) - 0.5) + 0.3 * np.where(((n + second * int(FS)) % 48) < 24, 1.0, -1.0)
        a, za = signal.sosfilt(wa, x, zi=za)
        c, zc = signal.sosfilt(wc, x, zi=zc)
        for m, y in zip(meters[:3], (a, c, x)):
            m.process(y)
        level = x
        for s in range(stages):
            if s > 0:
                y, lp_state[s] = signal.sosfilt(lp, level, zi=lp_state[s])
                level = y[phase[s]::2]
                phase[s] = (phase[s] + len(y)) % 2
            for i, (bs, _, sos) in enumerate(band_list):
                if bs == s:
                    y, band_state[i] = signal.sosfilt(sos, level, zi=band_state[i])
                    meters[3 + i].process(y)
        for m in meters:
            m.reset()
    used = time.process_time() - start
    print(f"scipy reference: {seconds} s of 48 kHz signal in {used:.2f} s processor time, "
          f"real-time factor {seconds / used:.0f}")


if __name__ == "__main__":
    main()
