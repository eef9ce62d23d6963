// SPDX-License-Identifier: GPL-3.0-or-later
#include "waveform/peak_columns.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The lowest and highest of `count` (> 0) samples. This loop is the whole
// per-sample cost of a WAV overview, so it takes eight samples a step where
// the processor offers 16-bit vector min/max (every x86-64 does).
void MinMax(const int16_t* samples, size_t count, int16_t& low, int16_t& high) {
  size_t i = 0;
  low = samples[0];
  high = samples[0];
#if defined(__SSE2__)
  if (count >= 8) {
    __m128i lows = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples));
    __m128i highs = lows;
    for (i = 8; i + 8 <= count; i += 8) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + i));
      lows = _mm_min_epi16(lows, v);
      highs = _mm_max_epi16(highs, v);
    }
    alignas(16) int16_t l[8];
    alignas(16) int16_t h[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(l), lows);
    _mm_store_si128(reinterpret_cast<__m128i*>(h), highs);
    low = *std::min_element(l, l + 8);
    high = *std::max_element(h, h + 8);
  }
#endif
  for (; i < count; ++i) {
    low = std::min(low, samples[i]);
    high = std::max(high, samples[i]);
  }
}

}  // namespace

void WidenPeak(ColumnPeak& peak, const int16_t* samples, size_t count) {
  if (count == 0) return;
  int16_t low = 0;
  int16_t high = 0;
  MinMax(samples, count, low, high);
  if (!peak.filled) {
    peak = {low, high, true};
    return;
  }
  peak.min = std::min(peak.min, low);
  peak.max = std::max(peak.max, high);
}
