// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Xing/Info frame and its LAME tag: the silent first frame of an MP3
// stream that describes the stream, read from a source and written anew.
//
// Layout from the frame's first byte: the 4-byte header, side information of
// zeros (32, 17 or 9 bytes), "Xing" (VBR) or "Info" (CBR), a big-endian flags
// word saying which of the next fields follow: frame count (1), byte count (2),
// a 100-byte seek table (4), a quality word (8). The LAME tag comes next: a
// 9-byte encoder name, revision and VBR method, lowpass, peak (4), radio and
// audiophile gain (2 + 2), encoding flags, ABR or minimum bitrate, encoder
// delay and padding (12 bits each), misc, MP3 gain, preset (2), music length
// (4), music CRC (2) and the CRC of every tag byte before it (2).
//
// A gapless decoder skips 529 + delay samples of the decoded frames that
// follow the tag and ends frames x samples-per-frame - padding + 529 samples
// in. libmpg123, whose timeline Snipola shows, does so only when the frame
// count is there and above 0; without a LAME tag it then skips just its own
// 529, and without a frame count it skips nothing. SourceTimeline states that
// rule once.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "audio/mp3_frame_header.h"

// The LAME tag fields a cut keeps from its source.
struct LameTagFields {
  std::array<uint8_t, 9> encoder{};  // e.g. "LAME3.100"
  uint8_t revisionAndMethod = 0;     // high nibble revision, low nibble VBR method
  uint8_t lowpass = 0;               // Hz / 100
  uint8_t encodingFlags = 0;
  uint8_t abrKbps = 0;
  uint8_t misc = 0;
  uint8_t mp3Gain = 0;
  uint16_t preset = 0;

  bool operator==(const LameTagFields&) const = default;
};

struct InfoTag {
  bool xing = false;  // "Xing" rather than "Info"
  std::optional<uint32_t> frames;
  std::optional<uint32_t> bytes;
  std::optional<std::array<uint8_t, 100>> seekTable;
  std::optional<uint32_t> quality;
  std::optional<LameTagFields> lame;
  int encoderDelay = 0;    // samples; meaningful with a LAME tag
  int encoderPadding = 0;  // samples; meaningful with a LAME tag
  // The LAME tag's music length (tag frame and audio frames) and CRCs.
  std::optional<uint32_t> musicBytes;
  uint16_t musicCrc = 0;
  bool tagCrcOk = false;  // the tag's own CRC matches its bytes
};

// The Xing/Info tag of `frame` (its header already parsed, `frameBytes`
// long), or nothing when the frame is ordinary audio. Follows the decoder's
// test: zeros from the third side-information byte on, then the name. A VBRI
// header (Fraunhofer's, "VBRI" 32 bytes after the frame header) gives a tag
// with its frame and byte counts and no LAME tag: that frame is no audio
// either.
std::optional<InfoTag> ParseInfoTag(const Mp3FrameHeader& header, const uint8_t* frame,
                                    size_t frameBytes);

// Where a gapless decoder puts a stream's samples: gapless sample s is sample
// skipSamples + s of the decoded frames after the tag frame (their decoded
// index), and the stream ends before decoded index endSample.
//
// A file joined from several encodes holds more frames than its tag
// announces. libmpg123 (measured: 1.31) then ends the first part where its
// tag says, drops the rest of that part's last frame (dropSamples from
// dropAt on) and goes on with every later frame whole to the end of the file:
// an Info frame inside the file plays as a frame of silence, the later parts'
// delays and paddings play too.
struct SourceTimeline {
  int64_t skipSamples = 0;
  int64_t endSample = INT64_MAX;
  int64_t announcedFrames = -1;  // frames the tag's end counts from; -1: no end
  int64_t dropAt = INT64_MAX;
  int64_t dropSamples = 0;

  int64_t DecodedIndexOf(int64_t sample) const {
    const int64_t decoded = sample + skipSamples;
    return decoded >= dropAt ? decoded + dropSamples : decoded;
  }
  // Samples the decoder puts out.
  int64_t Length() const {
    return endSample - skipSamples - (endSample > dropAt ? dropSamples : 0);
  }
};
inline constexpr int kDecoderDelaySamples = 529;
SourceTimeline TimelineOf(const std::optional<InfoTag>& tag, int samplesPerFrame);
// The timeline of a stream whose decoded frames, as the decoder counts them,
// number `frames`.
SourceTimeline WithFrameCount(SourceTimeline timeline, int64_t frames, int samplesPerFrame);

// Everything a new Info frame states.
struct InfoFrameContent {
  Mp3FrameHeader header;  // the tag frame's own header
  bool xing = false;
  uint32_t frames = 0;       // audio frames after the tag frame
  uint32_t streamBytes = 0;  // the tag frame and those frames
  std::array<uint8_t, 100> seekTable{};
  uint32_t quality = 0;
  LameTagFields lame;
  int encoderDelay = 0;    // 0..4095
  int encoderPadding = 0;  // 0..4095
  uint16_t musicCrc = 0;   // over the audio frames after the tag frame
};

// Bytes the tag needs after the header and side information.
inline constexpr int kInfoTagBytes = 120 + 36;

// The smallest bitrate index at which `like`'s version, rate and mode hold
// the whole tag; nothing when none does.
std::optional<int> InfoFrameBitrateIndex(const Mp3FrameHeader& like);

// The complete frame, header.FrameBytes() long, both CRCs filled in.
std::vector<uint8_t> MakeInfoFrame(const InfoFrameContent& content);

// The LAME tag fields written when the source has none of its own.
LameTagFields DefaultLameTagFields(bool xing, int bitrateKbps);
