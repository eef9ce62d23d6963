// SPDX-License-Identifier: GPL-3.0-or-later
// The seek table of a Xing/Info frame; see xing_seek_table.h.
#include "export/xing_seek_table.h"

#include <algorithm>

void XingSeekTable::AddFrame(uint64_t offsetBytes) {
  if (frames_ % stride_ == 0) {
    if (kept_ == kSlots) {
      for (int k = 0; k < kSlots / 2; ++k) offsets_[k] = offsets_[2 * k];
      kept_ = kSlots / 2;
      stride_ *= 2;
    }
    if (frames_ % stride_ == 0) offsets_[kept_++] = offsetBytes;
  }
  ++frames_;
}

std::array<uint8_t, 100> XingSeekTable::Table(uint64_t streamBytes) const {
  std::array<uint8_t, 100> table{};
  if (frames_ == 0 || streamBytes == 0) return table;
  for (int i = 0; i < 100; ++i) {
    const double frame = static_cast<double>(frames_) * i / 100.0;
    const double slot = frame / static_cast<double>(stride_);
    const int k = std::min(static_cast<int>(slot), kept_ - 1);
    double offset = static_cast<double>(offsets_[k]);
    if (k + 1 < kept_) {
      offset += (slot - k) * static_cast<double>(offsets_[k + 1] - offsets_[k]);
    }
    table[i] = static_cast<uint8_t>(std::min(255.0, offset * 256.0 / static_cast<double>(streamBytes)));
  }
  return table;
}
