// SPDX-License-Identifier: GPL-3.0-or-later
// Header bookkeeping shared by every WaveOut backend: Prepare and Unprepare
// only move the header's flags, and refuse while the device owns the header.
#include "audio/wave_out.h"

WaveFormat Pcm16Format(uint32_t samplesPerSec, uint16_t channels) {
  WaveFormat format;
  format.formatTag = 1;
  format.channels = channels;
  format.samplesPerSec = samplesPerSec;
  format.blockAlign = static_cast<uint16_t>(channels * 2);
  format.avgBytesPerSec = samplesPerSec * format.blockAlign;
  format.bitsPerSample = 16;
  format.extraSize = 0;
  return format;
}

bool WaveOut::Prepare(WaveHeader& header) {
  if (header.Has(WaveHeader::kInQueue)) return false;
  header.flags.fetch_or(WaveHeader::kPrepared, std::memory_order_acq_rel);
  return true;
}

bool WaveOut::Unprepare(WaveHeader& header) {
  if (header.Has(WaveHeader::kInQueue)) return false;
  header.flags.fetch_and(~WaveHeader::kPrepared, std::memory_order_acq_rel);
  return true;
}
