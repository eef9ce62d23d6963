// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Info/LAME tag frame of a constant-bitrate MP3, built by the program when
// LAME declines to write one.
//
// LAME reserves the stream's first frame for its Info tag (frame count, byte
// count, seek table, and the LAME extension with the encoder delay and
// padding that gapless decoders use to give back exactly the encoded
// samples). At low bitrates (32 kbit/s at 44100 Hz, up to 56 at 48000 Hz)
// the frame is too small for the tag and LAME writes none, so every decoder
// plays the encoder delay and the padding as extra samples. Decoders skip an
// Info frame whatever its bitrate, so the program writes the tag into a frame
// of the same MPEG version, rate and mode but of the smallest bitrate that
// holds it.
#include <cstddef>
#include <cstdint>
#include <vector>

// True when a frame of `kbps` at this rate and channel count holds LAME's own
// tag (LAME's own rule: header, side information and 156 tag bytes).
bool LameTagFitsFrame(int sampleRate, int channels, uint32_t kbps);

// What the tag says about the finished stream.
struct InfoTagFacts {
  uint32_t audioFrames = 0;  // MP3 frames after the tag frame
  uint32_t streamBytes = 0;  // all bytes of the stream, the tag frame included
  int encoderDelay = 0;      // samples the encoder put before the audio
  int padding = 0;           // samples after the audio in the last frame
  uint32_t bitrateKbps = 0;  // of the audio frames
  int lowpassHz = 0;
  int quality = 0;        // the Xing quality indicator, 0..100
  uint16_t musicCrc = 0;  // CRC-16 of the audio frames' bytes
};

// The byte count of the tag frame for a stream whose first audio frame starts
// with `header`; 0 when the header is no MPEG layer III header.
size_t InfoTagFrameBytes(const uint8_t header[4]);

// The tag frame itself (InfoTagFrameBytes long) for that stream.
std::vector<uint8_t> MakeInfoTagFrame(const uint8_t header[4], const InfoTagFacts& facts);
