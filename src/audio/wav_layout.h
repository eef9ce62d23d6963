// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// WavLayout: what the header of a WAV file says and where its samples lie.
//
// OpenWavLayout opens a file with a RiffReader, finds the "WAVE" form, reads
// the start of its "fmt " chunk in the WAVEFORMATEX layout (format tag,
// channels, samples per second, average bytes per second, block align, bits
// per sample, extra size) and finds its "data" chunk, whichever order the two
// come in. It leaves the reader on the first sample byte. The data size is the
// number of sample bytes the file really holds: a data chunk that claims more
// than the file contains (a recording cut short) is clamped to the bytes that
// are there. A streamed file (RIFF size 0 or 0xFFFFFFFF) whose data size is
// 0 or 0xFFFFFFFF holds samples to the end of the file, and so does a data
// chunk of over 4 GiB in a 32-bit form whose size says 0xFFFFFFFF or what
// was left of the true size modulo 2^32; an RF64 or BW64 file takes its data
// size from its "ds64" chunk. Both the probe and the PCM
// stream reader use it.
#include <cstdint>
#include <string>

#include "audio/riff_reader.h"

// What made a WAV file unusable (Malformed), for messages that say why.
enum class WavProblem { None, NotWave, NoFormat, BadFormat, NoData };

// The format tag of MPEG layer 3 data kept in a WAVE form.
inline constexpr uint16_t kWavFormatMp3 = 0x55;

struct WavLayout {
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint16_t bitsPerSample = 0;
  int64_t dataOffsetBytes = 0;  // file offset of the first sample byte
  int64_t dataBytes = 0;        // sample bytes present in the file
  // Set with Malformed. With BadFormat the fields above the offsets hold
  // what the format chunk says.
  WavProblem problem = WavProblem::None;

  // True when the samples are the 16-bit PCM the program reads: MP3 data in
  // a WAVE form is not, whatever its bits field says.
  bool HoldsPcm16() const { return bitsPerSample == 16 && formatTag != kWavFormatMp3; }
};

enum class WavOpenResult {
  Ok,
  CannotOpen,  // the file cannot be opened for reading
  Malformed,   // no WAVE form, no "fmt " or "data" chunk, or an unusable format
};

// Opens `path` into `reader` and fills `layout`. A format is unusable when its
// chunk is shorter than 16 bytes, it has no channel or more than two, or a
// sample rate of 0 or above what a 32-bit signed field holds. The bits per
// sample are not judged here. On failure the reader is closed.
WavOpenResult OpenWavLayout(const std::string& path, RiffReader& reader, WavLayout& layout);
