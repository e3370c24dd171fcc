// SPDX-License-Identifier: GPL-3.0-or-later
// The hot filter loops are built twice: once for processors with AVX2 and FMA (x86-64-v3) and once for any
// x86-64. The loader picks the right one when the program starts, so one package serves every machine and
// the machines that have the wider vectors use them.
#pragma once

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define K470_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define K470_VECTOR_CLONES
#endif
