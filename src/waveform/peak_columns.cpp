#include "waveform/peak_columns.h"

#include <algorithm>

void WidenPeak(ColumnPeak& peak, const int16_t* samples, size_t count) {
  if (count == 0) return;
  // Two plain reductions the compiler turns into vector code: this loop is
  // the overview's whole per-sample cost.
  int16_t low = samples[0];
  int16_t high = samples[0];
  for (size_t i = 1; i < count; ++i) {
    low = std::min(low, samples[i]);
    high = std::max(high, samples[i]);
  }
  if (!peak.filled) {
    peak = {low, high, true};
    return;
  }
  peak.min = std::min(peak.min, low);
  peak.max = std::max(peak.max, high);
}
