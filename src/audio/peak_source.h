// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// PeakSource: a private reader of one audio file, for readers that cannot
// share the program's single PCM stream (mp3io.h).
//
// Each waveform overview worker and each encoder of a parallel MP3 export
// owns its own source, opened on its own thread, and the waveform's detail
// strip has one on the user-interface thread; none of them touches the
// single stream, which playback and export keep using at the same time. For
// the overview an MP3 is decoded at a reduced rate (a quarter where the
// library can, otherwise a half or the full rate): it needs the shape of the
// sound, not every sample, and reduced-rate synthesis is the cheapest decode
// the library offers. Exact readers ask for the full rate. A WAV is read in
// big blocks straight from its data chunk.
//
// Frames are counted at the source's own (possibly reduced) rate; TotalFrames
// is the length in those frames. A source is used by one thread at a time.
#include <cstdint>
#include <memory>
#include <string>

#include "audio/audio_file_info.h"
#include "audio/mp3_scan_index.h"

class PeakSource {
 public:
  virtual ~PeakSource() = default;

  virtual int64_t TotalFrames() const = 0;
  virtual int Channels() const = 0;
  virtual int32_t SampleRate() const = 0;  // of the frames read, reduced or not

  // Moves so that the next frame read is `frame`; false when the source
  // cannot get there (a damaged file), in which case nothing more is read.
  virtual bool Seek(int64_t frame) = 0;

  // Reads up to `maxFrames` interleaved frames into `out`; the count read,
  // 0 at the end of what can be read (also after a decoding error).
  virtual int64_t Read(int16_t* out, int64_t maxFrames) = 0;
};

enum class PeakRate {
  Reduced,  // the overview's: an MP3 at a quarter of its rate where possible
  Full,     // every sample, at the file's own rate
};

// Opens `path` as info's FileType says; null when it cannot be read at all.
// A full-rate MP3 source given `scan`, the file's scan running or finished,
// reads by it (seeking as far as it has passed) instead of decoding the
// whole file first.
std::unique_ptr<PeakSource> OpenPeakSource(const std::string& path, const AudioFileInfo& info,
                                           PeakRate rate = PeakRate::Reduced,
                                           std::shared_ptr<Mp3ScanIndex> scan = nullptr);
