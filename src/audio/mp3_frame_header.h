// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Mp3FrameHeader: the 4-byte header of one MPEG audio frame, read and made.
//
// Byte layout (bit 31 first): 11 sync bits, 2 version bits (00 MPEG-2.5,
// 10 MPEG-2, 11 MPEG-1), 2 layer bits (01 layer III), the protection bit (0:
// a 16-bit CRC follows the header), 4 bitrate-index bits, 2 sample-rate bits,
// the padding bit, the private bit, 2 channel-mode bits (11 mono), 2 mode
// extension bits, copyright, original, 2 emphasis bits.
//
// For layer III the header decides everything a frame copier needs: the
// frame's size in bytes, the samples per channel it holds (1152 for MPEG-1,
// 576 for MPEG-2 and 2.5), and where its side information and main-data area
// lie. Only layer III is described here; free format (bitrate index 0) has no
// size in its header and is reported as such.
#include <cstdint>
#include <optional>

struct Mp3FrameHeader {
  enum class Version { Mpeg1, Mpeg2, Mpeg25 };

  uint32_t word = 0;  // the four header bytes, big-endian
  Version version = Version::Mpeg1;
  int layer = 3;
  bool hasCrc = false;
  int bitrateIndex = 0;  // 0 is free format
  int sampleRate = 0;    // Hz
  bool padding = false;
  bool mono = false;

  // Decodes a header word; nothing when the sync is missing or a field holds
  // a reserved value (version 01, layer 00, bitrate index 15, rate 11).
  static std::optional<Mp3FrameHeader> Parse(uint32_t word);
  static std::optional<Mp3FrameHeader> Parse(const uint8_t* bytes);

  bool FreeFormat() const { return bitrateIndex == 0; }
  int BitrateKbps() const;
  // Samples per channel in one frame.
  int SamplesPerFrame() const;
  // The whole frame in bytes, header included; 0 for free format.
  int FrameBytes() const;
  // Layer III side information in bytes (after the header and its CRC).
  int SideInfoBytes() const;
  // Where the side information starts: after the header and the CRC.
  int SideInfoOffset() const { return hasCrc ? 6 : 4; }
  // Bytes of the frame after its side information: the main-data area.
  int MainDataBytes() const { return FrameBytes() - SideInfoOffset() - SideInfoBytes(); }
  // How far main_data_begin can reach back: 511 bytes for MPEG-1, 255 else.
  int MaxMainDataBegin() const { return version == Version::Mpeg1 ? 511 : 255; }

  // True when both headers decode with the same routines: same version,
  // layer and sample rate, and both mono or both not.
  bool CompatibleWith(const Mp3FrameHeader& other) const;

  // This header with another bitrate, no padding, no CRC, no private bit and
  // mode extension 0: the header of a frame Snipola makes itself.
  Mp3FrameHeader MadeWithBitrate(int bitrateIndex) const;
  // The four bytes, big-endian.
  void Write(uint8_t* out) const;
};

// main_data_begin of a layer III frame: how many bytes of main data the frame
// takes from the main-data areas of the frames before it. `frame` points at
// the header; the frame's side information must be present.
int MainDataBegin(const Mp3FrameHeader& header, const uint8_t* frame);

// The smallest bitrate index whose frame holds at least `mainDataBytes` bytes
// of main data after a header without CRC; nothing when no bitrate does.
std::optional<int> SmallestBitrateIndexFor(const Mp3FrameHeader& like, int mainDataBytes);
