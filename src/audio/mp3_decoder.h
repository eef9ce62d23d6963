// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The MP3 decoder interface of the audio input: five functions over one open
// stream for the whole program, used by the probe and the PCM stream reader.
//
//   SB_InitMP3(path, start)     0: the file is open and the first sample
//                               decoded is sample frame `start`, counted in
//                               real audio samples; other values: failure. A
//                               stream still open is closed first.
//   SB_GetFrameInfo(...)        sample rate (Hz), channels, bitrate (kbit/s,
//                               the average for all but CBR files) and the exact
//                               length (ms) of the open file; 0 when a file
//                               is open, otherwise the four values are 0.
//   SB_decodeMP3(buffer, size)  0: a block was decoded into the 8192-byte
//                               `buffer`; *size holds its byte count (at most
//                               8192, whole sample frames of 16-bit signed
//                               little-endian interleaved PCM at the reported
//                               rate and channels). Other values: end of
//                               stream or failure, also when no file is open.
//   SB_ExitMP3()                closes the stream; harmless when none is open.
//   SB_GetLengthFrames()        the exact length of the open file in sample
//                               frames (0 when none is open).
//
// Positions and the length are those of a full decode from the first sample,
// also for damaged files (decoding goes on after the damage) and for files
// joined from parts of other formats (decoded in the first part's rate and
// channels); see mpg123_decoder.h.
//
// The exact length needs a full scan of the file, which SB_InitMP3 runs
// before it returns: callers that must answer at once (opening a file in the
// window) probe with the quick estimate of GetAudioFileInfo and scan on a
// worker (Mp3Scanner). UI thread only, or one other thread at a time.
#include <cstdint>

#include "base/sample_index.h"

int SB_InitMP3(const char* path, SampleIndex start);
int SB_GetFrameInfo(int32_t* sampleRate, int32_t* channels, int32_t* bitrateKbps,
                    int32_t* lengthMs);
int SB_decodeMP3(uint8_t* buffer, uint32_t* sizeBytes);
void SB_ExitMP3();
SampleIndex SB_GetLengthFrames();

// The four values of SB_GetFrameInfo and the exact length in frames for the
// open stream, in one record.
struct Mp3FrameInfo {
  int32_t sampleRate = 0;
  int32_t channels = 0;
  int32_t bitrateKbps = 0;
  int32_t lengthMs = 0;
  SampleIndex lengthFrames{};
};

inline Mp3FrameInfo GetMp3FrameInfo() {
  Mp3FrameInfo frame;
  SB_GetFrameInfo(&frame.sampleRate, &frame.channels, &frame.bitrateKbps, &frame.lengthMs);
  frame.lengthFrames = SB_GetLengthFrames();
  return frame;
}
