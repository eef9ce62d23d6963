// SPDX-License-Identifier: GPL-3.0-or-later
// The mapping between marks in milliseconds and the sample timeline; see
// audio_file_info.h.
#include "audio/audio_file_info.h"

#include "base/rounding.h"

SampleIndex SampleOfMs(const AudioFileInfo& info, int64_t ms) {
  if (ms <= 0 || info.SampleRate <= 0) return SampleIndex(0);
  if (ms >= info.LengthMs) return info.LengthFrames;
  const SampleIndex sample(MsToFrames(static_cast<double>(ms), info.SampleRate));
  return sample < info.LengthFrames ? sample : info.LengthFrames;
}

int32_t MsOfSample(const AudioFileInfo& info, SampleIndex sample) {
  if (sample.Frame() <= 0 || info.SampleRate <= 0) return 0;
  if (sample >= info.LengthFrames) return info.LengthMs;
  return static_cast<int32_t>(FramesToMs(static_cast<double>(sample.Frame()), info.SampleRate));
}
